// The media keys on a real X server of the test's own (Xvfb): keys typed with xdotool reach
// the interceptor through the X11 tap and step the volume of fake audio hardware.

#include "platform/linux/x11_event_taps.h"

#include "fakes/fake_audio_hardware.h"
#include "fakes/fake_media_keys.h"
#include "fakes/fake_platform.h"
#include "platform/linux/qt_main_queue.h"
#include "platform/platform.h"
#include "services/brightness_service.h"
#include "services/media_key_interceptor.h"
#include "services/volume_service.h"

#include "child_process.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <optional>

namespace quorlix::testing {
namespace {

namespace fs = std::filesystem;
using Write = fakes::FakeAudioHardware::Write;
using Property = platform::AudioProperty;

constexpr std::uint32_t speakers = 3;

// An X server on a free display, ended with the object.
class VirtualDisplay {
public:
    VirtualDisplay()
        : numberFile_(home_.path() / "display"),
          server_({"Xvfb", "-displayfd", "3", "-screen", "0", "320x240x24", "-nolisten", "tcp"},
                  {{3, numberFile_.string(), O_WRONLY | O_CREAT | O_TRUNC}, {2, "/dev/null", O_WRONLY}}) {
        if (!server_.started()) return;
        waitUntil([&] {
            std::ifstream in(numberFile_);
            std::string number;
            if (std::getline(in, number) && !number.empty() && !in.eof()) name_ = ":" + number;
            return !name_.empty() || !server_.running();
        });
    }
    // Empty when no server could be started.
    const std::string& name() const { return name_; }

private:
    fakes::TempHome home_;
    fs::path numberFile_;
    ChildProcess server_;
    std::string name_;
};

class X11EventTapsTest : public ::testing::Test, public QtApplicationMember {
protected:
    void SetUp() override {
        if (display.name().empty()) GTEST_SKIP() << "Xvfb could not start a display";
        const char* old = std::getenv("DISPLAY");
        savedDisplay = old ? std::optional<std::string>(old) : std::nullopt;
        setenv("DISPLAY", display.name().c_str(), 1);  // for xdotool
        backends.mainQueue = &mainQueue;
        backends.clock = &clock;
        platform::install(backends);

        audio.add(speakers, {.name = "Bocinas", .volume = 0.5f});
        audio.defaultOutput = speakers;
        volume.start();
        keys.setVolume(&volume);
    }

    void TearDown() override {
        if (savedDisplay)
            setenv("DISPLAY", savedDisplay->c_str(), 1);
        else
            unsetenv("DISPLAY");
        platform::install(platform::Platform{});
    }

    // Runs xdotool to the end.
    static void type(const std::string& keys) {
        ChildProcess xdotool({"xdotool", "key", keys});
        ASSERT_TRUE(xdotool.started());
        ASSERT_TRUE(waitUntil([&] { return !xdotool.running(); }));
    }

    // The volume written after typing `keys`; none when nothing was.
    std::optional<double> volumeAfter(const std::string& keys) {
        const std::size_t before = audio.writes.size();
        type(keys);
        if (!waitUntil([&] { return audio.writes.size() > before; })) return std::nullopt;
        const Write& w = audio.writes.back();
        EXPECT_EQ(w.device, speakers);
        EXPECT_EQ(w.property, Property::volume);
        return w.value;
    }

    VirtualDisplay display;
    std::optional<std::string> savedDisplay;
    fakes::TempHome home;  // the log
    platform::QtMainQueue mainQueue;
    platform::SystemClock clock;
    platform::Platform backends;
    fakes::FakeAudioHardware audio;
    fakes::FakeAccessibilityTrust trust;
    VolumeService volume{&audio};
    BrightnessService brightness{nullptr};
    platform::X11EventTaps taps{display.name(), false};
    MediaKeyInterceptor keys{&taps, &trust, brightness, &audio};
};

TEST_F(X11EventTapsTest, VolumeKeysStepTheVolumeWithShiftAndAltForAQuarterStep) {
    trust.trusted = true;
    keys.update(true, false);
    ASSERT_TRUE(keys.isActive.get());

    EXPECT_EQ(volumeAfter("XF86AudioRaiseVolume"), 0.5625);
    EXPECT_EQ(volumeAfter("shift+alt+XF86AudioRaiseVolume"), 0.515625);
    EXPECT_EQ(volumeAfter("shift+XF86AudioLowerVolume"), 0.4375);

    // With Caps Lock and Num Lock on the keys still come to us.
    type("Caps_Lock");
    type("Num_Lock");
    EXPECT_EQ(volumeAfter("alt+shift+XF86AudioLowerVolume"), 0.484375);
    EXPECT_EQ(audio.writes.size(), 4u) << "releases change nothing";
}

TEST_F(X11EventTapsTest, AKeyHeldElsewhereMeansNoTapAndKeysAreHeldOnlyWhileTheyCanAct) {
    platform::X11EventTaps other{display.name(), false};
    const auto ignore = [](const platform::TapEvent&) { return true; };

    trust.trusted = true;
    keys.update(true, false);
    ASSERT_TRUE(keys.isActive.get());
    EXPECT_EQ(other.create(ignore), nullptr) << "the volume keys are held by the first tap";

    // No volume service and no display to dim: every key goes back to the system.
    keys.setVolume(nullptr);
    settle(200);
    EXPECT_NE(other.create(ignore), nullptr);

    EXPECT_EQ(platform::X11EventTaps(display.name(), true).create(ignore), nullptr) << "Wayland session";
    EXPECT_EQ(platform::X11EventTaps(":999999", false).create(ignore), nullptr) << "no such display";
}

}  // namespace
}  // namespace quorlix::testing
