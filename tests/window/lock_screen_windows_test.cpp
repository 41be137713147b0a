// The lock-screen windows: where they go, how they fade, how they stack and take the pointer,
// and the bridge above the lock screen.

#include "lock_screen_test_support.h"

#include "platform/linux/qt_screens.h"
#include "window/sky_light.h"

#include <QRect>

namespace quorlix::testing {
namespace {

void expectNear(const Rect& actual, const Rect& expected) {
    EXPECT_NEAR(actual.minX(), expected.minX(), 1e-9);
    EXPECT_NEAR(actual.minY(), expected.minY(), 1e-9);
    EXPECT_NEAR(actual.width(), expected.width(), 1e-9);
    EXPECT_NEAR(actual.height(), expected.height(), 1e-9);
}

TEST_F(LockScreenTest, WindowsGoOnTheNotchedScreenAtItsProportionsElseOnTheMainOne) {
    play();
    make();
    lock();
    // The notched laptop, though listed second.
    expectNear(lockScreen->infoWindow()->frame(), Rect(546, 687.04, 420, 40));
    expectNear(lockScreen->cardWindow()->frame(), Rect(586.5, 202.1, 339, 185));
    // As X11 places them: from the top left of a 982 point high primary screen.
    EXPECT_EQ(platform::toQtGeometry(lockScreen->infoWindow()->frame(), 982), QRect(546, 255, 420, 40));
    EXPECT_EQ(platform::toQtGeometry(lockScreen->cardWindow()->frame(), 982), QRect(587, 595, 339, 185));
    unlock();

    // Without a notch, the main (first listed) screen: 2560 by 1440 at x = 1512.
    fake.screens.list = {fakes::FakeScreens::externalDisplay(), fakes::FakeScreens::externalDisplay(4072)};
    lock();
    expectNear(lockScreen->infoWindow()->frame(), Rect(1512 + 1280 - 210, 1440 - 0.28 * 1440 - 20, 420, 40));
    unlock();
    settings.lockScreenFullArtwork = true;
    lock();
    EXPECT_EQ(lockScreen->fullWindow()->frame(), Rect(1512, 0, 2560, 1440));
    unlock();

    // No screen at all: nothing is shown, and the next change tries again.
    fake.screens.list.clear();
    settings.lockScreenFullArtwork = false;
    lock();
    EXPECT_EQ(slots(), "");
    fake.screens.list = {fakes::FakeScreens::notchedLaptop()};
    stop();
    EXPECT_EQ(slots(), "info");
}

TEST_F(LockScreenTest, HidingEmptiesTheSlotAtOnceAndClosesTheWindowAfterItsFade) {
    play();
    make();
    lock();
    auto& info = fakeOf(lockScreen->infoWindow());
    auto& card = fakeOf(lockScreen->cardWindow());
    // Made invisible, put up, then faded in.
    EXPECT_EQ(info.fades, (std::vector<fakes::FakePanelWindow::Fade>{{0, 0, false}, {1, 0.35, false}}));

    fake.time.advance(1);
    unlock();
    EXPECT_EQ(slots(), "");
    EXPECT_EQ(info.fades.back(), (fakes::FakePanelWindow::Fade{0, 0.25, true}));
    EXPECT_TRUE(info.isVisible());
    fake.time.advance(0.249);
    EXPECT_EQ(fake.panelWindows.live.size(), 2u);
    EXPECT_TRUE(card.isVisible());
    fake.time.advance(0.001);
    EXPECT_TRUE(fake.panelWindows.live.empty()) << "closed and released";
}

TEST_F(LockScreenTest, AWindowHiddenAndShownAgainCrossFadesWithItsSuccessor) {
    play();
    make();
    lock();
    platform::PanelWindow* first = lockScreen->cardWindow();
    stop();
    play("Desaparecido");
    ASSERT_NE(lockScreen->cardWindow(), nullptr);
    EXPECT_NE(lockScreen->cardWindow(), first);
    EXPECT_EQ(fake.panelWindows.live.size(), 3u) << "info, the new card and the old one fading out";
    fake.time.advance(0.25);
    EXPECT_EQ(fake.panelWindows.live.size(), 2u);
    EXPECT_TRUE(lockScreen->cardWindow()->isVisible());
}

TEST_F(LockScreenTest, WithoutTheBridgeLockWindowsStayBelowLockersLetClicksThroughAndSaySoOnce) {
    ::testing::internal::CaptureStderr();
    play();
    make();
    lock();
    for (auto* window : {lockScreen->infoWindow(), lockScreen->cardWindow()}) {
        EXPECT_EQ(fakeOf(window).belowScreenLockers, true);
        EXPECT_TRUE(fakeOf(window).inputAreas.empty()) << "every click reaches the desktop";
    }
    unlock();
    settings.lockScreenFullArtwork = true;
    lock();
    EXPECT_TRUE(fakeOf(lockScreen->fullWindow()).inputAreas.empty());
    EXPECT_TRUE(fake.lockScreenSpace.added.empty());
    EXPECT_EQ(fake.lockScreenSpace.createCalls, 1);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), std::string(SkyLight::unavailableMessage) + "\n");
}

TEST_F(LockScreenTest, WithTheBridgeLockWindowsMoveAboveTheLockScreenAndTakeClicks) {
    ::testing::internal::CaptureStderr();
    fake.lockScreenSpace.available = true;
    make();
    lock();
    platform::PanelWindow* info = lockScreen->infoWindow();
    EXPECT_EQ(fake.lockScreenSpace.added, std::vector{info});
    EXPECT_EQ(fakeOf(info).inputAreas, std::vector{Rect(0, 0, 420, 40)});
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

}  // namespace
}  // namespace quorlix::testing
