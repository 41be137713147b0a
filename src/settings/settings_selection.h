#pragma once
// The settings window's current section. Written by `SettingsWindowController::show` and by
// clicks on the sidebar's rows; the window's root view observes it. Main thread only.

#include "foundation/settings_section.h"
#include "platform/published.h"

namespace quorlix {

class SettingsSelection final : public ObservableObject {
public:
    Published<SettingsSection> section{this, SettingsSection::general};
};

}  // namespace quorlix
