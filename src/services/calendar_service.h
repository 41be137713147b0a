#pragma once
// The next few timed calendar events, and one reminder at a time shortly before an event.
//
// The application sets `onReminder` (the reminder alert), calls `start()` once and
// `reload()` when the reminder settings change. The calendar page reads `events` and
// `access`, asks for access with `requestAccess()`, writes times with `relative` and opens
// the calendar application with `openCalendar()`.
//
// Every reload rebuilds the list and replaces the two pending waits: the next reminder
// (each event's id is reminded once per run) and a refresh one second after the next event
// starts or ends, never sooner than 30 s. Both waits keep counting while the machine sleeps.
//
// Main thread only.

#include "foundation/rgba.h"
#include "platform/calendar_store.h"
#include "platform/clock.h"
#include "platform/published.h"
#include "platform/work_item.h"
#include "platform/workspace.h"
#include "services/lifetime.h"

#include <functional>
#include <optional>
#include <set>
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

    static constexpr std::size_t maximumEvents = 4;
    // Events that started up to this long ago are still looked at.
    static constexpr double lookBehind = 3600;
    static constexpr double minimumRefreshDelay = 30;
    // The colour of an event whose calendar has none (the system blue).
    static constexpr RGBA defaultColor{0, 122.0 / 255.0, 1, 1};

    // The installed platform's calendar store and workspace.
    CalendarService();
    CalendarService(platform::CalendarStore* store, platform::Workspace* workspace);

    // At most 4, earliest first.
    Published<std::vector<UpcomingEvent>> events{this, {}};
    Published<Access> access{this, Access::unknown};
    // When an event's reminder time is reached.
    std::function<void(const UpcomingEvent&)> onReminder;

    // Reads the permission, follows store changes and loads the events. A store that learns
    // its permission later tells it as a change, which reads it again while it is unknown.
    void start();
    // Reloads the events and reschedules the reminder; nothing unless access is granted.
    void reload();
    // Asks the user for access while it is unknown.
    void requestAccess();
    // Opens the calendar application, when one is installed.
    void openCalendar();

    // When an event starts, in short Spanish: "Ahora" once it has started, "En 7 min" under
    // an hour (minutes rounded up), else its clock time ("3:05 p. m.", with the weekday when
    // it is not today).
    static std::string relative(const UpcomingEvent& event, Date now);
    // The event's id: `identifier` followed by the start's seconds since 1970, written as the
    // shortest text that reads back the same, always with a point ("…1800000000.0").
    static std::string eventID(const std::string& identifier, Date start);

private:
    void readAuthorization();
    void scheduleReminder();
    void scheduleRefresh();

    platform::CalendarStore* store_;
    platform::Workspace* workspace_;
    platform::WorkItem reminderTask;
    platform::WorkItem refreshTask;
    // Ids reminded in this run; never pruned.
    std::set<std::string> reminded;
    Subscription storeChanges_;
    Lifetime lifetime_;
};

}  // namespace quorlix
