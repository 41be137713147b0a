// The volume keys on a running Quorlix: the real program on an X server and a PulseAudio
// daemon of the test's own, the keys pressed with xdotool and the output's volume read back
// with pactl.

#include "desktop_session.h"
#include "desktop_windows.h"
#include "platform/private_pulse_server.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>

namespace quorlix::testing {
namespace {

namespace fs = std::filesystem;

// PulseAudio's full volume in its own units.
constexpr double normalVolume = 65536;

// The default output's volume (its first channel) from 0 to 1, or nothing.
std::optional<double> defaultSinkVolume() {
    // "Volume: front-left: 36864 /  56% / -15.00 dB,   front-right: ..."
    const auto text = PrivatePulseServer::pactl("get-sink-volume @DEFAULT_SINK@");
    if (!text) return std::nullopt;
    const auto label = text->find("front-left:");
    if (label == std::string::npos) return std::nullopt;
    const char* start = text->c_str() + label + std::string_view("front-left:").size();
    char* end = nullptr;
    const long raw = std::strtol(start, &end, 10);
    if (end == start) return std::nullopt;
    return raw / normalVolume;
}

// Presses `keys` and returns the default output's volume once it has moved from `before`;
// nothing if it never moved. Quorlix reads the level it steps from out of the server's
// reports: it has heard this change once its volume HUD shows (the pill grown by 157 points),
// and the next key may come once the HUD has gone again.
std::optional<double> volumeAfterPressing(const std::string& display, const std::string& keys,
                                          double before) {
    if (run({"xdotool", "key", keys}) != 0) return std::nullopt;
    const bool moved = static_cast<bool>(waitFor([&] {
        const auto now = defaultSinkVolume();
        return now && std::abs(*now - before) > 0.001;
    }));
    if (!moved) return std::nullopt;
    const Geometry top{0, 0, 1280, 30};
    EXPECT_TRUE(waitFor([&] { return widthIs(grab(display, top), 84 + 157); })) << "no volume HUD";
    EXPECT_TRUE(waitFor([&] { return widthIs(grab(display, top), 84); })) << "the volume HUD stayed";
    return defaultSinkVolume();
}

TEST(MediaKeys, TheVolumeUpKeyRaisesTheOutputByAStepAndWithShiftAndAltByAQuarterStep) {
    if (const auto missing = DesktopSession::missingProgram(false))
        GTEST_SKIP() << *missing << " is not installed";
    for (const char* program : {"pulseaudio", "pactl"})
        if (!installed(program)) GTEST_SKIP() << program << " is not installed";
    PrivatePulseServer pulse;
    ASSERT_TRUE(pulse.ready());
    // The PulseAudio server's variables stay as it set them; the folders are fresh.
    DesktopSession session("1280x720x24");
    ASSERT_TRUE(session.ready());
    const std::string& display = session.display.name();
    paintWallpaper(display);

    // Set before launch, so the running program reads it as its starting level.
    ASSERT_TRUE(PrivatePulseServer::pactl("set-sink-volume @DEFAULT_SINK@ 50%"));
    ASSERT_NEAR(defaultSinkVolume().value_or(-1), 0.5, 0.001);

    markWelcomeSeen(session.home.config() / "com.halvik.quorlix.json");
    const auto quorlix = session.launch();
    // The keys are taken once the log says the tap is active: its grabs are on the server by then.
    const fs::path log = session.home.state() / "Quorlix.log";
    ASSERT_TRUE(waitFor([&] { return fileText(log).find("event tap activo") != std::string::npos; }))
        << "the key tap never became active\nlog:\n"
        << fileText(log);

    const auto afterStep = volumeAfterPressing(display, "XF86AudioRaiseVolume", 0.5);
    ASSERT_TRUE(afterStep) << "the volume key changed nothing";
    // One step is 1/16; a tolerance under a quarter step tells the two apart.
    EXPECT_NEAR(*afterStep, 0.5 + 1.0 / 16, 0.005);

    const auto afterFineStep = volumeAfterPressing(display, "shift+alt+XF86AudioRaiseVolume", *afterStep);
    ASSERT_TRUE(afterFineStep) << "Shift+Alt and the volume key changed nothing";
    EXPECT_NEAR(*afterFineStep, *afterStep + 1.0 / 64, 0.005);
    EXPECT_TRUE(quorlix->running());
}

}  // namespace
}  // namespace quorlix::testing
