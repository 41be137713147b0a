// When the lock-screen controller shows which window, the sounds it plays and the readings it
// starts.

#include "lock_screen_test_support.h"

#include "platform/user_defaults.h"
#include "services/player_scripts.h"
#include "window/sky_light.h"

namespace quorlix::testing {
namespace {

TEST_F(LockScreenTest, WindowsFollowTheLockThePlayerAndTheSettings) {
    struct Row {
        bool locked;
        bool track;
        bool lockScreenEnabled;
        bool mediaEnabled;
        bool fullArtwork;
        const char* slots;
    };
    const Row rows[] = {
        {false, false, true, true, false, ""},
        {false, true, true, true, false, ""},
        {false, true, true, true, true, ""},
        {true, false, true, true, false, "info"},
        {true, false, true, true, true, "info"},
        {true, true, true, true, false, "info card"},
        {true, true, true, true, true, "full"},
        // The setting governs the player only: the info row stays.
        {true, true, false, true, false, "info"},
        {true, true, false, true, true, "info"},
        {true, true, true, false, false, "info"},
        {true, true, true, false, true, "info"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << "locked " << row.locked << " track " << row.track
                                          << " lockScreen " << row.lockScreenEnabled << " media "
                                          << row.mediaEnabled << " full " << row.fullArtwork);
        settings.lockScreenEnabled = row.lockScreenEnabled;
        settings.mediaEnabled = row.mediaEnabled;
        settings.lockScreenFullArtwork = row.fullArtwork;
        if (row.track)
            play();
        else
            stop();
        make();
        if (row.locked) lock();
        EXPECT_EQ(slots(), row.slots);
        // Every window in a slot is on screen, fading in.
        for (auto* window : {lockScreen->fullWindow(), lockScreen->infoWindow(), lockScreen->cardWindow()}) {
            if (!window) continue;
            EXPECT_TRUE(window->isVisible());
            EXPECT_EQ(fakeOf(window).fades.back(), (fakes::FakePanelWindow::Fade{1, 0.35, false}));
        }
        lockScreen.reset();
    }
}

TEST_F(LockScreenTest, APlayerComingAndGoingWhileLockedSwapsTheWindowsAndANewSongRebuildsNothing) {
    make();
    lock();
    EXPECT_EQ(slots(), "info");
    platform::PanelWindow* info = lockScreen->infoWindow();

    play();
    EXPECT_EQ(slots(), "info card");
    EXPECT_EQ(lockScreen->infoWindow(), info) << "a filled slot is not refilled";
    platform::PanelWindow* card = lockScreen->cardWindow();
    const int made = fake.panelWindows.madeCount;

    play("Desaparecido");
    EXPECT_EQ(fake.panelWindows.madeCount, made);
    EXPECT_EQ(lockScreen->cardWindow(), card);
    EXPECT_EQ(fakeOf(card).fades.size(), 2u) << "no fade either";

    stop();
    EXPECT_EQ(slots(), "info");
    EXPECT_EQ(lockScreen->infoWindow(), info);

    // With the full-artwork view chosen, it takes the info row's place and gives it back.
    settings.lockScreenFullArtwork = true;
    play();
    EXPECT_EQ(slots(), "full");
    stop();
    EXPECT_EQ(slots(), "info");
    EXPECT_NE(lockScreen->infoWindow(), info) << "a new info window";
}

TEST_F(LockScreenTest, LockingSoundsOnceReadsOnceAndAsksThePlayerOnce) {
    fake.workspace.running = {"com.apple.Music"};
    play();
    make();
    lock();
    EXPECT_EQ(sounds(), std::vector<std::string>{"candado-cerrar.wav"});
    EXPECT_NEAR(fake.soundPlayer.created.back()->volume, 0.6, 1e-9);
    EXPECT_EQ(readings.size(), 1u);
    EXPECT_EQ(fake.scriptHost.count(PlayerScripts::position(PlayerSource::music)), 1);
    EXPECT_EQ(fake.scriptHost.count(PlayerScripts::shuffle(PlayerSource::music)), 1);
    const int made = fake.panelWindows.madeCount;

    // A repeated lock notice changes nothing.
    lock();
    EXPECT_EQ(sounds().size(), 1u);
    EXPECT_EQ(readings.size(), 1u);
    EXPECT_EQ(fake.scriptHost.count(PlayerScripts::position(PlayerSource::music)), 1);
    EXPECT_EQ(fake.panelWindows.madeCount, made);

    // Unlocking sounds, hides everything and reads nothing.
    unlock();
    EXPECT_EQ(sounds(), (std::vector<std::string>{"candado-cerrar.wav", "candado-abrir.wav"}));
    EXPECT_EQ(slots(), "");
    EXPECT_EQ(readings.size(), 1u);
    unlock();
    EXPECT_EQ(sounds().size(), 2u);
}

TEST_F(LockScreenTest, AnUnlockWithoutALockIsIgnored) {
    make();
    unlock();
    EXPECT_TRUE(sounds().empty());
    EXPECT_EQ(fake.panelWindows.madeCount, 0);
    EXPECT_FALSE(lockScreen->isLocked());
}

TEST_F(LockScreenTest, SoundsFollowTheirSettingsAndVolume) {
    settings.lockSound = false;
    settings.soundVolume = 0;
    make();
    lock();
    EXPECT_TRUE(sounds().empty());
    unlock();
    ASSERT_EQ(sounds(), std::vector<std::string>{"candado-abrir.wav"});
    EXPECT_EQ(fake.soundPlayer.created.back()->volume, 0);

    settings.lockSound = true;
    settings.unlockSound = false;
    lock();
    unlock();
    EXPECT_EQ(sounds(), (std::vector<std::string>{"candado-abrir.wav", "candado-cerrar.wav"}));
}

TEST_F(LockScreenTest, OnlyTheLatestHeadphoneReadingCounts) {
    make();
    lock();
    unlock();
    lock();
    ASSERT_EQ(readings.size(), 2u);
    readings[1](80);
    EXPECT_EQ(lockScreen->info().headphones.get(), 80);
    // The older reading finishing last does not replace the newer one.
    readings[0](20);
    EXPECT_EQ(lockScreen->info().headphones.get(), 80);

    // A reading may end with no headphones, and may end after the unlock.
    lock();
    unlock();
    lock();
    unlock();
    ASSERT_EQ(readings.size(), 3u);
    readings[2](std::nullopt);
    EXPECT_EQ(lockScreen->info().headphones.get(), std::nullopt);

    // Nor does a reading reach a controller that is gone.
    lock();
    Reading late = readings.back();
    lockScreen.reset();
    late(55);
}

TEST_F(LockScreenTest, PreviewShowsTheWindowsOnTheDesktopAndFreezesThem) {
    ::testing::internal::CaptureStderr();
    make();
    lockScreen->preview();
    EXPECT_TRUE(lockScreen->isLocked());
    EXPECT_EQ(slots(), "info card");
    EXPECT_EQ(readings.size(), 1u);
    EXPECT_TRUE(sounds().empty());
    for (auto* window : {lockScreen->infoWindow(), lockScreen->cardWindow()}) {
        const auto& panel = fakeOf(window);
        EXPECT_EQ(panel.belowScreenLockers, false) << "over everything";
        EXPECT_EQ(panel.inputAreas, std::vector{Rect(0, 0, panel.frame().width(), panel.frame().height())});
    }

    // Lock notices still sound and read, but the windows stay as they are.
    const int made = fake.panelWindows.madeCount;
    unlock();
    play();
    lock();
    stop();
    EXPECT_EQ(sounds(), (std::vector<std::string>{"candado-abrir.wav", "candado-cerrar.wav"}));
    EXPECT_EQ(readings.size(), 2u);
    EXPECT_EQ(slots(), "info card");
    EXPECT_EQ(fake.panelWindows.madeCount, made);
    fake.time.advance(1);
    EXPECT_EQ(fake.panelWindows.live.size(), 2u);

    // No bridge to the lock screen, so no word of its absence.
    EXPECT_FALSE(SkyLight::exists());
    EXPECT_EQ(fake.lockScreenSpace.createCalls, 0);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

TEST_F(LockScreenTest, PreviewOfTheFullArtworkViewShowsOnlyIt) {
    platform::UserDefaults::standard().setBool("previewFullArtwork", true);
    make();
    lockScreen->preview();
    EXPECT_EQ(slots(), "full");
    EXPECT_EQ(lockScreen->fullWindow()->frame(), Rect(0, 0, 1512, 982));
}

}  // namespace
}  // namespace quorlix::testing
