#include "app/hud_wiring.h"

#include "foundation/app_settings.h"
#include "platform/clock.h"
#include "platform/main_queue.h"
#include "platform/platform.h"
#include "platform/user_defaults.h"
#include "services/agent_service.h"
#include "services/battery_service.h"
#include "services/bluetooth_service.h"
#include "services/brightness_service.h"
#include "services/calendar_service.h"
#include "services/focus_monitor.h"
#include "services/lyrics_service.h"
#include "services/now_playing_service.h"
#include "services/privacy_monitor.h"
#include "services/sounds.h"
#include "services/text_match.h"
#include "services/timer_service.h"
#include "services/update_service.h"
#include "services/volume_service.h"

#include <algorithm>

namespace quorlix {

namespace {

using Tint = IslandAlert::Tint;

constexpr int noBatteryAlert = 101;
constexpr double outputHUDDuration = 2.4;
constexpr double lowBatteryDuration = 4.5;
constexpr double privacyDuration = 3.0;
constexpr double timerDuration = 5.0;
constexpr double agentDoneDuration = 5.0;
constexpr double needsInputDuration = 8.0;
constexpr double reminderDuration = 6.0;
constexpr double updateDuration = 5.0;
constexpr double previewDelay = 1.5;
constexpr double previewDuration = 6.0;
constexpr double previewDeviceDuration = 7.0;

// A wait taken from a setting; a stored value can be anything, a wait is never negative.
double wait(double seconds) { return seconds > 0 ? seconds : 0; }

IslandAlert alert(std::string symbol, std::string text, Tint tint,
                  std::optional<std::string> detail = std::nullopt) {
    return {std::move(symbol), std::move(text), tint, std::move(detail), false, false};
}

IslandAlert focusAlert(bool active) {
    IslandAlert a = active ? alert("moon.fill", "Sí", Tint::focus) : alert("moon.fill", "No", Tint::dim);
    a.compact = true;
    return a;
}

IslandAlert calendarAlert(std::string title, std::string detail) {
    IslandAlert a = alert("calendar", std::move(title), Tint::calendar, std::move(detail));
    a.wide = true;
    return a;
}

// `handler(core, arguments...)` as a callback that holds the core weakly and does nothing
// once it is gone.
template <class Core, class Handler>
auto weakly(const std::shared_ptr<Core>& core, Handler handler) {
    return [weak = std::weak_ptr<Core>(core), handler](const auto&... arguments) {
        if (const auto strong = weak.lock()) handler(*strong, arguments...);
    };
}

std::string withoutEveryOccurrence(std::string text, std::string_view piece) {
    for (auto at = text.find(piece); at != std::string::npos; at = text.find(piece, at))
        text.erase(at, piece.size());
    return text;
}

}  // namespace

struct HUDWiring::Core {
    Services s;
    int lastBatteryAlert = noBatteryAlert;
    Subscription trackSubscription;
    // Whether a track value has passed yet, and the identity of the last one (none: no track).
    std::optional<std::optional<std::string>> lastTrack;
    platform::WorkItem previewWork;
    // The agent sound playing now, kept until the next one.
    std::shared_ptr<platform::Sound> agentSound;

    explicit Core(Services services) : s(services) {}

    static AppSettings& settings() { return AppSettings::shared(); }

    void show(const HUDContent& content, double duration) { s.hud.show(content, duration); }

    void trackChanged(const std::optional<Track>& track) {
        // A new title, artist or album is another track, even under the same id: some players
        // give every file one id. A length arriving is not.
        std::optional<std::string> identity;
        if (track) identity = track->identity();
        if (lastTrack && *lastTrack == identity) return;
        lastTrack = identity;
        applyLyrics(track);
    }

    void applyLyrics(const std::optional<Track>& track) {
        if (Features::lyrics())
            s.lyrics.load(track);
        else
            s.lyrics.clear();
    }

    void levelChanged(const BatteryService::Snapshot& snapshot) {
        // Plugging in re-arms both thresholds whatever the setting says, so an alert switched
        // off and on again is not left disarmed by a charge it never saw.
        if (snapshot.pluggedIn) {
            lastBatteryAlert = noBatteryAlert;
            return;
        }
        int threshold = 0;
        if (snapshot.level <= 10)
            threshold = 10;
        else if (snapshot.level <= 20)
            threshold = 20;
        else
            return;
        if (lastBatteryAlert <= threshold) return;
        lastBatteryAlert = threshold;
        if (!settings().lowBatteryAlert.get()) return;
        show(HUDContent::alert(
                 alert("battery.25percent", "Batería al " + std::to_string(snapshot.level) + "%", Tint::red)),
             lowBatteryDuration);
    }

    void privacyChanged(bool mic, bool camera) {
        if (!settings().privacyAlerts.get()) return;
        if (mic && camera)
            show(HUDContent::alert(alert("video.fill", "Cámara y mic", Tint::green, "●")), privacyDuration);
        else if (camera)
            show(HUDContent::alert(alert("video.fill", "Cámara", Tint::green, "●")), privacyDuration);
        else if (mic)
            show(HUDContent::alert(alert("mic.fill", "Micrófono", Tint::orange, "●")), privacyDuration);
    }

    void playSystemSound(const std::string& name) {
        platform::SoundPlayer* player = platform::installed().soundPlayer;
        if (!player) return;
        agentSound = player->systemSound(name);
        if (agentSound) agentSound->play();
    }
};

HUDWiring::HUDWiring(Services services) : core_(std::make_shared<Core>(services)) {}

HUDWiring::~HUDWiring() = default;

int HUDWiring::lastBatteryAlert() const { return core_->lastBatteryAlert; }

void HUDWiring::subscribeTrackChanges() {
    core_->trackSubscription = core_->s.nowPlaying.track.subscribe(
        weakly(core_, [](Core& core, const std::optional<Track>& track) { core.trackChanged(track); }));
}

void HUDWiring::trackChanged() { core_->applyLyrics(core_->s.nowPlaying.track.get()); }

void HUDWiring::installVolume() {
    core_->s.volume.onChange = weakly(core_, [](Core& core, float level, bool muted) {
        const auto& settings = Core::settings();
        if (!settings.volumeHUD.get()) return;
        core.show(HUDContent::volume(level, muted), wait(settings.volumeHUDDuration));
    });
}

void HUDWiring::installBrightness() {
    core_->s.brightness.onChange = weakly(core_, [](Core& core, float level) {
        const auto& settings = Core::settings();
        if (!settings.brightnessHUD.get()) return;
        core.show(HUDContent::brightness(level), wait(settings.volumeHUDDuration));
    });
}

void HUDWiring::installOutput() {
    core_->s.volume.onOutputChange = weakly(core_, [](Core& core, const AudioOutput& output) {
        if (!Core::settings().outputHUD.get()) return;
        // A Bluetooth device was just announced; its own HUD says it all.
        const auto& current = core.s.hud.current.get();
        if (current && current->kind() == HUDContent::Case::device) return;
        core.show(HUDContent::output(output), outputHUDDuration);
    });
}

void HUDWiring::installDevice() {
    core_->s.bluetooth.onDevice = weakly(core_, [](Core& core, const AudioDeviceInfo& info) {
        const auto& settings = Core::settings();
        if (!settings.deviceHUD.get()) return;
        core.show(HUDContent::device(info), wait(settings.deviceHUDDuration));
    });
}

void HUDWiring::installTimer() {
    core_->s.timer.onFinish = weakly(core_, [](Core& core) {
        core.show(HUDContent::alert(alert("checkmark.circle.fill", "¡Listo!", Tint::orange)), timerDuration);
        if (Core::settings().timerSound.get()) Sounds::play(Sound::timer, 1.0);
    });
}

void HUDWiring::installAgents() {
    core_->s.agents.onDone = weakly(core_, [](Core& core, AgentKind kind, std::optional<double> elapsed) {
        const auto& settings = Core::settings();
        if (!settings.agentAlerts.get()) return;
        std::optional<std::string> detail;
        if (elapsed) detail = AgentService::format(*elapsed);
        core.show(HUDContent::alert(alert("checkmark.circle.fill",
                                          std::string(displayName(kind)) + " terminó", Tint::green, detail)),
                  agentDoneDuration);
        if (settings.agentSound.get()) core.playSystemSound("Glass");
    });
    core_->s.agents.onNeedsInput = weakly(core_, [](Core& core, AgentKind kind) {
        const auto& settings = Core::settings();
        if (!settings.agentAlerts.get()) return;
        core.show(HUDContent::alert(
                      alert("hand.raised.fill", "Te necesita", Tint::orange, std::string(displayName(kind)))),
                  needsInputDuration);
        if (settings.agentSound.get()) core.playSystemSound("Ping");
    });
}

void HUDWiring::installCalendar() {
    core_->s.calendar.onReminder = weakly(core_, [](Core& core, const UpcomingEvent& event) {
        if (!Core::settings().calendarEnabled.get()) return;
        // "En 5 min" reads "5 min" beside the title; "Ahora" and clock times pass unchanged.
        const std::string when = CalendarService::relative(event, platform::Clock::shared().date());
        core.show(HUDContent::alert(calendarAlert(event.title, withoutEveryOccurrence(when, "En "))),
                  reminderDuration);
    });
}

void HUDWiring::installPrivacy() {
    core_->s.privacy.onChange =
        weakly(core_, [](Core& core, bool mic, bool camera) { core.privacyChanged(mic, camera); });
}

void HUDWiring::installFocus() {
    core_->s.focus.onChange = weakly(core_, [](Core& core, const FocusMonitor::State& state) {
        const auto& settings = Core::settings();
        if (!settings.focusAlerts.get()) return;
        core.show(HUDContent::alert(focusAlert(state.active)), wait(settings.focusHUDDuration));
    });
}

void HUDWiring::installBattery() {
    core_->s.battery.onLevelChange = weakly(
        core_, [](Core& core, const BatteryService::Snapshot& snapshot) { core.levelChanged(snapshot); });
    core_->s.battery.onPowerChange = weakly(core_, [](Core& core, const BatteryService::Snapshot& snapshot) {
        const auto& settings = Core::settings();
        if (!settings.chargerHUD.get()) return;
        core.show(HUDContent::battery(snapshot), wait(settings.chargerHUDDuration));
    });
}

void HUDWiring::announceUpdate() {
    const auto* available = std::get_if<UpdateService::Available>(&core_->s.updates.state.get());
    if (!available) return;
    auto& defaults = platform::UserDefaults::standard();
    if (defaults.stringForKey("announcedUpdate") == available->version) return;
    defaults.setString("announcedUpdate", available->version);
    IslandAlert a =
        alert("arrow.down.circle.fill", "Quorlix " + available->version + " disponible", Tint::accent);
    a.wide = true;
    core_->show(HUDContent::alert(std::move(a)), updateDuration);
}

void HUDWiring::previewHUD(const std::string& kind) {
    std::weak_ptr<Core> weak = core_;
    core_->previewWork = platform::MainQueue::shared().after(previewDelay, [weak, kind] {
        const auto core = weak.lock();
        if (!core) return;
        if (kind == "timer") {
            core->s.timer.start(25);
            return;
        }
        // Listing the outputs asks the system, so only the kinds that show one do it.
        std::vector<AudioOutput> outputs;
        if (kind == "output" || kind == "builtin") outputs = core->s.volume.outputs();
        if (const auto preview = previewContent(kind, outputs))
            core->show(preview->content, preview->duration);
    });
}

std::optional<HUDWiring::Preview> HUDWiring::previewContent(std::string_view kind,
                                                            const std::vector<AudioOutput>& outputs) {
    using Snapshot = BatteryService::Snapshot;
    auto shown = [](IslandAlert a) { return Preview{HUDContent::alert(std::move(a)), previewDuration}; };

    if (kind == "output") {
        if (outputs.empty()) return std::nullopt;
        const auto airpods = std::find_if(outputs.begin(), outputs.end(), [](const AudioOutput& o) {
            return containsIgnoringCase(o.name, "airpods");
        });
        return Preview{HUDContent::output(airpods != outputs.end() ? *airpods : outputs.front()),
                       previewDuration};
    }
    if (kind == "builtin") {
        const auto builtIn = std::find_if(outputs.begin(), outputs.end(),
                                          [](const AudioOutput& o) { return o.shortName() == "Bocinas"; });
        if (builtIn == outputs.end()) return std::nullopt;
        return Preview{HUDContent::output(*builtIn), previewDuration};
    }
    if (kind == "timer") return std::nullopt;
    if (kind == "calendar") return shown(calendarAlert("Junta con el equipo", "5 min"));
    if (kind == "focus") return shown(focusAlert(true));
    if (kind == "focusoff") return shown(focusAlert(false));
    if (kind == "mic") return shown(alert("mic.fill", "Micrófono", Tint::orange, "●"));
    if (kind == "brightness") return Preview{HUDContent::brightness(0.7f), previewDuration};
    if (kind == "volume") return Preview{HUDContent::volume(0.62f, false), previewDuration};
    if (kind == "battery") return Preview{HUDContent::battery(Snapshot{78, true, true}), previewDuration};
    if (kind == "batteryfull")
        return Preview{HUDContent::battery(Snapshot{100, false, true}), previewDuration};
    if (kind == "batteryoff")
        return Preview{HUDContent::battery(Snapshot{47, false, false}), previewDuration};
    if (kind == "max") {
        BatteryLevels levels;
        levels.main = 82;
        return Preview{HUDContent::device({"AirPods Max", AudioDeviceInfo::Kind::airpodsMax, levels}),
                       previewDeviceDuration};
    }
    BatteryLevels levels;
    levels.left = 92;
    levels.right = 88;
    levels.caseLevel = 54;
    return Preview{HUDContent::device({"AirPods Pro de Tavio", AudioDeviceInfo::Kind::airpodsPro, levels}),
                   previewDeviceDuration};
}

}  // namespace quorlix
