#pragma once
// Turns the services' events into transient island content: each callback reads the setting
// that gates it at the moment of the event, builds a `HUDContent` and hands it to
// `HUDCenter::show` with its duration. Also the lyrics loading that follows the current
// track, the announcement of an available update and the developer HUD preview.
//
// The application delegate creates one `HUDWiring` over its services and installs each part
// at its place in the launch sequence:
//
//     wiring.subscribeTrackChanges();
//     wiring.installVolume();
//     wiring.installBrightness();  // then BrightnessService::shared().start()
//     ...
//
// Callbacks hold the wiring weakly: once it is destroyed they do nothing. Settings are read
// from `AppSettings::shared()`. Main thread only.

#include "services/hud_center.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorlix {

class AgentService;
class BatteryService;
class BluetoothService;
class BrightnessService;
class CalendarService;
class FocusMonitor;
class LyricsService;
class NowPlayingService;
class PrivacyMonitor;
class TimerService;
class UpdateService;
class VolumeService;

class HUDWiring {
public:
    struct Services {
        HUDCenter& hud;
        VolumeService& volume;
        BrightnessService& brightness;
        BluetoothService& bluetooth;
        BatteryService& battery;
        FocusMonitor& focus;
        PrivacyMonitor& privacy;
        TimerService& timer;
        AgentService& agents;
        CalendarService& calendar;
        NowPlayingService& nowPlaying;
        LyricsService& lyrics;
        UpdateService& updates;
    };

    explicit HUDWiring(Services services);
    ~HUDWiring();
    HUDWiring(const HUDWiring&) = delete;
    HUDWiring& operator=(const HUDWiring&) = delete;

    // Loads the lyrics of each new track (another `Track::identity`, or none), or clears them
    // while lyrics are off. The current track is handled at once.
    void subscribeTrackChanges();
    // Loads or clears the lyrics of the current track at once (the lyrics or media setting
    // changed).
    void trackChanged();

    // The service callbacks, one service each.
    void installVolume();      // volume HUD
    void installBrightness();  // brightness HUD
    void installOutput();      // output HUD, unless a device HUD shows
    void installDevice();      // device HUD
    void installTimer();       // "¡Listo!" alert and the timer sound
    void installAgents();      // done and needs-input alerts with their system sounds
    void installCalendar();    // reminder alert
    void installPrivacy();     // microphone and camera alerts
    void installFocus();       // focus on and off alerts
    void installBattery();     // low-battery alert, then the charger HUD

    // Shows the update-available alert once per version.
    void announceUpdate();
    // Developer aid: one sample HUD of `kind`, 1.5 s from now.
    void previewHUD(const std::string& kind);

    // The lowest low-battery threshold announced in the current discharge; 101 for none.
    int lastBatteryAlert() const;

    // What `previewHUD` shows for `kind`, given the outputs it may pick from; none for
    // "timer" (which starts a countdown instead) and for an output kind without a match.
    struct Preview {
        HUDContent content;
        double duration;
    };
    static std::optional<Preview> previewContent(std::string_view kind,
                                                 const std::vector<AudioOutput>& outputs);

private:
    struct Core;
    std::shared_ptr<Core> core_;
};

}  // namespace quorlix
