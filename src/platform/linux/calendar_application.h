#pragma once
// The desktop's calendar application, found among the installed desktop entries.

#include <optional>
#include <string>

namespace quorlix::platform {

// Desktop entries of the usual calendar applications, the first one installed wins.
inline constexpr const char* calendarApplications[] = {
    "org.gnome.Calendar.desktop",
    "org.kde.merkuro.calendar.desktop",
    "org.kde.korganizer.desktop",
};

// The desktop entry of the first calendar application installed, or nothing.
std::optional<std::string> installedCalendarApplication();

}  // namespace quorlix::platform
