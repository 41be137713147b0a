#include "platform/linux/pulse_audio_hardware.h"

#include "child_process.h"
#include "fakes/well_formed_text.h"
#include "platform/capped_text.h"
#include "platform/linux/qt_main_queue.h"
#include "platform/platform.h"
#include "private_pulse_server.h"
#include "services/privacy_monitor.h"
#include "services/volume_service.h"

#include <gtest/gtest.h>

namespace quorlix::platform {
namespace {

using quorlix::testing::ChildProcess;
using quorlix::testing::PrivatePulseServer;
using quorlix::testing::waitUntil;

TEST(PulseTransportTest, ComesFromTheDeviceProperties) {
    const auto code = [](const PulseDeviceTraits& t) { return transportFor(t); };
    EXPECT_EQ(code({.bus = "bluetooth"}), AudioOutput::bluetooth);
    EXPECT_EQ(code({.api = "bluez5", .formFactor = "headset"}), AudioOutput::bluetooth);
    EXPECT_EQ(code({.bus = "pci", .port = "hdmi-output-0", .portDescription = "HDMI / DisplayPort"}),
              AudioOutput::hdmi);
    EXPECT_EQ(code({.bus = "pci", .profile = "output:hdmi-stereo-extra1"}), AudioOutput::hdmi);
    EXPECT_EQ(code({.bus = "pci", .portDescription = "DisplayPort"}), AudioOutput::displayPort);
    EXPECT_EQ(code({.bus = "pci", .formFactor = "internal", .port = "analog-output-speaker"}),
              AudioOutput::builtIn);
    EXPECT_EQ(code({.name = "raop_output.Sala.local"}), AudioOutput::airPlay);
    EXPECT_EQ(code({.bus = "usb", .formFactor = "headset"}), fourCharCode("usb "));
    // A null sink or a network tunnel says nothing about how it is connected.
    EXPECT_EQ(code({.name = "auto_null"}), 0u);
}

class PulseAudioHardwareTest : public ::testing::Test {
protected:
    PrivatePulseServer server;
    quorlix::testing::QtApplicationMember app;
    QtMainQueue queue;

    PulseAudioHardwareTest() { install(Platform{.mainQueue = &queue}); }
    ~PulseAudioHardwareTest() override { install(Platform{}); }

    void SetUp() override {
        for (const char* program : {"pulseaudio", "pactl"})
            if (!quorlix::testing::installed(program)) GTEST_SKIP() << program << " is not installed";
        ASSERT_TRUE(server.ready());
    }

    static bool pactl(const std::string& arguments) {
        return PrivatePulseServer::pactl(arguments).has_value();
    }
};

TEST_F(PulseAudioHardwareTest, FollowsTheDefaultSinkItsVolumeAndMute) {
    PulseAudioHardware audio;
    ASSERT_TRUE(audio.isReady());
    VolumeService volume(&audio);
    volume.start();
    std::vector<std::pair<float, bool>> changes;
    std::vector<AudioOutput> outputChanges;
    volume.onChange = [&](float level, bool muted) { changes.emplace_back(level, muted); };
    volume.onOutputChange = [&](const AudioOutput& output) { outputChanges.push_back(output); };

    ASSERT_TRUE(volume.currentOutput->has_value());
    const AudioOutput a = *volume.currentOutput.get();
    EXPECT_EQ(a.name, "Altavoces");
    EXPECT_NE(volume.deviceID(), 0u);
    EXPECT_FLOAT_EQ(volume.level.get(), 1.0f);
    // The sinks, not the sources.
    const auto outputs = volume.outputs();
    ASSERT_EQ(outputs.size(), 2u);
    EXPECT_EQ(outputs[0], a);
    EXPECT_EQ(outputs[1].name, "Pantalla");
    const AudioOutput b = outputs[1];

    ASSERT_TRUE(pactl("set-default-sink b"));
    ASSERT_TRUE(waitUntil([&] { return !outputChanges.empty(); }));

    // The server reports changes in order: what the switch caused comes before this.
    ASSERT_TRUE(pactl("set-sink-volume b 40%"));
    ASSERT_TRUE(waitUntil([&] { return !changes.empty(); }));
    EXPECT_EQ(outputChanges, std::vector<AudioOutput>{b});
    EXPECT_NEAR(changes[0].first, 0.40f, 0.001f) << "the switch alone changed the level";
    EXPECT_FALSE(changes[0].second);
    // The old sink is no longer followed: a change of it would come before b's next one.
    ASSERT_TRUE(pactl("set-sink-volume a 70%"));
    ASSERT_TRUE(pactl("set-sink-volume b 45%"));
    ASSERT_TRUE(waitUntil([&] { return changes.size() >= 2; }));
    EXPECT_EQ(changes.size(), 2u);
    EXPECT_NEAR(changes[1].first, 0.45f, 0.001f);

    volume.toggleMute();
    ASSERT_TRUE(waitUntil([&] { return volume.muted.get(); }));
    EXPECT_EQ(changes.back(), std::make_pair(volume.level.get(), true));
    // Turning it up unmutes, and an uneven balance is kept.
    ASSERT_TRUE(pactl("set-sink-volume b 20% 50%"));
    ASSERT_TRUE(waitUntil([&] { return std::abs(volume.level.get() - 0.5f) < 0.001f; }));
    volume.setVolume(0.8f);
    ASSERT_TRUE(
        waitUntil([&] { return !volume.muted.get() && std::abs(volume.level.get() - 0.8f) < 0.001f; }));
    const auto channels = PrivatePulseServer::pactl("get-sink-volume b");
    ASSERT_TRUE(channels);
    EXPECT_NE(channels->find("32%"), std::string::npos) << *channels;
    EXPECT_NE(channels->find("80%"), std::string::npos) << *channels;

    volume.makeDefaultOutput(a.id);
    ASSERT_TRUE(waitUntil([&] { return outputChanges.size() == 2; }));
    EXPECT_EQ(outputChanges[1].id, a.id);
}

// Made before the island shows, the backend reads the server only when first used: what the
// server became meanwhile is what the service starts from, and changes follow from there.
TEST_F(PulseAudioHardwareTest, ReadsTheServerAsItIsWhenFirstUsed) {
    PulseAudioHardware audio;
    ASSERT_TRUE(pactl("set-sink-volume a 30%"));
    ASSERT_TRUE(pactl("set-sink-mute a 1"));

    VolumeService volume(&audio);
    volume.start();
    EXPECT_TRUE(audio.isReady());
    ASSERT_TRUE(volume.currentOutput->has_value());
    EXPECT_EQ(volume.currentOutput.get()->name, "Altavoces");
    EXPECT_NEAR(volume.level.get(), 0.30f, 0.001f);
    EXPECT_TRUE(volume.muted.get());

    std::vector<float> levels;
    volume.onChange = [&](float level, bool) { levels.push_back(level); };
    ASSERT_TRUE(pactl("set-sink-volume a 60%"));
    ASSERT_TRUE(waitUntil([&] { return !levels.empty(); }));
    EXPECT_NEAR(levels.back(), 0.60f, 0.001f);
}

// An output is called whatever its server announces (a network sink, what its host says): a
// name longer than any screen shows arrives cut to what one can, whole code points. (The
// server's protocol carries no more than 64 KiB in a device's details.)
TEST_F(PulseAudioHardwareTest, AHugeOutputNameArrivesCapped) {
    PulseAudioHardware audio;
    ASSERT_TRUE(audio.isReady());
    VolumeService volume(&audio);
    std::string huge;
    while (huge.size() < 25'000) huge += "Salón東😀";
    ASSERT_TRUE(pactl("load-module module-null-sink sink_name=c sink_properties=device.description=" + huge));
    std::string name;
    ASSERT_TRUE(waitUntil([&] {
        const auto outputs = volume.outputs();
        name = outputs.size() == 3 ? outputs[2].name : "";
        return !name.empty();
    }));
    EXPECT_EQ(quorlix::testing::wellFormedLength(name), shownTextLimit);
    EXPECT_TRUE(huge.starts_with(name));
}

// The one event stream playing: its line of "pactl list sink-inputs", from "Sink:" on.
std::optional<std::string> playingEventSound() {
    const auto list = PrivatePulseServer::pactl("list sink-inputs");
    if (!list) return std::nullopt;
    const auto at = list->find("Sink:");
    if (at == std::string::npos) return std::nullopt;
    return list->substr(at);
}

TEST_F(PulseAudioHardwareTest, EventSoundsGoWhereTheyWereSentAndKeepTheirVolume) {
    PulseAudioHardware audio;
    ASSERT_TRUE(audio.isReady());
    VolumeService volume(&audio);
    const auto outputs = volume.outputs();
    ASSERT_EQ(outputs.size(), 2u);
    const std::vector<std::string> eventSound{"pacat", "--property=media.role=event", "/dev/zero"};

    // The user turned system sounds down to 30 %.
    {
        ChildProcess sound(eventSound);
        ASSERT_TRUE(waitUntil([&] { return playingEventSound().has_value(); }, {&sound}));
        ASSERT_TRUE(pactl("set-sink-input-volume 0 30%"));
        ASSERT_TRUE(waitUntil(
            [&] { return playingEventSound().value_or("").find("30%") != std::string::npos; }, {&sound}));
    }
    ASSERT_TRUE(waitUntil([&] { return !playingEventSound(); }));

    volume.makeDefaultOutput(outputs[1].id);
    ASSERT_TRUE(waitUntil([&] { return audio.defaultOutputDevice() == outputs[1].id; }));
    // Only the event sounds should stay on "b" (sink 1).
    ASSERT_TRUE(pactl("set-default-sink a"));
    ChildProcess sound(eventSound);
    ASSERT_TRUE(waitUntil([&] { return playingEventSound().has_value(); }, {&sound}));
    const std::string playing = *playingEventSound();
    EXPECT_TRUE(playing.starts_with("Sink: 1\n")) << playing;
    EXPECT_NE(playing.find("30%"), std::string::npos) << playing;
}

TEST_F(PulseAudioHardwareTest, TheMicrophoneIsInUseWhileSomethingRecords) {
    ASSERT_TRUE(pactl("set-default-source mic"));
    PulseAudioHardware audio;
    PrivacyMonitor monitor(&audio, nullptr);
    std::vector<std::pair<bool, bool>> changes;
    monitor.onChange = [&](bool mic, bool camera) { changes.emplace_back(mic, camera); };
    monitor.start();
    EXPECT_FALSE(monitor.micInUse.get());

    auto recorder = std::make_unique<ChildProcess>(std::vector<std::string>{"parecord", "/dev/null"});
    ASSERT_TRUE(waitUntil([&] { return !changes.empty(); }, {recorder.get()}));
    EXPECT_EQ(changes[0], std::make_pair(true, false));
    recorder.reset();
    ASSERT_TRUE(waitUntil([&] { return changes.size() == 2; }));
    EXPECT_EQ(changes[1], std::make_pair(false, false));

    // A monitor of an output is no microphone: with one as the default there is no input.
    recorder = std::make_unique<ChildProcess>(std::vector<std::string>{"parecord", "/dev/null"});
    ASSERT_TRUE(waitUntil([&] { return changes.size() == 3; }, {recorder.get()}));
    ASSERT_TRUE(pactl("set-default-source a.monitor"));
    ASSERT_TRUE(waitUntil([&] { return changes.size() == 4; }));
    EXPECT_EQ(changes[3], std::make_pair(false, false));
    EXPECT_EQ(audio.defaultInputDevice(), 0u);
}

TEST_F(PulseAudioHardwareTest, ReadsFailWhileTheServerIsGone) {
    PulseAudioHardware audio;
    ASSERT_TRUE(audio.isReady());
    int defaultChanges = 0;
    Subscription listener = audio.listen(AudioProperty::defaultOutput, [&] { ++defaultChanges; });
    server.stopWatching();
    ASSERT_TRUE(pactl("exit"));
    ASSERT_TRUE(waitUntil([&] { return !audio.isReady(); }));
    EXPECT_EQ(defaultChanges, 1);
    EXPECT_FALSE(audio.defaultOutputDevice());
    EXPECT_FALSE(audio.devices());
    EXPECT_FALSE(audio.setVolume(1, 0.5f));
}

TEST_F(PulseAudioHardwareTest, AnOutputRaisedPastFullVolumeBeforeLaunchStaysThereOnAStepUp) {
    ASSERT_TRUE(pactl("set-sink-volume a 130%"));
    PulseAudioHardware audio;
    ASSERT_TRUE(audio.isReady());
    VolumeService volume(&audio);
    volume.start();
    std::vector<std::pair<float, bool>> changes;
    volume.onChange = [&](float level, bool muted) { changes.emplace_back(level, muted); };
    EXPECT_FLOAT_EQ(volume.level.get(), 1.0f);

    volume.setVolume(volume.level + 0.0625f);
    // A request of ours to the other output is answered after anything the step asked for.
    const AudioDeviceID other = volume.outputs().at(1).id;
    ASSERT_NE(other, volume.deviceID());
    ASSERT_TRUE(audio.setVolume(other, 0.37f));
    ASSERT_TRUE(waitUntil([&] { return std::abs(audio.volume(other).value_or(0) - 0.37f) < 0.001f; }));
    EXPECT_NEAR(audio.volume(volume.deviceID()).value_or(0), 1.3f, 0.001f);
    EXPECT_EQ(changes, (std::vector<std::pair<float, bool>>{{1.0f, false}}));

    volume.setVolume(volume.level - 0.0625f);
    ASSERT_TRUE(waitUntil([&] { return std::abs(volume.level.get() - 0.9375f) < 0.001f; }));
    EXPECT_EQ(changes.size(), 2u);
}

}  // namespace
}  // namespace quorlix::platform
