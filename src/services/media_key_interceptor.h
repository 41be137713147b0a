#pragma once
// Takes the volume, mute and brightness keys away from the system, so that the island's HUDs
// replace the system's own.
//
// While active, a keyboard event tap swallows those keys and performs their change through
// `VolumeService` and `BrightnessService`; the HUD then follows from the services' change
// callbacks, exactly as for a change made elsewhere. Keys whose target cannot act (no output
// device, a volume that cannot be set, no dimmable display) reach the system untouched.
//
// One process-wide instance, `MediaKeyInterceptor::shared()`. The application sets `volume`
// once and switches the interceptor with the `replaceSystemHUD` setting:
//
//     interceptor.setVolume(&volumeService);
//     interceptor.update(settings.replaceSystemHUD, /*askPermission=*/false);
//
// The tap needs the user's trust; while it is missing and was asked for, a poll looks for it
// every 1.5 s. Main thread only.

#include "platform/accessibility_trust.h"
#include "platform/audio_hardware.h"
#include "platform/event_tap.h"
#include "platform/published.h"
#include "platform/work_item.h"

#include <memory>

namespace quorlix {

class BrightnessService;
class VolumeService;

class MediaKeyInterceptor final : public ObservableObject {
public:
    // On the installed platform and `BrightnessService::shared()`, when first used.
    static MediaKeyInterceptor& shared();
    // Drops the shared interceptor, and its tap, so the next `shared()` builds a new one
    // (tests only).
    static void resetShared();

    // `audio` answers whether the output's volume can be set. Every pointer may be null (no
    // tap can be made; no grant is needed; no volume can be set); all must outlive this.
    MediaKeyInterceptor(platform::EventTaps* taps, platform::AccessibilityTrust* trust,
                        BrightnessService& brightness, platform::AudioHardware* audio);
    ~MediaKeyInterceptor() override;

    // The last known trust of the process.
    Published<bool> isTrusted;
    // True while the tap is installed.
    Published<bool> isActive{this, false};

    // The target of the volume and mute keys. Clear it before that service goes away.
    void setVolume(VolumeService* volume);
    VolumeService* volume() const { return volume_; }

    // The one switch: with `enabled`, starts the tap when trusted, else asks for the trust
    // when `askPermission`; without, removes the tap.
    void update(bool enabled, bool askPermission);
    // Shows the system's prompt and, until the trust is found, polls for it; where the trust
    // can never be granted, neither.
    void requestPermission();
    // Whether the user can grant the trust at all (not in a Wayland session).
    bool trustCanBeGranted() const { return !trust_ || trust_->canBeGranted(); }

    static constexpr double trustPollInterval = 1.5;
    // The volume or brightness change of one key press, and with Option and Shift held.
    static constexpr float step = 1.0f / 16;
    static constexpr float fineStep = 1.0f / 64;

private:
    void start();
    void stop();
    void scheduleTrustPoll();
    void trustTick();
    bool tapCallback(const platform::TapEvent& event);
    // True: the event is swallowed.
    bool handle(const platform::TapEvent& event);
    bool canAct(int key) const;
    bool volumeIsSettable() const;
    // Tells the tap which keys it may take, once the services have settled.
    void scheduleWantedKeys();
    void sendWantedKeys();

    platform::EventTaps* taps_;
    platform::AccessibilityTrust* trust_;
    BrightnessService& brightness_;
    platform::AudioHardware* audio_;
    VolumeService* volume_ = nullptr;

    std::unique_ptr<platform::EventTap> tap_;
    platform::WorkItem trustTimer_;
    platform::WorkItem reenableWork_;
    platform::WorkItem wantedKeysWork_;
    Subscription volumeChanges_;
    Subscription outputChanges_;
    Subscription brightnessChanges_;
};

}  // namespace quorlix
