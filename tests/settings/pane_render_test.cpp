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

#include <memory>

namespace quorlix {
namespace {

[[maybe_unused]] ::testing::Environment* const qtApplication =
    ::testing::AddGlobalTestEnvironment(new ui::testing::QtApplication);

class PaneRenderTest : public testing::SettingsFixture {
protected:
    SettingsSelection selection;
    std::unique_ptr<ui::ViewHost> host;

    // The pane of `section`, as the window draws it.
    const ui::DisplayItem* pane(SettingsSection section) {
        if (!host) {
            const ui::EnvironmentValues environment = ui::EnvironmentValues{}
                                                          .settingObject(app->settings)
                                                          .settingObject(app->weather)
                                                          .settingObject(app->updates)
                                                          .settingObject(app->battery)
                                                          .settingObject(app->agents)
                                                          .settingObject(app->browserAI)
                                                          .settingObject(UserProfile::shared());
            host = std::make_unique<ui::ViewHost>(ui::qt::QtFontEngine::shared(), SettingsView{&selection},
                                                  Size{620, 720}, environment);
        }
        selection.section = section;
        fake.time.advance(1);
        host->render();
        return host->displayList().findId("pane.content");
    }
};

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

    const double left = SettingsView::sidebarWidth + 22, right = left + 366;
    for (const SettingsSection section : allCases<SettingsSection>()) {
        const ui::DisplayItem* pane = this->pane(section);
        ASSERT_NE(pane, nullptr);
        const ui::DisplayItem& shown = host->displayList();
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

TEST_F(PaneRenderTest, NoPaneSendsALinuxUserToAMac) {
    // The notes that show only in some states: a click to open, a refused location, the
    // browser watch.
    app->settings.openMode = IslandOpenMode::click;
    app->weather.locationDenied = true;
    app->settings.browserAI = true;
    // Places, programs and devices a Linux desktop does not have.
    const char* const macOnly[] = {"macOS",
                                   "tu Mac",
                                   "Finder",
                                   "iPhone",
                                   "Force Touch",
                                   "Safari",
                                   "Configuración del Sistema",
                                   "barra de menús",
                                   "iCloud",
                                   "eventos de Apple"};
    for (const SettingsSection section : allCases<SettingsSection>()) {
        const ui::DisplayItem* pane = this->pane(section);
        ASSERT_NE(pane, nullptr);
        for (const ui::DisplayItem* text :
             pane->findAll([](const ui::DisplayItem& i) { return i.kind == ui::DisplayItem::Kind::text; }))
            for (const char* word : macOnly)
                EXPECT_EQ(text->text.find(word), std::string::npos)
                    << rawValue(section) << ": " << text->text;
    }
}

}  // namespace
}  // namespace quorlix
