// The volume keys on a running Quorlix: the real program on an X server and a PulseAudio
// daemon of the test's own, the keys pressed with xdotool and the output's volume read back
// with pactl.

#include "desktop_session.h"
#include "desktop_windows.h"
#include "platform/private_pulse_server.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

namespace quorlix::testing {
namespace {

namespace fs = std::filesystem;

// Presses `keys` and returns the default output's volume once it has moved from `before`;
// nothing if it never moved.
std::optional<double> volumeAfterPressing(const std::string& keys, double before) {
    if (run({"xdotool", "key", keys}) != 0) return std::nullopt;
    std::optional<double> now;
    if (!waitFor([&] {
            now = PrivatePulseServer::defaultSinkVolume();
            return now && std::abs(*now - before) > 0.001;
        }))
        return std::nullopt;
    return now;
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
    ASSERT_NEAR(PrivatePulseServer::defaultSinkVolume().value_or(-1), 0.5, 0.001);

    markWelcomeSeen(session.home.config() / "com.halvik.quorlix.json");
    const auto quorlix = session.launch();
    // The keys are taken once the log says the tap is active: its grabs are on the server by then.
    const fs::path log = session.home.state() / "Quorlix.log";
    ASSERT_TRUE(waitFor([&] { return fileText(log).find("event tap activo") != std::string::npos; }))
        << "the key tap never became active\nlog:\n"
        << fileText(log);

    // The second key comes as soon as the first has changed the output, whether or not the
    // server's report of it has reached Quorlix yet: it steps from the level the first set.
    const auto afterStep = volumeAfterPressing("XF86AudioRaiseVolume", 0.5);
    ASSERT_TRUE(afterStep) << "the volume key changed nothing";
    // One step is 1/16; a tolerance under a quarter step tells the two apart.
    EXPECT_NEAR(*afterStep, 0.5 + 1.0 / 16, 0.005);
    const auto afterFineStep = volumeAfterPressing("shift+alt+XF86AudioRaiseVolume", *afterStep);
    ASSERT_TRUE(afterFineStep) << "Shift+Alt and the volume key changed nothing";
    EXPECT_NEAR(*afterFineStep, *afterStep + 1.0 / 64, 0.005);

    // The volume HUD shows and goes; by then a key counted twice would have shown.
    const Geometry top{0, 0, 1280, 30};
    EXPECT_TRUE(waitFor([&] { return widthIs(grab(display, top), 84 + 157); })) << "no volume HUD";
    EXPECT_TRUE(waitFor([&] { return widthIs(grab(display, top), 84); })) << "the volume HUD stayed";
    EXPECT_NEAR(PrivatePulseServer::defaultSinkVolume().value_or(-1), *afterFineStep, 0.001);
    EXPECT_TRUE(quorlix->running());
}

}  // namespace
}  // namespace quorlix::testing
