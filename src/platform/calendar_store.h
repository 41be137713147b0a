#pragma once
// The user's calendars: the permission to read them, the events in a span of time, the news
// that something in them changed, and where the desktop's calendar application is.
//
// On Linux the calendars are Evolution Data Server's (eds_calendar_store.h); its calendar
// application is found among the installed desktop entries.
//
// Main thread only.

#include "platform/clock.h"
#include "platform/published.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quorlix::platform {

enum class CalendarAuthorization { notDetermined, restricted, denied, fullAccess, writeOnly };

// A calendar's colour as the store keeps it: opaque sRGB, components in 0...1.
struct CalendarColor {
    double red = 0;
    double green = 0;
    double blue = 0;

    friend bool operator==(const CalendarColor&, const CalendarColor&) = default;
};

// One event, or one occurrence of a repeating event, as the store keeps it.
struct CalendarEvent {
    // The same for every occurrence of a repeating event.
    std::string identifier;
    std::optional<std::string> title;
    Date start;
    Date end;
    bool isAllDay = false;
    // Its calendar's colour; none without a calendar or a colour.
    std::optional<CalendarColor> color;
    std::optional<std::string> location;

    friend bool operator==(const CalendarEvent&, const CalendarEvent&) = default;
};

class CalendarStore {
public:
    virtual ~CalendarStore() = default;

    // Something in the calendars changed.
    Signal<> changed;

    virtual CalendarAuthorization authorizationStatus() const = 0;
    // Asks the user for full access to events; `done(granted)` follows on the main thread.
    virtual void requestFullAccess(std::function<void(bool granted)> done) = 0;
    // The events of every calendar that overlap [start, end), in the store's order.
    virtual std::vector<CalendarEvent> events(Date start, Date end) const = 0;
    // Where the calendar application is installed (for `Workspace::openApplication`), or
    // nothing when there is none.
    virtual std::optional<std::string> calendarApplication() const = 0;
};

}  // namespace quorlix::platform
