// Every section's pane laid out with the real fonts, as the window draws it: nothing reaches
// beyond the pane's 366 points and no text is cut.

#include "foundation/app_settings.h"
#include "services/agent_service.h"
#include "services/battery_service.h"
#include "services/browser_ai_watcher.h"
#include "services/update_service.h"
#include "services/weather_service.h"
#include "settings/settings_view.h"
#include "settings/user_profile.h"
#include "settings_test_support.h"
#include "ui/qt/qt_font_engine.h"
#include "ui/qt_test_support.h"

#include <gtest/gtest.h>

namespace quorlix {
namespace {

[[maybe_unused]] ::testing::Environment* const qtApplication =
    ::testing::AddGlobalTestEnvironment(new ui::testing::QtApplication);

class PaneRenderTest : public testing::SettingsFixture {};

TEST_F(PaneRenderTest, EveryPaneFitsThePaneAreaWithNoTextCut) {
    // The states with the most to show: a battery, the permission row, an agent error and the
    // browser line, a long city.
    app->battery.snapshot = BatteryService::Snapshot{100, false, true};
    app->agents.lastError =
        "Codex ya tiene un comando «notify» en ~/.codex/config.toml. Agrega Quorlix a mano o "
        "quita el tuyo.";
    app->settings.browserAI = true;
    app->browserAI.status = BrowserAIWatcher::Status::needsJavaScript("Google Chrome");
    app->settings.weatherCity = "San Cristóbal de las Casas, Chiapas";
    app->weather.high = -12.5;
    app->weather.low = -25;

    SettingsSelection selection;
    const ui::EnvironmentValues environment = ui::EnvironmentValues{}
                                                  .settingObject(app->settings)
                                                  .settingObject(app->weather)
                                                  .settingObject(app->updates)
                                                  .settingObject(app->battery)
                                                  .settingObject(app->agents)
                                                  .settingObject(app->browserAI)
                                                  .settingObject(UserProfile::shared());
    ui::ViewHost host(ui::qt::QtFontEngine::shared(), SettingsView{&selection}, {620, 720}, environment);
    const double left = SettingsView::sidebarWidth + 22, right = left + 366;
    for (const SettingsSection section : allCases<SettingsSection>()) {
        selection.section = section;
        fake.time.advance(1);
        host.render();
        const ui::DisplayItem& shown = host.displayList();
        const ui::DisplayItem* pane = shown.findId("pane.content");
        ASSERT_NE(pane, nullptr);
        int texts = 0;
        for (const ui::DisplayItem* item : pane->findAll([](const ui::DisplayItem& i) {
                 return i.kind != ui::DisplayItem::Kind::group && !i.inert;
             })) {
            const Rect r = shown.drawnFrame(item);
            EXPECT_GE(r.minX(), left - 0.5) << rawValue(section) << " " << item->role << " " << item->text;
            EXPECT_LE(r.maxX(), right + 0.5) << rawValue(section) << " " << item->role << " " << item->text;
            if (item->kind != ui::DisplayItem::Kind::text) continue;
            ++texts;
            EXPECT_FALSE(item->truncated) << rawValue(section) << ": " << item->text;
            EXPECT_EQ(item->textScale, 1) << rawValue(section) << ": " << item->text;
        }
        EXPECT_GT(texts, 0) << rawValue(section);
    }
}

}  // namespace
}  // namespace quorlix
