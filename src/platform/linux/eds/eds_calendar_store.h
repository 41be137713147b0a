#pragma once
// The calendar store on Linux: the user's calendars in Evolution Data Server, which GNOME's
// calendar, Evolution and their online accounts share.
//
// Access is granted while EDS's source registry is on the session bus or can be started
// there; nothing else guards the calendars. Nothing here waits on the bus: the registry's
// name is watched (and started), so the permission is undecided until the bus has answered,
// and the store tells of a change when it comes. The registry and a client per enabled
// calendar connect asynchronously. The registry's sources outlive its restarts; a calendar
// whose backend died connects again, and a failed connection is tried again when the
// registry comes back or after a wait that doubles each time. Each client keeps a view of
// the events in the span last asked for (moved when a later question leaves it, which the
// calendar service's does at midnight), and `events` answers at once from what the views
// hold; a calendar reconnecting keeps its last events until its new view has loaded.
// Repeating events are expanded in their own time zones, detached occurrences in place of
// the ones they replace. A time zone the server alone knows is fetched first; its events
// follow once it has come.
//
// `changed` follows the views and the registry (a calendar added, removed, switched on or
// off, recoloured), at most once per turn of the main loop. EDS calls back on the main
// thread's GLib context, which Qt's event loop runs.
//
// The identifier of an event joins its calendar's uid and its UID: one invitation stored in
// two calendars is two events.
//
// It is built into the calendar module (calendar_module.h), which the program loads once its
// island shows, so EDS's client libraries cost nothing at start-up: the store reaches the main
// queue and the log through what it is given, never through the program's globals.

#include "platform/calendar_store.h"
#include "platform/main_queue.h"

#include <functional>
#include <memory>
#include <string>

namespace quorlix::platform {

class EdsCalendarStore final : public CalendarStore {
public:
    // The bus name of EDS's source registry.
    static constexpr const char* registryBusName = "org.gnome.evolution.dataserver.Sources5";

    // Writes one line to the diagnostic log.
    using Log = std::function<void(const std::string& line)>;

    // Calls back on `queue`, which outlives the store.
    EdsCalendarStore(MainQueue& queue, Log log);
    ~EdsCalendarStore() override;

    CalendarAuthorization authorizationStatus() const override;
    void requestFullAccess(std::function<void(bool granted)> done) override;
    std::vector<CalendarEvent> events(Date start, Date end) const override;
    std::optional<std::string> calendarApplication() const override;

private:
    struct Impl;
    std::shared_ptr<Impl> impl_;
};

}  // namespace quorlix::platform
