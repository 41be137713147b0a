// Onboarding without its views: the controller on a fake window and real islands, the step
// machine, the permission step's texts and the island demo's loop, on virtual time.

#include "settings/onboarding_controller.h"

#include "platform/user_defaults.h"
#include "settings/island_demo.h"
#include "settings/onboarding_steps.h"
#include "ui/animation.h"
#include "ui/transaction.h"
#include "window/island_test_support.h"

#include <gtest/gtest.h>

namespace quorlix {
namespace {
// Its own names: the test program is compiled a few files at a time as one unit.
namespace onboarding_test {

using Islands = std::vector<std::unique_ptr<NotchWindowController>>;

class OnboardingControllerTest : public testing::IslandTest {
protected:
    // What each window was made with, and the step its view went to on coming on screen.
    std::vector<OnboardingController::Content> contents;
    std::vector<int> steps;
    Islands islands;
    std::unique_ptr<OnboardingController> controller = make();

    ~OnboardingControllerTest() override {
        fake.time.runPending();  // released windows go before their fakes
        islands.clear();
    }
    std::unique_ptr<OnboardingController> make() {
        return std::make_unique<OnboardingController>(
            [this](OnboardingController::Content content) {
                steps.push_back(
                    OnboardingSteps::appeared(OnboardingSteps::welcome, content.startAtPermission));
                contents.push_back(std::move(content));
                return fake.windows.makeWindow(
                    {.title = "Quorlix", .size = OnboardingController::windowSize});
            },
            [this]() -> const Islands& { return islands; });
    }
    fakes::FakeWindow& window() { return static_cast<fakes::FakeWindow&>(*controller->window()); }
    bool welcomeSeen() { return platform::UserDefaults::standard().boolForKey("didShowWelcome"); }
};

TEST_F(OnboardingControllerTest, OneWindowServesEveryShowAndKeepsTheStepOfTheFirst) {
    controller->show(false);
    controller->show(true);
    window().close();  // its own close button only hides it
    controller->show(false);
    EXPECT_EQ(fake.windows.madeCount, 1);
    EXPECT_EQ(window().ordersFront, 3);
    EXPECT_TRUE(window().visible);
    EXPECT_EQ(steps, std::vector<int>{OnboardingSteps::welcome}) << "a later show does not move the view";

    controller = make();
    controller->show(true);
    EXPECT_EQ(steps.back(), OnboardingSteps::permission);
}

TEST_F(OnboardingControllerTest, FinishMarksItSeenReleasesTheWindowAndPeeksTheFirstIslandOnMusic) {
    for (const double x : {0.0, 2560.0}) {
        const auto screen = fakes::FakeScreens::externalDisplay(x);
        fake.screens.list.push_back(screen);
        islands.push_back(std::make_unique<NotchWindowController>(screen, services(), fake.platform()));
        islands.back()->state().tab = IslandTab::weather;
    }
    controller->show(false);
    auto* shown = &window();
    contents.back().done();
    EXPECT_TRUE(welcomeSeen());
    EXPECT_EQ(controller->window(), nullptr);
    EXPECT_EQ(fake.windows.live, std::vector<fakes::FakeWindow*>{shown})
        << "not released under its own button";
    EXPECT_FALSE(shown->visible);
    fake.time.runPending();
    EXPECT_TRUE(fake.windows.live.empty());
    EXPECT_TRUE(islands[0]->state().expanded.get());
    EXPECT_EQ(islands[0]->state().tab.get(), IslandTab::music);
    EXPECT_FALSE(islands[1]->state().expanded.get());

    // Without islands nothing is peeked; once the controller is gone, `done` does nothing.
    islands.clear();
    platform::UserDefaults::standard().setBool("didShowWelcome", false);
    controller->show(false);
    auto done = contents.back().done;
    done();
    EXPECT_TRUE(welcomeSeen());
    platform::UserDefaults::standard().setBool("didShowWelcome", false);
    controller->show(false);
    done = contents.back().done;
    controller.reset();
    done();
    EXPECT_FALSE(welcomeSeen());
}

TEST(IslandDemoLoop, OpensAtHalfASecondTogglesEveryTwoPointTwoAndStopsWithItsView) {
    fakes::FakePlatform fake;
    std::vector<std::pair<double, bool>> toggles;  // (time, within the demo's spring)
    bool open = false;
    const double start = fake.time.now();
    auto task = std::make_unique<ui::ViewTask>();
    IslandDemoLoop::run(*task, [&] {
        open = !open;
        const auto& animation = ui::Transaction::current().animation;
        toggles.emplace_back(fake.time.now() - start,
                             animation && *animation == ui::Animation::spring(0.5, 0.72));
    });
    EXPECT_FALSE(open);
    fake.time.advance(4.9);
    EXPECT_TRUE(open);
    ASSERT_EQ(toggles.size(), 3u);
    EXPECT_NEAR(toggles[0].first, 0.5, 1e-9);
    EXPECT_NEAR(toggles[1].first, 2.7, 1e-9);
    EXPECT_NEAR(toggles[2].first, 4.9, 1e-9);
    EXPECT_TRUE(toggles[0].second && toggles[1].second && toggles[2].second);

    task.reset();
    fake.time.advance(30);
    EXPECT_EQ(toggles.size(), 3u) << "no toggle once the view is gone";
}

}  // namespace onboarding_test
}  // namespace
}  // namespace quorlix
