#pragma once
// The calendar store on Linux: the desktops share no calendar store, so there is nothing to
// read. The permission stays undecided, a request for it is answered as refused, and no
// events are listed. The calendar application is still found among the desktop entries.

#include "platform/calendar_store.h"

namespace quorlix::platform {

// Desktop entries of the usual calendar applications, the first one installed wins.
inline constexpr const char* calendarApplications[] = {
    "org.gnome.Calendar.desktop",
    "org.kde.merkuro.calendar.desktop",
    "org.kde.korganizer.desktop",
};

// The desktop entry of the first calendar application installed, or nothing.
std::optional<std::string> installedCalendarApplication();

class UnavailableCalendarStore final : public CalendarStore {
public:
    CalendarAuthorization authorizationStatus() const override {
        return CalendarAuthorization::notDetermined;
    }
    void requestFullAccess(std::function<void(bool granted)> done) override;
    std::vector<CalendarEvent> events(Date, Date) const override { return {}; }
    std::optional<std::string> calendarApplication() const override;
};

}  // namespace quorlix::platform
