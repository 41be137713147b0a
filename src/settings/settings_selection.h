#pragma once
// The settings window's current section. Written by `SettingsWindowController::show` and by
// clicks on the sidebar's rows; the window's root view observes it. Main thread only.

#include "platform/published.h"
#include "settings/settings_section.h"

namespace quorlix {

class SettingsSelection final : public ObservableObject {
public:
    Published<SettingsSection> section{this, SettingsSection::general};
};

}  // namespace quorlix
