#include "services/privacy_monitor.h"

#include "fakes/fake_platform.h"

#include <gtest/gtest.h>

#include <memory>

namespace quorlix {
namespace {
// Its own names: the test program is compiled a few files at a time as one unit.
namespace privacy_monitor_test {

using Property = platform::AudioProperty;
using Read = fakes::FakeAudioHardware::Read;
using Flags = std::pair<bool, bool>;

constexpr std::uint32_t builtInMic = 50;
constexpr std::uint32_t usbMic = 51;

class PrivacyMonitorTest : public ::testing::Test {
protected:
    fakes::FakePlatform fake;
    fakes::FakeAudioHardware& audio = fake.audio;
    fakes::FakeCameras& cameras = fake.cameras;
    PrivacyMonitor monitor;
    std::vector<Flags> changes;

    PrivacyMonitorTest() {
        audio.add(builtInMic, {.name = "Micrófono integrado", .outputStreams = 0});
        audio.add(usbMic, {.name = "Micrófono USB", .outputStreams = 0});
        audio.defaultInput = builtInMic;
        cameras.add(1);
        cameras.add(2);
        monitor.onChange = [this](bool mic, bool camera) { changes.emplace_back(mic, camera); };
    }

    void setMicrophone(std::uint32_t device, bool running) {
        audio.device(device).running = running;
        audio.fire(device, Property::running);
    }
    void setCamera(platform::CameraID camera, bool running) {
        cameras.camera(camera).running = running;
        cameras.fire(camera);
    }
};

TEST_F(PrivacyMonitorTest, RecordingFromTheMicrophoneReportsStartAndStop) {
    monitor.start();
    setMicrophone(builtInMic, true);
    setMicrophone(builtInMic, true);
    EXPECT_EQ(changes, (std::vector<Flags>{{true, false}}));
    setMicrophone(builtInMic, false);
    EXPECT_EQ(changes, (std::vector<Flags>{{true, false}, {false, false}}));
}

TEST_F(PrivacyMonitorTest, BusyDevicesFoundAtStartOrOnASwitchAreShownSilently) {
    audio.device(builtInMic).running = true;
    cameras.camera(2).running = true;
    monitor.start();
    EXPECT_TRUE(monitor.micInUse.get());
    EXPECT_TRUE(monitor.cameraInUse.get());

    setMicrophone(builtInMic, false);
    audio.device(usbMic).running = true;
    audio.defaultInput = usbMic;
    audio.fire(Property::defaultInput);
    EXPECT_TRUE(monitor.micInUse.get());
    EXPECT_EQ(changes, (std::vector<Flags>{{false, true}}));
    EXPECT_EQ(audio.listenerCount(builtInMic, Property::running), 0u);

    setMicrophone(usbMic, false);
    EXPECT_EQ(changes.back(), (Flags{false, true}));
    EXPECT_EQ(changes.size(), 2u);
}

TEST_F(PrivacyMonitorTest, LosingTheInputDeviceMeansTheMicrophoneIsFree) {
    monitor.start();
    setMicrophone(builtInMic, true);
    audio.defaultInput = 0;
    audio.fire(Property::defaultInput);
    EXPECT_FALSE(monitor.micInUse.get());
    EXPECT_EQ(changes, (std::vector<Flags>{{true, false}, {false, false}}));

    // Losing it again, or failing to read it, while free reports nothing.
    audio.fail(0, Read::defaultInput);
    audio.fire(Property::defaultInput);
    EXPECT_EQ(changes.size(), 2u);

    // A failed read loses the device as well.
    audio.fail(0, Read::defaultInput, false);
    audio.defaultInput = usbMic;
    audio.fire(Property::defaultInput);
    setMicrophone(usbMic, true);
    audio.fail(0, Read::defaultInput);
    audio.fire(Property::defaultInput);
    EXPECT_EQ(changes.back(), (Flags{false, false}));
    EXPECT_EQ(audio.listenerCount(usbMic, Property::running), 0u);
}

TEST_F(PrivacyMonitorTest, CamerasReportWhenTheFirstIsTakenAndTheLastReleased) {
    monitor.start();
    setCamera(1, true);
    // The reading waits one turn of the main queue.
    EXPECT_TRUE(changes.empty());
    fake.time.runPending();
    EXPECT_EQ(changes, (std::vector<Flags>{{false, true}}));

    setCamera(2, true);
    fake.time.runPending();
    EXPECT_EQ(changes.size(), 1u);

    setCamera(1, false);
    setCamera(2, false);
    fake.time.runPending();
    EXPECT_EQ(changes, (std::vector<Flags>{{false, true}, {false, false}}));
}

TEST_F(PrivacyMonitorTest, CamerasPluggedInLaterAreWatched) {
    cameras.failList = true;
    monitor.start();
    cameras.failList = false;
    cameras.add(3);
    cameras.fireList();
    EXPECT_EQ(cameras.listenerCount(3), 1u);
    EXPECT_EQ(cameras.listenerCount(1), 1u);
    setCamera(3, true);
    fake.time.runPending();
    EXPECT_EQ(changes, (std::vector<Flags>{{false, true}}));

    // Already busy when it arrives: that is a change too. Watched once only.
    setCamera(3, false);
    fake.time.runPending();
    cameras.add(4).running = true;
    cameras.fireList();
    EXPECT_EQ(changes.back(), (Flags{false, true}));
    EXPECT_EQ(cameras.listenerCount(1), 1u);

    // Unplugged while in use: released.
    cameras.remove(4);
    cameras.fireList();
    EXPECT_EQ(changes.back(), (Flags{false, false}));
}

TEST_F(PrivacyMonitorTest, APendingCameraReadingDiesWithTheMonitor) {
    auto other = std::make_unique<PrivacyMonitor>(&audio, &cameras);
    int calls = 0;
    other->onChange = [&](bool, bool) { ++calls; };
    other->start();
    setCamera(1, true);
    other.reset();
    fake.time.runPending();
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(audio.listenerCount(0, Property::defaultInput), 0u);
}

}  // namespace privacy_monitor_test
}  // namespace
}  // namespace quorlix
