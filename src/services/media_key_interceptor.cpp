#include "services/media_key_interceptor.h"

#include "foundation/app_settings.h"
#include "platform/key_log.h"
#include "platform/main_queue.h"
#include "platform/platform.h"
#include "services/brightness_service.h"
#include "services/volume_service.h"

#include <algorithm>

namespace quorlix {

using platform::TapEvent;
namespace MediaKey = platform::MediaKey;

namespace {

constexpr int handledKeys[] = {MediaKey::soundUp, MediaKey::soundDown, MediaKey::brightnessUp,
                               MediaKey::brightnessDown, MediaKey::mute};

bool isHandled(int key) {
    return std::find(std::begin(handledKeys), std::end(handledKeys), key) != std::end(handledKeys);
}

// Without a trust layer no grant is needed.
bool trustNow(const platform::AccessibilityTrust* trust) { return !trust || trust->isProcessTrusted(); }

const char* text(bool value) { return value ? "true" : "false"; }

std::unique_ptr<MediaKeyInterceptor> sharedInterceptor;

}  // namespace

MediaKeyInterceptor& MediaKeyInterceptor::shared() {
    if (!sharedInterceptor) {
        const auto& p = platform::installed();
        sharedInterceptor = std::make_unique<MediaKeyInterceptor>(p.eventTaps, p.accessibilityTrust,
                                                                  BrightnessService::shared(), p.audio);
    }
    return *sharedInterceptor;
}

void MediaKeyInterceptor::resetShared() { sharedInterceptor.reset(); }

MediaKeyInterceptor::MediaKeyInterceptor(platform::EventTaps* taps, platform::AccessibilityTrust* trust,
                                         BrightnessService& brightness, platform::AudioHardware* audio)
    : isTrusted(this, trustNow(trust)), taps_(taps), trust_(trust), brightness_(brightness), audio_(audio) {
    brightnessChanges_ = brightness_.objectWillChange.connect([this] { scheduleWantedKeys(); });
    // Losing the default output publishes nothing on the volume service, so hear it directly.
    if (audio_)
        outputChanges_ =
            audio_->listen(platform::AudioProperty::defaultOutput, [this] { scheduleWantedKeys(); });
}

MediaKeyInterceptor::~MediaKeyInterceptor() = default;

void MediaKeyInterceptor::setVolume(VolumeService* volume) {
    volume_ = volume;
    volumeChanges_ =
        volume_ ? volume_->objectWillChange.connect([this] { scheduleWantedKeys(); }) : Subscription();
    scheduleWantedKeys();
}

void MediaKeyInterceptor::update(bool enabled, bool askPermission) {
    const bool trusted = trustNow(trust_);
    isTrusted = trusted;
    KeyLog::write(std::string(" ajuste=") + text(enabled) + " permiso=" + text(trusted));
    if (!enabled) {
        stop();
    } else if (trusted) {
        start();
    } else if (askPermission) {
        requestPermission();
    }
}

void MediaKeyInterceptor::requestPermission() {
    // Nothing to ask, and a poll that would never end.
    if (!trustCanBeGranted()) return;
    const bool trusted = trust_ ? trust_->requestTrust() : true;
    isTrusted = trusted;
    if (trusted) {
        trustTimer_.cancel();
        // Asking for the grant is no reason to take the keys while the setting says not to.
        if (AppSettings::shared().replaceSystemHUD.get()) start();
        return;
    }
    scheduleTrustPoll();
}

void MediaKeyInterceptor::scheduleTrustPoll() {
    trustTimer_ = platform::MainQueue::shared().after(trustPollInterval, [this] { trustTick(); });
}

void MediaKeyInterceptor::trustTick() {
    if (!trustNow(trust_)) {
        scheduleTrustPoll();
        return;
    }
    isTrusted = true;
    if (AppSettings::shared().replaceSystemHUD.get()) start();
}

void MediaKeyInterceptor::start() {
    if (tap_) return;
    auto tap = taps_ ? taps_->create([this](const TapEvent& event) { return tapCallback(event); }) : nullptr;
    if (!tap) {
        KeyLog::write(" no se pudo crear el event tap");
        isActive = false;
        return;
    }
    KeyLog::write(" event tap activo");
    tap_ = std::move(tap);
    tap_->setEnabled(true);
    sendWantedKeys();
    isActive = true;
}

void MediaKeyInterceptor::stop() {
    if (tap_) tap_->setEnabled(false);
    tap_.reset();
    reenableWork_.cancel();
    wantedKeysWork_.cancel();
    isActive = false;
}

bool MediaKeyInterceptor::tapCallback(const TapEvent& event) {
    if (event.type == TapEvent::disabledByTimeout || event.type == TapEvent::disabledByUserInput) {
        reenableWork_ = platform::MainQueue::shared().async([this] {
            if (tap_) tap_->setEnabled(true);
        });
        return false;
    }
    return handle(event);
}

bool MediaKeyInterceptor::handle(const TapEvent& event) {
    if (event.type != TapEvent::systemDefined || event.subtype != TapEvent::auxControlButtons) return false;
    const int key = int((event.data1 >> 16) & 0xFFFF);
    if (!isHandled(key) || !canAct(key)) return false;
    // Releases of the keys taken are taken too; auto-repeats arrive as presses and act.
    if (((event.data1 >> 8) & 0xFF) != TapEvent::keyDown) return true;

    const bool fine = (event.modifierFlags & TapEvent::option) && (event.modifierFlags & TapEvent::shift);
    const float delta = fine ? fineStep : step;
    switch (key) {
        case MediaKey::soundUp: volume_->stepVolume(delta); return true;
        case MediaKey::soundDown: volume_->stepVolume(-delta); return true;
        case MediaKey::mute: volume_->toggleMute(); return true;
        default: break;
    }
    // Each step starts from the display's level now, not from the last published one, which
    // changes below the threshold never updated.
    const auto now = brightness_.readLevel();
    if (!now) return false;
    const float sign = key == MediaKey::brightnessUp ? 1.0f : -1.0f;
    brightness_.writeLevel(std::clamp(*now + sign * delta, 0.0f, 1.0f));
    return true;
}

bool MediaKeyInterceptor::canAct(int key) const {
    switch (key) {
        case MediaKey::soundUp:
        case MediaKey::soundDown: return volume_ && volume_->deviceID() != 0 && volumeIsSettable();
        case MediaKey::mute: return volume_ != nullptr;
        case MediaKey::brightnessUp:
        case MediaKey::brightnessDown: return brightness_.isSettable();
        default: return false;
    }
}

bool MediaKeyInterceptor::volumeIsSettable() const {
    // A device whose volume reads back has a volume control the audio server accepts writes to.
    return audio_ && audio_->volume(volume_->deviceID()).has_value();
}

void MediaKeyInterceptor::scheduleWantedKeys() {
    if (!tap_) return;
    // Published values are stored after their subscribers hear of them; look once they are.
    wantedKeysWork_ = platform::MainQueue::shared().async([this] { sendWantedKeys(); });
}

void MediaKeyInterceptor::sendWantedKeys() {
    if (!tap_) return;
    std::vector<int> keys;
    for (const int key : handledKeys)
        if (canAct(key)) keys.push_back(key);
    tap_->setWantedKeys(keys);
}

}  // namespace quorlix
