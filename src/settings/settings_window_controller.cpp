#include "settings/settings_window_controller.h"

#include "foundation/app_settings.h"
#include "platform/main_queue.h"
#include "services/agent_service.h"
#include "services/battery_service.h"
#include "services/browser_ai_watcher.h"
#include "services/update_service.h"
#include "services/weather_service.h"
#include "settings/settings_view.h"
#include "settings/user_profile.h"
#include "ui/ui.h"

namespace quorlix {

SettingsWindowController::SettingsWindowController(platform::Windows& windows, Services services)
    : windows_(windows), services_(services) {}

void SettingsWindowController::build() {
    window_ = windows_.makeWindow({.title = "Quorlix", .size = {SettingsView::width, SettingsView::height}});
    const ui::EnvironmentValues environment = ui::EnvironmentValues{}
                                                  .settingObject(services_.settings)
                                                  .settingObject(services_.weather)
                                                  .settingObject(services_.updates)
                                                  .settingObject(services_.battery)
                                                  .settingObject(services_.agents)
                                                  .settingObject(services_.browserAI)
                                                  .settingObject(UserProfile::shared());
    window_->setContent(SettingsView{&selection}, environment);
}

void SettingsWindowController::show(SettingsSection section) {
    selection.section = section;
    if (!window_) build();
    if (window_->isMiniaturized()) window_->deminiaturize();
    window_->makeKeyAndOrderFront();
    platform::MainQueue::shared().post(lifetime_.guard([this] {
        if (window_) window_->clearFocus();
    }));
}

}  // namespace quorlix
