// The calendar module's entry point (see calendar_module.h).

#include "platform/linux/calendar_module.h"
#include "platform/linux/eds/eds_calendar_store.h"

#include <type_traits>

extern "C" __attribute__((visibility("default"))) quorlix::platform::CalendarStore* quorlixMakeCalendarStore(
    quorlix::platform::MainQueue* queue, quorlix::platform::calendar_module::Log log) {
    return new quorlix::platform::EdsCalendarStore(*queue,
                                                   [log](const std::string& line) { log(line.c_str()); });
}

// The loader's idea of the entry point and this one stay the same.
static_assert(
    std::is_same_v<decltype(&quorlixMakeCalendarStore), quorlix::platform::calendar_module::EntryPoint>);
