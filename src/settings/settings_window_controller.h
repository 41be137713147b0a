#pragma once
// The settings window: built on the first `show`, then kept (closing only hides it, so the
// search text and the views' state stay), and brought back on every later `show` on the
// requested section.
//
//     SettingsWindowController settings(*platform.windows, services);
//     settings.show(SettingsSection::updates);
//
// Each `show` restores a minimised window, raises it with the keyboard, and then, in a task
// posted to the main queue that does nothing once the controller is gone, leaves no control
// with the keyboard focus. Main thread only.

#include "platform/window.h"
#include "services/lifetime.h"
#include "settings/settings_selection.h"

#include <memory>

namespace quorlix {

class AppSettings;
class WeatherService;
class UpdateService;
class BatteryService;
class AgentService;
class BrowserAIWatcher;

class SettingsWindowController {
public:
    // What the panes read, handed to them as environment objects.
    struct Services {
        AppSettings& settings;
        WeatherService& weather;
        UpdateService& updates;
        BatteryService& battery;
        AgentService& agents;
        BrowserAIWatcher& browserAI;
    };

    SettingsWindowController(platform::Windows& windows, Services services);

    void show(SettingsSection section);

    SettingsSelection selection;
    // None until the first `show`.
    platform::Window* window() const { return window_.get(); }

private:
    void build();

    platform::Windows& windows_;
    Services services_;
    std::unique_ptr<platform::Window> window_;
    Lifetime lifetime_;
};

}  // namespace quorlix
