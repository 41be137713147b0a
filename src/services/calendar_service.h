#pragma once
// The next few timed calendar events, and one reminder at a time shortly before an event.
//
// The application sets `onReminder` (the reminder alert), calls `start()` once and
// `reload()` when the reminder settings change. The calendar page reads `events` and
// `access`, and writes times with `relative`.
//
// Events come from the calendar store of the calendar backend; until one is attached the
// service cannot learn its permission, so `access` stays `unknown` and nothing is loaded.
// Main thread only.

#include "platform/clock.h"
#include "platform/published.h"
#include "services/rgba.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quorlix {

// A calendar event for the island.
struct UpcomingEvent {
    // The store's identifier followed by the start's seconds since 1970, so each occurrence
    // and each new start time has its own id.
    std::string id;
    // "Evento" when the event has no title.
    std::string title;
    Date start;
    Date end;
    bool isAllDay = false;
    // The calendar's colour.
    RGBA color;
    std::optional<std::string> location;

    friend bool operator==(const UpcomingEvent&, const UpcomingEvent&) = default;
};

class CalendarService final : public ObservableObject {
public:
    enum class Access { unknown, granted, denied };

    // At most 4, earliest first.
    Published<std::vector<UpcomingEvent>> events{this, {}};
    Published<Access> access{this, Access::unknown};
    // When an event's reminder time is reached.
    std::function<void(const UpcomingEvent&)> onReminder;

    // Reads the permission, follows store changes and loads the events.
    void start();
    // Reloads the events and reschedules the reminder; nothing unless access is granted.
    void reload();

    // When an event starts, in short Spanish: "Ahora" once it has started, "En 7 min" under
    // an hour (minutes rounded up), else its clock time ("3:05 p. m.", with the weekday when
    // it is not today).
    static std::string relative(const UpcomingEvent& event, Date now);
};

}  // namespace quorlix
