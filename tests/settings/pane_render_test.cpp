// Every section's pane laid out with the real fonts, as the window draws it: nothing reaches
// beyond the pane's 366 points and no text is cut; and no pane nor onboarding step promises
// what Linux does not do.

#include "fakes/linux_texts.h"
#include "foundation/app_settings.h"
#include "services/agent_service.h"
#include "services/battery_service.h"
#include "services/browser_ai_watcher.h"
#include "services/update_service.h"
#include "services/weather_service.h"
#include "settings/onboarding_steps.h"
#include "settings/onboarding_view.h"
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

// No text of `shown` names what a Linux desktop does not have, nor, in hover mode, a gesture
// only the closed island takes.
void expectOnlyLinuxPromises(const ui::DisplayItem& shown, IslandOpenMode mode, const std::string& where) {
    int texts = 0;
    for (const ui::DisplayItem* text :
         shown.findAll([](const ui::DisplayItem& i) { return i.kind == ui::DisplayItem::Kind::text; })) {
        ++texts;
        EXPECT_EQ(testing::anyOf(text->text, testing::macOnly), std::nullopt) << where << ": " << text->text;
        if (mode == IslandOpenMode::hover) {
            EXPECT_EQ(testing::anyOf(text->text, testing::closedIslandGestures), std::nullopt)
                << where << " in hover mode: " << text->text;
        }
    }
    EXPECT_GT(texts, 0) << where;
}

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
    // The notes that show only in some states: a refused location, the browser watch; each
    // open mode's.
    app->weather.locationDenied = true;
    app->settings.browserAI = true;
    for (const IslandOpenMode mode : {IslandOpenMode::click, IslandOpenMode::hover}) {
        app->settings.openMode = mode;
        for (const SettingsSection section : allCases<SettingsSection>()) {
            const ui::DisplayItem* pane = this->pane(section);
            ASSERT_NE(pane, nullptr);
            expectOnlyLinuxPromises(*pane, mode, std::string(rawValue(section)));
        }
    }
}

TEST_F(PaneRenderTest, NoOnboardingStepSendsALinuxUserToAMac) {
    for (const IslandOpenMode mode : {IslandOpenMode::click, IslandOpenMode::hover}) {
        app->settings.openMode = mode;
        for (const int step :
             {OnboardingSteps::welcome, OnboardingSteps::permission, OnboardingSteps::gestures}) {
            ui::ViewHost onboarding(ui::qt::QtFontEngine::shared(), OnboardingView{.step = step},
                                    Size{OnboardingView::width, OnboardingView::height},
                                    ui::EnvironmentValues{}.settingObject(app->settings));
            onboarding.render();
            fake.time.advance(1);
            onboarding.render();
            expectOnlyLinuxPromises(onboarding.displayList(), mode,
                                    "onboarding step " + std::to_string(step));
        }
    }
}

}  // namespace
}  // namespace quorlix
