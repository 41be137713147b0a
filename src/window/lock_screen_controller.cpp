#include "window/lock_screen_controller.h"

#include "foundation/app_settings.h"
#include "platform/main_queue.h"
#include "platform/user_defaults.h"
#include "services/battery_service.h"
#include "services/bluetooth_service.h"
#include "services/lyrics_service.h"
#include "services/now_playing_service.h"
#include "services/sounds.h"
#include "services/volume_service.h"
#include "services/weather_service.h"
#include "ui/views.h"
#include "window/lock_screen_views.h"
#include "window/sky_light.h"

#include <algorithm>

namespace quorlix {

namespace {

constexpr Size infoSize{420, 40};
constexpr Size cardSize{339, 185};

}  // namespace

LockScreenController::LockScreenController(LockScreenServices services, const platform::Platform& platform,
                                           HeadphonesReading readHeadphones)
    : services_(services),
      platform_(platform),
      readHeadphones_(readHeadphones ? std::move(readHeadphones)
                                     : BluetoothService::connectedHeadphonesBattery) {
    if (platform_.screenLock) {
        cancellables_.push_back(platform_.screenLock->observe([this](platform::ScreenLockNotice notice) {
            setLocked(notice == platform::ScreenLockNotice::locked);
        }));
    }
    // Only a track appearing or going away changes the windows; a new song does not.
    cancellables_.push_back(services_.nowPlaying.track.subscribe(
        [this, last = std::optional<bool>()](const std::optional<Track>& track) mutable {
            const bool present = track.has_value();
            if (last == present) return;
            last = present;
            platform::MainQueue::shared().post(lifetime_.guard([this] { update(); }));
        }));
}

LockScreenController::~LockScreenController() = default;

Track LockScreenController::sampleTrack() {
    return {"sample", "Luz de neón (Remix con nombre largo)", "Neón Club", "", 196, PlayerSource::music};
}

Rect LockScreenController::infoFrame(const Rect& screen) {
    const double h = screen.height();
    return Rect(screen.midX() - infoSize.width / 2, screen.maxY() + (-0.28 * h) - infoSize.height / 2,
                infoSize.width, infoSize.height);
}

Rect LockScreenController::cardFrame(const Rect& screen) {
    const double h = screen.height();
    return Rect(screen.midX() - cardSize.width / 2, screen.maxY() + (-0.7 * h) - cardSize.height / 2,
                cardSize.width, cardSize.height);
}

void LockScreenController::setLocked(bool value) {
    // A repeated notice changes nothing: no sound, no reading.
    if (value == isLocked_) return;
    isLocked_ = value;
    playSound(value);
    if (value) {
        refreshInfo();
        if (const auto& track = services_.nowPlaying.track.get())
            services_.nowPlaying.fetchPosition(track->source);
        services_.nowPlaying.syncShuffle();
    }
    update();
}

void LockScreenController::update() {
    // The preview's windows stay as the preview left them.
    if (previewing_) return;
    const AppSettings& settings = services_.settings;
    const bool media = isLocked_ && settings.lockScreenEnabled.get() && settings.mediaEnabled.get() &&
                       services_.nowPlaying.track.get().has_value();
    if (media && settings.lockScreenFullArtwork.get()) {
        showFull(true);
        hide(infoWindow_);
        hide(cardWindow_);
        return;
    }
    hide(fullWindow_);
    if (isLocked_) {
        showInfo(true);
        if (media)
            showCard(true);
        else
            hide(cardWindow_);
    } else {
        hide(infoWindow_);
        hide(cardWindow_);
    }
}

void LockScreenController::playSound(bool locked) {
    const AppSettings& settings = services_.settings;
    if (!(locked ? settings.lockSound.get() : settings.unlockSound.get())) return;
    Sounds::play(locked ? Sound::lock : Sound::unlock, settings.soundVolume.get());
}

void LockScreenController::refreshInfo() {
    // Readings may finish out of order: an older one finishing last must not win.
    const std::uint64_t refresh = ++refreshCount_;
    readHeadphones_(lifetime_.guard([this, refresh](std::optional<std::int64_t> percent) {
        if (refresh != refreshCount_) return;
        info_.headphones = percent;
    }));
}

void LockScreenController::preview() {
    isLocked_ = true;
    previewing_ = true;
    refreshInfo();
    if (platform::UserDefaults::standard().boolForKey("previewFullArtwork")) {
        showFull(false);
    } else {
        showInfo(false);
        showCard(false);
    }
}

std::optional<platform::Screen> LockScreenController::screen() const {
    if (!platform_.screens) return std::nullopt;
    for (const platform::Screen& s : platform_.screens->screens())
        if (s.safeAreaInsets.top > 0 && s.auxiliaryTopLeftArea) return s;
    return platform_.screens->mainScreen();
}

std::optional<Track> LockScreenController::sample() const {
    if (!previewing_) return std::nullopt;
    return sampleTrack();
}

void LockScreenController::showInfo(bool onLockScreen) {
    if (infoWindow_) return;
    const auto s = screen();
    if (!s) return;
    const ui::View content = ui::View(LockScreenViews::infoRow(info_))
                                 .environmentObject(services_.weather)
                                 .environmentObject(services_.battery)
                                 .environmentObject(services_.settings);
    infoWindow_ = makeWindow(infoFrame(s->frame), content, onLockScreen);
}

void LockScreenController::showCard(bool onLockScreen) {
    if (cardWindow_) return;
    const auto s = screen();
    if (!s) return;
    const bool choosingOutput =
        previewing_ && platform::UserDefaults::standard().boolForKey("previewOutputs");
    const ui::View content = ui::View(LockScreenViews::card(sample(), choosingOutput))
                                 .environmentObject(services_.nowPlaying)
                                 .environmentObject(services_.lyrics)
                                 .environmentObject(services_.settings)
                                 .environmentObject(services_.volume)
                                 .environmentObject(info_);
    cardWindow_ = makeWindow(cardFrame(s->frame), content, onLockScreen);
}

void LockScreenController::showFull(bool onLockScreen) {
    if (fullWindow_) return;
    const auto s = screen();
    if (!s) return;
    const ui::View content = ui::View(LockScreenViews::fullArtwork(sample(), info_))
                                 .environmentObject(services_.nowPlaying)
                                 .environmentObject(services_.lyrics)
                                 .environmentObject(services_.settings)
                                 .environmentObject(services_.volume)
                                 .environmentObject(services_.weather)
                                 .environmentObject(services_.battery)
                                 .environmentObject(info_);
    fullWindow_ = makeWindow(s->frame, content, onLockScreen);
}

LockScreenController::Slot LockScreenController::makeWindow(const Rect& frame, const ui::View& content,
                                                            bool onLockScreen) {
    Slot window = platform_.panelWindows->makePanel(frame);
    window->fade(0, 0, {});
    window->setBelowScreenLockers(onLockScreen);
    window->setContent(content.colorScheme(ui::ColorScheme::dark), {});
    window->orderFront();
    bool clickable = true;
    if (onLockScreen) {
        SkyLight& bridge = SkyLight::shared();
        bridge.moveToLockScreen(*window);
        // Without the bridge the window sits over the desktop wherever no locker covers it
        // (an unlock nobody announced): it must not take the desktop's clicks there. Over a
        // locker nothing can be clicked anyway.
        clickable = bridge.isAvailable();
    }
    window->setInputAreas(clickable ? std::vector<Rect>{Rect(0, 0, frame.width(), frame.height())}
                                    : std::vector<Rect>{});
    window->fade(1, fadeInDuration, {});
    return window;
}

void LockScreenController::hide(Slot& slot) {
    if (!slot) return;
    platform::PanelWindow* window = slot.get();
    closing_.push_back(std::move(slot));
    window->fade(0, fadeOutDuration, [this, window] {
        window->orderOut();
        window->close();
        std::erase_if(closing_, [window](const Slot& w) { return w.get() == window; });
    });
}

}  // namespace quorlix
