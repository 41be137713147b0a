#pragma once
// Two process-wide actions through which views reach the application without holding it:
// opening the settings window on a section, and previewing the island's size on the first
// island. Both do nothing until the application installs them at launch.
//
//     AppActions::openSettingsSection(SettingsSection::general);
//
// Main thread only.

#include "foundation/settings_section.h"

#include <functional>

namespace quorlix {

struct AppActions {
    static inline std::function<void(SettingsSection)> openSettingsSection = [](SettingsSection) {};
    static inline std::function<void()> previewIslandSize = [] {};

    // Back to doing nothing (the application that installed them is going away).
    static void reset() {
        openSettingsSection = [](SettingsSection) {};
        previewIslandSize = [] {};
    }
};

}  // namespace quorlix
