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

#include "virtual_display.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include <xcb/xcb.h>

namespace quorlix::testing {
namespace {

namespace fs = std::filesystem;
using Write = fakes::FakeAudioHardware::Write;
using Property = platform::AudioProperty;

constexpr std::uint32_t speakers = 3;

// Another X client that holds one key on the root window, as a desktop's own handler does.
class KeyHolder {
public:
    KeyHolder(const std::string& display, xcb_keysym_t keysym) : c_(xcb_connect(display.c_str(), nullptr)) {
        if (xcb_connection_has_error(c_)) return;
        const xcb_setup_t* setup = xcb_get_setup(c_);
        const xcb_window_t root = xcb_setup_roots_iterator(setup).data->root;
        const int first = setup->min_keycode;
        const int count = setup->max_keycode - first + 1;
        auto* map = xcb_get_keyboard_mapping_reply(c_, xcb_get_keyboard_mapping(c_, first, count), nullptr);
        if (!map) return;
        const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(map);
        const int perCode = map->keysyms_per_keycode;
        // Keycodes start at 8: 0 is none.
        xcb_keycode_t code = 0;
        xcb_keycode_t spare = 0;
        for (int i = 0; i < count && !code; ++i) {
            bool empty = true;
            for (int j = 0; j < perCode; ++j) {
                if (syms[i * perCode + j] == keysym) code = xcb_keycode_t(first + i);
                if (syms[i * perCode + j]) empty = false;
            }
            if (empty && !spare && first + i > 8) spare = xcb_keycode_t(first + i);
        }
        std::free(map);
        // A keyboard without the key gets it, as one that has it would.
        if (!code && spare) {
            xcb_change_keyboard_mapping(c_, 1, spare, 1, &keysym);
            code = spare;
        }
        if (!code) return;
        auto* error = xcb_request_check(c_, xcb_grab_key_checked(c_, 1, root, XCB_MOD_MASK_ANY, code,
                                                                 XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        held_ = !error;
        std::free(error);
    }
    ~KeyHolder() { xcb_disconnect(c_); }
    bool holds() const { return held_; }

private:
    xcb_connection_t* c_;
    bool held_ = false;
};

class X11EventTapsTest : public ::testing::Test, public QtApplicationMember {
protected:
    void SetUp() override {
        for (const char* program : {"Xvfb", "xdotool"})
            if (!installed(program)) GTEST_SKIP() << program << " is not installed";
        ASSERT_TRUE(display.ready());
        backends.mainQueue = &mainQueue;
        backends.clock = &clock;
        platform::install(backends);

        audio.add(speakers, {.name = "Bocinas", .volume = 0.5f});
        audio.defaultOutput = speakers;
        volume.start();
        keys.setVolume(&volume);
    }

    void TearDown() override { platform::install(platform::Platform{}); }

    // Runs xdotool to the end.
    static void type(const std::string& keys) {
        ChildProcess xdotool({"xdotool", "key", keys});
        ASSERT_TRUE(waitUntil([&] { return !xdotool.running(); }));
        ASSERT_EQ(xdotool.exitStatus(), 0) << xdotool.report();
    }

    // The volume written after typing `keys`; none when nothing was.
    std::optional<double> volumeAfter(const std::string& keys) {
        const std::size_t before = audio.writes.size();
        type(keys);
        if (!waitUntil([&] { return audio.writes.size() > before; })) return std::nullopt;
        const Write w = audio.writes.back();
        EXPECT_EQ(w.device, speakers);
        EXPECT_EQ(w.property, Property::volume);
        // The output takes the level and says so, as PulseAudio does.
        audio.device(speakers).volume = static_cast<float>(w.value);
        audio.fire(speakers, Property::volume);
        return w.value;
    }

    VirtualDisplay display;
    Variable displayName{"DISPLAY", display.name()};  // for xdotool
    fakes::TempHome home;                             // the log
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
    EXPECT_EQ(volumeAfter("shift+alt+XF86AudioRaiseVolume"), 0.578125);
    EXPECT_EQ(volumeAfter("shift+XF86AudioLowerVolume"), 0.515625);

    // With Caps Lock and Num Lock on the keys still come to us.
    type("Caps_Lock");
    type("Num_Lock");
    EXPECT_EQ(volumeAfter("alt+shift+XF86AudioLowerVolume"), 0.5);
    EXPECT_EQ(audio.writes.size(), 4u) << "releases change nothing";
}

TEST_F(X11EventTapsTest, EveryKeyHeldElsewhereMeansNoTapAndKeysAreHeldOnlyWhileTheyCanAct) {
    platform::X11EventTaps other{display.name(), false};
    const auto ignore = [](const platform::TapEvent&) { return true; };

    trust.trusted = true;
    keys.update(true, false);
    ASSERT_TRUE(keys.isActive.get());
    // No display to dim: the brightness keys are free for another tap, the volume keys are not.
    auto second = other.create(ignore);
    EXPECT_NE(second, nullptr);
    EXPECT_EQ(volumeAfter("XF86AudioRaiseVolume"), 0.5625) << "the volume keys are still the first tap's";
    EXPECT_EQ(other.create(ignore), nullptr) << "every key is held";
    second.reset();

    // No volume service either: every key goes back to the system.
    keys.setVolume(nullptr);
    EXPECT_TRUE(waitUntil([&] { return other.create(ignore) != nullptr; })) << "keys still held";

    EXPECT_EQ(platform::X11EventTaps(display.name(), true).create(ignore), nullptr) << "Wayland session";
    EXPECT_EQ(platform::X11EventTaps(":999999", false).create(ignore), nullptr) << "no such display";
}

TEST_F(X11EventTapsTest, AKeyAnotherProgramHoldsIsLeftToItAndTheRestAreTaken) {
    // The other program was there first, holding the brightness-up key.
    KeyHolder holder(display.name(), 0x1008FF02);  // XF86MonBrightnessUp
    ASSERT_TRUE(holder.holds());

    trust.trusted = true;
    keys.update(true, false);
    ASSERT_TRUE(keys.isActive.get());
    EXPECT_EQ(volumeAfter("XF86AudioRaiseVolume"), 0.5625);
    EXPECT_EQ(volumeAfter("XF86AudioLowerVolume"), 0.5);

    std::ifstream log(home.state() / "Quorlix.log");
    std::vector<std::string> held;
    for (std::string line; std::getline(log, line);)
        if (line.find("ocupada") != std::string::npos) held.push_back(line.substr(line.find(" tecla")));
    EXPECT_EQ(held, std::vector<std::string>{" tecla XF86MonBrightnessUp ocupada por otro programa"});
}

}  // namespace
}  // namespace quorlix::testing
