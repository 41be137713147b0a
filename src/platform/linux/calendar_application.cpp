#include "platform/linux/calendar_application.h"

#include "platform/linux/desktop_entry.h"

namespace quorlix::platform {

std::optional<std::string> installedCalendarApplication() {
    for (const char* id : calendarApplications) {
        if (const auto file = DesktopEntry::find(id)) return file->string();
    }
    return std::nullopt;
}

}  // namespace quorlix::platform
