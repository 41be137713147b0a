// The closed island's HUDs and live views, each over a 187 by 32 notch ("-notch") and on the
// floating pill ("-floating"), as the island's panel draws them; and the entrances of the
// volume and device HUDs and the live activity's artwork swap.

#include "foundation/app_settings.h"
#include "snapshot/island_world.h"
#include "snapshot/scene.h"
#include "ui/views.h"

#include <cstdint>
#include <list>
#include <vector>

namespace quorlix::snapshot {

namespace {

using namespace ui;

// Room for the widest alert; the device detail also needs its card's height.
constexpr Size sceneSize{560, 48};
constexpr Size detailSceneSize{560, 128};

// A square picture, `from` in the top-left corner shading to `to` in the bottom-right.
platform::Image picture(RGBA from, RGBA to) {
    const int side = 64;
    std::vector<std::uint8_t> rgba;
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            const double t = (x + y) / (2.0 * (side - 1));
            for (const auto& [a, b] :
                 {std::pair{from.red, to.red}, {from.green, to.green}, {from.blue, to.blue}})
                rgba.push_back(static_cast<std::uint8_t>(255 * (a + (b - a) * t)));
            rgba.push_back(255);
        }
    return *platform::Image::fromRGBA(side, side, std::move(rgba));
}

const platform::Image& sunsetArtwork() {
    static const platform::Image image = picture({0.98, 0.42, 0.35}, {0.45, 0.12, 0.55});
    return image;
}

const platform::Image& oceanArtwork() {
    static const platform::Image image = picture({0.2, 0.75, 0.9}, {0.05, 0.2, 0.5});
    return image;
}

AudioOutput airPods() { return {7, "AirPods Pro de Tavio", AudioOutput::bluetooth}; }

BatteryLevels levels(std::optional<std::int64_t> left, std::optional<std::int64_t> right,
                     std::optional<std::int64_t> caseLevel, std::optional<std::int64_t> main) {
    return {left, right, caseLevel, main};
}

void showDevice(IslandWorld& w, AudioDeviceInfo device, bool detail) {
    w.hud.current = HUDContent::device(std::move(device));
    w.hud.deviceDetail = detail;
}

IslandAlert alert(std::string symbol, std::string text, IslandAlert::Tint tint,
                  std::optional<std::string> detail = std::nullopt, bool wide = false, bool compact = false) {
    return {std::move(symbol), std::move(text), tint, std::move(detail), wide, compact};
}

void playing(IslandWorld& w) {
    w.nowPlaying.isPlaying = true;
    w.nowPlaying.liveVisible = true;
    w.nowPlaying.artwork = sunsetArtwork();
    w.nowPlaying.accentColor = RGBA{0.98, 0.45, 0.4, 1};
}

void battery(IslandWorld& w, BatteryService::Snapshot snapshot, BatteryStyle style) {
    AppSettings::shared().batteryStyle = style;
    w.hud.current = HUDContent::battery(snapshot);
}

struct Case {
    const char* name;
    std::function<void(IslandWorld&)> setUp;
    Size size = sceneSize;
};

const std::vector<Case>& cases() {
    using Tint = IslandAlert::Tint;
    static const std::vector<Case> all{
        {"volume-speaker", [](IslandWorld& w) { w.hud.current = HUDContent::volume(0.62f, false); }},
        {"volume-muted", [](IslandWorld& w) { w.hud.current = HUDContent::volume(0.62f, true); }},
        {"volume-headphones",
         [](IslandWorld& w) {
             w.volume.currentOutput = airPods();
             w.hud.current = HUDContent::volume(0.45f, false);
         }},
        {"volume-tinted",
         [](IslandWorld& w) {
             playing(w);
             w.hud.current = HUDContent::volume(0.8f, false);
         }},
        {"brightness", [](IslandWorld& w) { w.hud.current = HUDContent::brightness(0.7f); }},
        {"battery-low-filled",
         [](IslandWorld& w) {
             battery(w, {20, false, false}, BatteryStyle::filled);
         }},
        {"battery-low-outline",
         [](IslandWorld& w) {
             battery(w, {20, false, false}, BatteryStyle::outline);
         }},
        {"battery-charging-filled",
         [](IslandWorld& w) {
             battery(w, {78, true, true}, BatteryStyle::filled);
         }},
        {"battery-charging-outline",
         [](IslandWorld& w) {
             battery(w, {78, true, true}, BatteryStyle::outline);
         }},
        {"battery-full-filled",
         [](IslandWorld& w) {
             battery(w, {100, false, true}, BatteryStyle::filled);
         }},
        {"battery-full-outline",
         [](IslandWorld& w) {
             battery(w, {100, false, true}, BatteryStyle::outline);
         }},
        {"device-checkmark",
         [](IslandWorld& w) {
             showDevice(w, {"AirPods Pro", AudioDeviceInfo::Kind::airpodsPro, {}}, false);
         }},
        {"device-ring",
         [](IslandWorld& w) {
             showDevice(w, {"AirPods", AudioDeviceInfo::Kind::airpods, levels(80, 60, 40, {})}, false);
         }},
        {"device-bar",
         [](IslandWorld& w) {
             showDevice(w, {"Sony WH-1000XM4", AudioDeviceInfo::Kind::headphones, levels({}, {}, {}, 15)},
                        false);
         }},
        {"device-detail-three",
         [](IslandWorld& w) {
             showDevice(w,
                        {"AirPods Pro de Tavio", AudioDeviceInfo::Kind::airpodsPro, levels(80, 60, 40, {})},
                        true);
         },
         detailSceneSize},
        {"device-detail-one",
         [](IslandWorld& w) {
             showDevice(w, {"AirPods Max", AudioDeviceInfo::Kind::airpodsMax, levels({}, {}, {}, 82)}, true);
         },
         detailSceneSize},
        {"device-detail-none",
         [](IslandWorld& w) {
             showDevice(w, {"Audífonos", AudioDeviceInfo::Kind::headphones, {}}, true);
         },
         detailSceneSize},
        {"output", [](IslandWorld& w) { w.hud.current = HUDContent::output(airPods()); }},
        {"alert-detail",
         [](IslandWorld& w) {
             w.hud.current =
                 HUDContent::alert(alert("calendar", "Junta con el equipo", Tint::calendar, "5 min", true));
         }},
        {"alert-plain",
         [](IslandWorld& w) {
             w.hud.current = HUDContent::alert(alert("checkmark.circle.fill", "Claude terminó", Tint::green));
         }},
        {"alert-long",
         [](IslandWorld& w) {
             w.hud.current = HUDContent::alert(
                 alert("mic.fill", "El micrófono está en uso por una aplicación", Tint::orange));
         }},
        {"alert-compact",
         [](IslandWorld& w) {
             w.hud.current =
                 HUDContent::alert(alert("moon.fill", "Sí", Tint::focus, std::nullopt, false, true));
         }},
        {"live", [](IslandWorld& w) { playing(w); }},
        {"timer-running",
         [](IslandWorld& w) {
             // The scene is drawn at the date 0: 12:34 left of 25 minutes.
             w.timer.total = 1500;
             w.timer.endDate = Date(754);
         }},
        {"timer-paused",
         [](IslandWorld& w) {
             w.timer.total = 1500;
             w.timer.pausedRemaining = 754.0;
         }},
        {"agent-one",
         [](IslandWorld& w) {
             w.agents.working = {{AgentKind::claude, Date(-252)}};
         }},
        {"agent-two",
         [](IslandWorld& w) {
             w.agents.working = {{AgentKind::claude, Date(-252)}, {AgentKind::codex, Date(-40)}};
         }},
    };
    return all;
}

// Two scenes per case: over the notch and floating.
const std::list<Scene>& stills() {
    static const std::list<Scene> all = [] {
        std::list<Scene> scenes;
        for (const Case& c : cases()) {
            const auto setUp = c.setUp;
            scenes.emplace_back(std::string("hud-") + c.name + "-notch", c.size,
                                [setUp] { return islandScene(notchedScreen(), setUp); });
            scenes.emplace_back(std::string("hud-") + c.name + "-floating", c.size,
                                [setUp] { return islandScene(externalScreen(), setUp); });
        }
        return scenes;
    }();
    return all;
}
const auto& registered = stills();

// The resting island over the notch taking a HUD: the island grows and its parts pop in.
const AnimationScene volumeEntrance{"hud-volume-entrance",
                                    {460, 70},
                                    1.0,
                                    [](bool shown) {
                                        return islandScene(notchedScreen(), [shown](IslandWorld& w) {
                                            if (shown) w.hud.current = HUDContent::volume(0.62f, false);
                                        });
                                    },
                                    true};

const AnimationScene deviceEntrance{
    "hud-device-entrance",
    {460, 70},
    1.3,
    [](bool shown) {
        return islandScene(notchedScreen(), [shown](IslandWorld& w) {
            if (shown)
                showDevice(w, {"AirPods Pro", AudioDeviceInfo::Kind::airpodsPro, levels(80, 60, 40, {})},
                           false);
        });
    },
    true};

// The next track after a swipe to it: the new artwork comes in from the left, the old one
// leaves to the right.
const AnimationScene artworkSwap{"hud-live-artwork-swap",
                                 {460, 70},
                                 0.8,
                                 [](bool next) {
                                     return islandScene(notchedScreen(), [next](IslandWorld& w) {
                                         playing(w);
                                         w.state.trackSwipe = 1;
                                         w.nowPlaying.artwork = next ? oceanArtwork() : sunsetArtwork();
                                     });
                                 },
                                 true};

}  // namespace

}  // namespace quorlix::snapshot
