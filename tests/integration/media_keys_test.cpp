// The volume keys on a running Quorlix: the real program on an X server and a PulseAudio
// daemon of the test's own, the keys pressed with xdotool and the output's volume read back
// with pactl.

#include "desktop_session.h"
#include "platform/private_pulse_server.h"
#include "platform/virtual_display.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>

namespace quorlix::testing {
namespace {

namespace fs = std::filesystem;

// Polls `condition` for up to `seconds`.
template <class Condition>
bool within(double seconds, Condition condition) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return condition();
}

// Presses `keys` and returns the default output's volume once it has moved from `before`
// and a moment has passed for any second change to show; nothing if it never moved.
std::optional<double> volumeAfterPressing(const std::string& keys, double before) {
    if (run({"xdotool", "key", keys}) != 0) return std::nullopt;
    const bool moved = within(10, [&] {
        const auto now = PrivatePulseServer::defaultSinkVolume();
        return now && std::abs(*now - before) > 0.001;
    });
    if (!moved) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    return PrivatePulseServer::defaultSinkVolume();
}

TEST(MediaKeys, TheVolumeUpKeyRaisesTheOutputByAStepAndWithShiftAndAltByAQuarterStep) {
    for (const char* program : {"Xvfb", "xdotool", "pulseaudio", "pactl"})
        if (!installed(program)) GTEST_SKIP() << program << " is not installed";
    PrivatePulseServer pulse;
    if (!pulse.started()) GTEST_SKIP() << "No private PulseAudio daemon could start here: " << pulse.reason();
    VirtualDisplay display("1280x720x24");
    if (display.name().empty()) GTEST_SKIP() << "Xvfb could not start a display";

    // The PulseAudio server's variables stay as it set them; the folders are fresh.
    fakes::TempHome home;
    Variable displayName("DISPLAY", display.name());
    Variable qtPlatform("QT_QPA_PLATFORM", "xcb");
    // The X keyboard library Qt loads reads past the end of a string the strict checks reject,
    // and the session bus library leaves memory at exit: neither is ours.
    Variable sanitizer("ASAN_OPTIONS", "detect_leaks=0");

    // Set before launch, so the running program reads it as its starting level.
    ASSERT_TRUE(PrivatePulseServer::pactl("set-sink-volume @DEFAULT_SINK@ 50%"));
    ASSERT_NEAR(PrivatePulseServer::defaultSinkVolume().value_or(-1), 0.5, 0.001);

    markWelcomeSeen(home.config() / "com.halvik.quorlix.json");
    const std::string output = (home.path() / "quorlix.out").string();
    ChildProcess quorlix({QUORLIX_EXECUTABLE}, {{1, output, O_WRONLY | O_CREAT | O_APPEND},
                                                {2, output, O_WRONLY | O_CREAT | O_APPEND}});
    // The keys are taken once the log says the tap is active: its grabs are on the server by then.
    const fs::path log = home.state() / "Quorlix.log";
    ASSERT_TRUE(within(30, [&] { return fileText(log).find("event tap activo") != std::string::npos; }))
        << "the key tap never became active\nlog:\n"
        << fileText(log) << "\noutput:\n"
        << fileText(output);

    const auto afterStep = volumeAfterPressing("XF86AudioRaiseVolume", 0.5);
    ASSERT_TRUE(afterStep) << "the volume key changed nothing\noutput:\n" << fileText(output);
    // One step is 1/16; a tolerance under a quarter step tells the two apart.
    EXPECT_NEAR(*afterStep, 0.5 + 1.0 / 16, 0.005);

    const auto afterFineStep = volumeAfterPressing("shift+alt+XF86AudioRaiseVolume", *afterStep);
    ASSERT_TRUE(afterFineStep) << "Shift+Alt and the volume key changed nothing";
    EXPECT_NEAR(*afterFineStep, *afterStep + 1.0 / 64, 0.005);
    EXPECT_TRUE(quorlix.running());
}

}  // namespace
}  // namespace quorlix::testing
