#pragma once
// The calendar module: Evolution Data Server's calendar store (eds/eds_calendar_store.h) in a
// shared object of its own beside the program, with EDS's client libraries (about twenty of
// them) as its dependencies rather than the program's. The program loads it once the island
// shows, or when the calendar is first asked for events or access, so none of those libraries
// is loaded, relocated or initialised before the island is on screen.
//
// The module's one entry point makes a store that calls back on the queue it is given and
// writes its diagnostics through `log`; the program owns the store and never unloads the
// module (GLib's types cannot be unregistered).

#include "platform/calendar_store.h"
#include "platform/main_queue.h"

namespace quorlix::platform::calendar_module {

// Its file name, beside the executable.
inline constexpr const char* fileName = "quorlix-calendar.so";
inline constexpr const char* entryPointName = "quorlixMakeCalendarStore";

// Writes one line (UTF-8, no line feed) to the program's diagnostic log.
using Log = void (*)(const char* line);
// Makes the store; the caller owns it. `queue` outlives it.
using EntryPoint = CalendarStore* (*)(MainQueue* queue, Log log);

}  // namespace quorlix::platform::calendar_module
