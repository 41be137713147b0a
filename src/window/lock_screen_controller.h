#pragma once
// What is shown above the lock screen, and when.
//
// The controller follows the screen lock (the platform's lock notices) and whether anything
// plays, and keeps up to three windows: the info row (weather, battery, headphones), the
// player card, and the full-screen artwork view. Locking plays the lock sound, reads the
// headphones' charge and asks the player for a fresh position and shuffle state; unlocking
// plays the unlock sound and fades every window out. A developer preview shows the same
// windows on the desktop with a sample track, for the rest of the run.
//
//     LockScreenController lockScreen(services, platform);  // follows the lock from now on
//     lockScreen.preview();                                   // developer runs only
//
// A window slot is empty or holds a window on screen (or fading in): showing fills an empty
// slot and never replaces a filled one; hiding empties the slot at once and lets the window
// fade out and close on its own. Main thread only.

#include "platform/platform.h"
#include "platform/published.h"
#include "services/lifetime.h"
#include "services/track.h"
#include "ui/view.h"
#include "window/lock_screen_info.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace quorlix {

class AppSettings;
class BatteryService;
class LyricsService;
class NowPlayingService;
class VolumeService;
class WeatherService;

// The long-lived objects the lock-screen views read.
struct LockScreenServices {
    AppSettings& settings;
    NowPlayingService& nowPlaying;
    LyricsService& lyrics;
    VolumeService& volume;
    WeatherService& weather;
    BatteryService& battery;
};

class LockScreenController {
public:
    // Reads the connected headphones' charge and hands it, later, to the callback on the
    // main thread.
    using HeadphonesReading = std::function<void(std::function<void(std::optional<std::int64_t>)>)>;

    static constexpr double fadeInDuration = 0.35;
    static constexpr double fadeOutDuration = 0.25;

    // Follows the installed lock notices of `platform`; headphones are read with
    // `BluetoothService::connectedHeadphonesBattery` unless `readHeadphones` is given.
    LockScreenController(LockScreenServices services, const platform::Platform& platform,
                         HeadphonesReading readHeadphones = {});
    ~LockScreenController();
    LockScreenController(const LockScreenController&) = delete;
    LockScreenController& operator=(const LockScreenController&) = delete;

    // Shows the views on the desktop with the sample track and freezes them there for the
    // rest of the run. At most once, right after construction.
    void preview();

    // The track the preview shows while nothing plays.
    static Track sampleTrack();
    // The windows' frames on a screen of frame `screen` (global points, origin at the bottom
    // left): the info row centred 28 % of the height below the top, the card 70 %.
    static Rect infoFrame(const Rect& screen);
    static Rect cardFrame(const Rect& screen);

    bool isLocked() const { return isLocked_; }
    bool isPreviewing() const { return previewing_; }
    LockScreenInfo& info() { return info_; }
    // The windows in their slots; null for an empty slot.
    platform::PanelWindow* infoWindow() const { return infoWindow_.get(); }
    platform::PanelWindow* cardWindow() const { return cardWindow_.get(); }
    platform::PanelWindow* fullWindow() const { return fullWindow_.get(); }

private:
    using Slot = std::unique_ptr<platform::PanelWindow>;

    void setLocked(bool value);
    void update();
    void playSound(bool locked);
    void refreshInfo();

    // The screen for the lock-screen windows: the first with a camera housing, else the main one.
    std::optional<platform::Screen> screen() const;
    std::optional<Track> sample() const;
    void showInfo(bool onLockScreen);
    void showCard(bool onLockScreen);
    void showFull(bool onLockScreen);
    Slot makeWindow(const Rect& frame, const ui::View& content, bool onLockScreen);
    void hide(Slot& slot);

    LockScreenServices services_;
    const platform::Platform& platform_;
    HeadphonesReading readHeadphones_;
    // Before the windows, whose views read it.
    LockScreenInfo info_;

    Slot infoWindow_;
    Slot cardWindow_;
    Slot fullWindow_;
    bool isLocked_ = false;
    bool previewing_ = false;

    // Windows fading out; each goes once its fade has ended.
    std::vector<Slot> closing_;
    // Only the latest reading of the headphones counts.
    std::uint64_t refreshCount_ = 0;
    std::vector<Subscription> cancellables_;
    Lifetime lifetime_;
};

}  // namespace quorlix
