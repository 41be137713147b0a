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

#include <memory>
#include <optional>
#include <vector>

namespace quorlix {
namespace {

using Islands = std::vector<std::unique_ptr<NotchWindowController>>;

// The onboarding window with its view as far as the steps go: the view comes on screen when
// the window is made.
class FakeOnboardingWindow final : public ControlledWindow {
public:
    struct Log {
        int made = 0;
        int shown = 0;
        int closed = 0;
        int released = 0;
    };
    FakeOnboardingWindow(Log& log, OnboardingController::Content content)
        : content(std::move(content)), log_(log) {
        ++log_.made;
        step = OnboardingSteps::appeared(step, this->content.startAtPermission);
    }
    ~FakeOnboardingWindow() override { ++log_.released; }
    void makeKeyAndOrderFront() override { ++log_.shown; }
    void close() override { ++log_.closed; }

    OnboardingController::Content content;
    int step = OnboardingSteps::welcome;

private:
    Log& log_;
};

class OnboardingControllerTest : public testing::IslandTest {
protected:
    FakeOnboardingWindow::Log log;
    FakeOnboardingWindow* window = nullptr;
    Islands islands;
    std::unique_ptr<OnboardingController> controller = std::make_unique<OnboardingController>(
        [this](OnboardingController::Content content) {
            auto made = std::make_unique<FakeOnboardingWindow>(log, std::move(content));
            window = made.get();
            return made;
        },
        [this]() -> const Islands& { return islands; });

    void addIsland(double x) {
        const auto screen = fakes::FakeScreens::externalDisplay(x);
        fake.screens.list.push_back(screen);
        islands.push_back(std::make_unique<NotchWindowController>(screen, services(), fake.platform()));
        islands.back()->state().tab = IslandTab::weather;
    }
    ~OnboardingControllerTest() override { islands.clear(); }
};

TEST_F(OnboardingControllerTest, OneWindowServesEveryShowAndKeepsTheStepOfTheFirst) {
    controller->show(false);
    controller->show(true);
    EXPECT_EQ(log.made, 1);
    EXPECT_EQ(log.shown, 2);
    EXPECT_EQ(controller->window(), window);
    EXPECT_EQ(window->step, OnboardingSteps::welcome) << "a later show does not move the view";

    // Closed with its own button, the same window comes back.
    window->close();
    controller->show(false);
    EXPECT_EQ(log.made, 1);
    EXPECT_EQ(log.shown, 3);

    OnboardingController atPermission(
        [&](OnboardingController::Content content) {
            return std::make_unique<FakeOnboardingWindow>(log, std::move(content));
        },
        [this]() -> const Islands& { return islands; });
    atPermission.show(true);
    EXPECT_EQ(static_cast<FakeOnboardingWindow*>(atPermission.window())->step, OnboardingSteps::permission);
}

TEST_F(OnboardingControllerTest, FinishMarksItSeenReleasesTheWindowAndPeeksTheFirstIslandOnMusic) {
    addIsland(0);
    addIsland(2560);
    fake.time.runPending();
    controller->show(false);
    const auto done = window->content.done;
    done();
    EXPECT_TRUE(platform::UserDefaults::standard().boolForKey("didShowWelcome"));
    EXPECT_EQ(controller->window(), nullptr);
    EXPECT_EQ(log.closed, 1);
    EXPECT_EQ(log.released, 0) << "not under its own button's press";
    fake.time.runPending();
    EXPECT_EQ(log.released, 1);

    EXPECT_TRUE(islands[0]->state().expanded.get());
    EXPECT_EQ(islands[0]->state().tab.get(), IslandTab::music);
    EXPECT_FALSE(islands[1]->state().expanded.get());
    fake.time.advance(NotchWindowController::peekDuration + 1);
    EXPECT_FALSE(islands[0]->state().expanded.get()) << "the peek closes again";

    // A later show makes a new window, which starts over.
    controller->show(false);
    EXPECT_EQ(log.made, 2);
}

TEST_F(OnboardingControllerTest, FinishWithoutIslandsOrAfterTheControllerWentDoesNoHarm) {
    controller->show(false);
    auto done = window->content.done;
    done();
    EXPECT_TRUE(platform::UserDefaults::standard().boolForKey("didShowWelcome"));
    fake.time.runPending();
    EXPECT_EQ(log.released, 1);

    platform::UserDefaults::standard().setBool("didShowWelcome", false);
    controller->show(false);
    done = window->content.done;
    controller.reset();
    EXPECT_EQ(log.released, 2);
    done();
    EXPECT_FALSE(platform::UserDefaults::standard().boolForKey("didShowWelcome"));
}

TEST(OnboardingSteps, TheStepsGoOnlyForwardAndTheLastEndsOnboarding) {
    EXPECT_EQ(OnboardingSteps::appeared(OnboardingSteps::welcome, false), OnboardingSteps::welcome);
    EXPECT_EQ(OnboardingSteps::appeared(OnboardingSteps::welcome, true), OnboardingSteps::permission);
    EXPECT_EQ(OnboardingSteps::appeared(OnboardingSteps::gestures, true), OnboardingSteps::permission);

    // Return (or the primary button) on every step, from each start.
    for (const bool startAtPermission : {false, true}) {
        int step = OnboardingSteps::appeared(OnboardingSteps::welcome, startAtPermission);
        std::vector<int> visited{step};
        int presses = 0;
        while (const auto next = OnboardingSteps::next(step)) {
            EXPECT_GT(*next, step) << "no way back";
            step = *next;
            visited.push_back(step);
            ASSERT_LT(++presses, 5);
        }
        const std::vector<int> expected =
            startAtPermission ? std::vector<int>{1, 2} : std::vector<int>{0, 1, 2};
        EXPECT_EQ(visited, expected);
    }
    // A value that shows the gestures ends onboarding too.
    EXPECT_EQ(OnboardingSteps::next(7), std::nullopt);
}

TEST(PermissionStepTexts, TheStepFollowsTheTrustAndALostGrant) {
    struct Row {
        bool granted, lost;
        const char* title;
        const char* detail;
        const char* button;
        double opacity;
        const char* symbol;
        bool hint;
        bool updateBody;
    };
    const Row rows[] = {
        {false, false, "Un permiso y listo", "Configuración del Sistema › Privacidad › Accesibilidad",
         "Después", 0.85, "hand.raised.fill", true, false},
        {false, true, "Vuelve a dar el permiso", "Configuración del Sistema › Privacidad › Accesibilidad",
         "Después", 0.85, "hand.raised.fill", true, true},
        {true, false, "Un permiso y listo", "Listo", "Continuar", 1.0, "checkmark.shield.fill", false, false},
    };
    for (const auto& row : rows) {
        const auto texts = PermissionStepTexts::make(row.granted, row.lost);
        SCOPED_TRACE(::testing::Message() << row.granted << row.lost);
        EXPECT_EQ(texts.title, row.title);
        EXPECT_EQ(texts.detail, row.detail);
        EXPECT_EQ(texts.buttonTitle, row.button);
        EXPECT_DOUBLE_EQ(texts.buttonOpacity, row.opacity);
        EXPECT_EQ(texts.badgeSymbol, row.symbol);
        EXPECT_EQ(texts.hint.has_value(), row.hint);
        EXPECT_EQ(texts.body.starts_with("Quorlix se actualizó"), row.updateBody);
    }
    EXPECT_EQ(PermissionStepTexts::make(false, false).hint,
              "Si Quorlix ya aparece en la lista, apágalo y vuélvelo a prender.");
}

TEST(IslandDemoLoop, OpensAtHalfASecondTogglesEveryTwoPointTwoAndStopsWithItsView) {
    fakes::FakePlatform fake;
    bool open = false;
    std::vector<bool> springs;
    const auto spring = ui::Animation::spring(0.5, 0.72);
    auto task = std::make_unique<ui::ViewTask>();
    IslandDemoLoop::run(*task, [&] {
        open = !open;
        const auto& animation = ui::Transaction::current().animation;
        springs.push_back(animation && *animation == spring);
    });

    EXPECT_FALSE(open);
    fake.time.advance(0.49);
    EXPECT_FALSE(open);
    fake.time.advance(0.01);
    EXPECT_TRUE(open) << "at 0.5 s";
    fake.time.advance(2.19);
    EXPECT_TRUE(open);
    fake.time.advance(0.01);
    EXPECT_FALSE(open) << "at 2.7 s";
    fake.time.advance(2.2);
    EXPECT_TRUE(open) << "at 4.9 s";
    EXPECT_EQ(springs, std::vector<bool>(3, true));

    task.reset();
    fake.time.advance(30);
    EXPECT_TRUE(open) << "no toggle once the view is gone";
    EXPECT_EQ(springs.size(), 3u);
}

}  // namespace
}  // namespace quorlix
