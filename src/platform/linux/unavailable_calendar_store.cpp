#include "platform/linux/unavailable_calendar_store.h"

#include "platform/linux/desktop_entry.h"
#include "platform/main_queue.h"

namespace quorlix::platform {

void UnavailableCalendarStore::requestFullAccess(std::function<void(bool granted)> done) {
    MainQueue::shared().post([done = std::move(done)] { done(false); });
}

std::optional<std::string> installedCalendarApplication() {
    for (const char* id : calendarApplications) {
        if (const auto file = DesktopEntry::find(id)) return file->string();
    }
    return std::nullopt;
}

std::optional<std::string> UnavailableCalendarStore::calendarApplication() const {
    return installedCalendarApplication();
}

}  // namespace quorlix::platform
