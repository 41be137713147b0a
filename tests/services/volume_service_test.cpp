#include "services/volume_service.h"

#include "fakes/fake_platform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace quorlix {
namespace {
// Its own names: the test program is compiled a few files at a time as one unit.
namespace volume_service_test {

using Property = platform::AudioProperty;
using Read = fakes::FakeAudioHardware::Read;
using Write = fakes::FakeAudioHardware::Write;

constexpr std::uint32_t speakers = 10;
constexpr std::uint32_t airpods = 20;
constexpr std::uint32_t microphone = 30;

class VolumeServiceTest : public ::testing::Test {
protected:
    fakes::FakePlatform fake;
    fakes::FakeAudioHardware& audio = fake.audio;
    VolumeService volume;
    std::vector<std::pair<float, bool>> changes;
    std::vector<AudioOutput> outputChanges;

    VolumeServiceTest() {
        audio.add(speakers,
                  {.name = "Bocinas de MacBook", .transport = AudioOutput::builtIn, .volume = 0.5f});
        audio.add(airpods,
                  {.name = "AirPods Pro de Ana", .transport = AudioOutput::bluetooth, .volume = 0.3f});
        audio.add(microphone, {.name = "Micrófono", .outputStreams = 0});
        audio.defaultOutput = speakers;
    }

    // Starts, then installs the callbacks, as the application does.
    void start() {
        volume.start();
        volume.onChange = [this](float level, bool muted) { changes.emplace_back(level, muted); };
        volume.onOutputChange = [this](const AudioOutput& output) { outputChanges.push_back(output); };
    }

    void switchTo(std::uint32_t device) {
        audio.defaultOutput = device;
        audio.fire(Property::defaultOutput);
    }
};

TEST_F(VolumeServiceTest, StartPublishesTheDefaultDeviceWithoutReporting) {
    audio.device(speakers).muted = true;
    start();
    EXPECT_EQ(volume.deviceID(), speakers);
    EXPECT_EQ(volume.currentOutput.get(),
              (AudioOutput{speakers, "Bocinas de MacBook", AudioOutput::builtIn}));
    EXPECT_EQ(volume.level.get(), 0.5f);
    EXPECT_TRUE(volume.muted.get());
    EXPECT_EQ(audio.listenerCount(speakers, Property::volume), 1u);
    EXPECT_EQ(audio.listenerCount(speakers, Property::mute), 1u);
    EXPECT_TRUE(changes.empty());
    EXPECT_TRUE(outputChanges.empty());
}

TEST_F(VolumeServiceTest, SwitchingTheOutputReportsTheNewDeviceOnceAndFollowsOnlyIt) {
    start();
    switchTo(airpods);
    ASSERT_EQ(outputChanges.size(), 1u);
    EXPECT_EQ(outputChanges[0], (AudioOutput{airpods, "AirPods Pro de Ana", AudioOutput::bluetooth}));
    // The new device's level stands without a volume report.
    EXPECT_EQ(volume.level.get(), 0.3f);
    EXPECT_TRUE(changes.empty());

    // The old device is no longer listened to.
    EXPECT_EQ(audio.listenerCount(speakers, Property::volume), 0u);
    EXPECT_EQ(audio.listenerCount(speakers, Property::mute), 0u);
    audio.device(speakers).volume = 0.9f;
    audio.fire(speakers, Property::volume);
    EXPECT_EQ(volume.level.get(), 0.3f);
    EXPECT_TRUE(changes.empty());

    // The same id again, even renamed, is not news.
    audio.device(airpods).name = "AirPods de Ana";
    audio.fire(Property::defaultOutput);
    EXPECT_EQ(outputChanges.size(), 1u);
    EXPECT_EQ(volume.currentOutput->value().name, "AirPods de Ana");

    switchTo(speakers);
    ASSERT_EQ(outputChanges.size(), 2u);
    EXPECT_EQ(outputChanges[1].id, speakers);
}

TEST_F(VolumeServiceTest, ADeviceWithoutANameIsNotReportedAndTheNextNamedOneIs) {
    start();
    audio.fail(speakers, Read::name);
    audio.fire(Property::defaultOutput);
    EXPECT_FALSE(volume.currentOutput->has_value());
    EXPECT_TRUE(outputChanges.empty());

    // The same id as the one reported last, but after a nameless spell it counts as new.
    audio.fail(speakers, Read::name, false);
    audio.fire(Property::defaultOutput);
    ASSERT_EQ(outputChanges.size(), 1u);
    EXPECT_EQ(outputChanges[0].id, speakers);
}

TEST_F(VolumeServiceTest, ReportsOnlyRealChangesOfLevelAndMute) {
    start();
    audio.fire(speakers, Property::volume);
    audio.fire(speakers, Property::mute);
    EXPECT_TRUE(changes.empty());

    audio.device(speakers).volume = 0.55f;
    audio.fire(speakers, Property::volume);
    // However small, a step is a change.
    audio.device(speakers).volume = std::nextafter(0.55f, 1.0f);
    audio.fire(speakers, Property::volume);
    audio.device(speakers).muted = true;
    audio.fire(speakers, Property::mute);
    ASSERT_EQ(changes.size(), 3u);
    EXPECT_EQ(changes[0], std::make_pair(0.55f, false));
    EXPECT_EQ(changes[1], std::make_pair(std::nextafter(0.55f, 1.0f), false));
    EXPECT_EQ(changes[2], std::make_pair(std::nextafter(0.55f, 1.0f), true));
    EXPECT_TRUE(volume.muted.get());
}

TEST_F(VolumeServiceTest, FailedReadsKeepTheLevelAndShowUnmuted) {
    audio.device(speakers).muted = true;
    start();
    audio.fail(speakers, Read::volume);
    audio.fail(speakers, Read::mute);
    audio.device(speakers).volume = 0.8f;
    audio.fire(speakers, Property::volume);
    EXPECT_EQ(volume.level.get(), 0.5f);
    EXPECT_FALSE(volume.muted.get());
    EXPECT_EQ(changes, (std::vector<std::pair<float, bool>>{{0.5f, false}}));

    // A device without a mute control is never shown muted.
    audio.device(airpods).muted = std::nullopt;
    switchTo(airpods);
    EXPECT_FALSE(volume.muted.get());
    volume.toggleMute();
    EXPECT_EQ(audio.writes.back(), (Write{airpods, Property::mute, 1}));
}

TEST_F(VolumeServiceTest, ANewOutputWhoseVolumeCannotBeReadShowsZero) {
    start();
    audio.fail(airpods, Read::volume);
    switchTo(airpods);
    EXPECT_EQ(volume.level.get(), 0.0f);
    EXPECT_TRUE(changes.empty());
}

TEST_F(VolumeServiceTest, AFailedDefaultReadLeavesNoDeviceForTheKeys) {
    start();
    audio.fail(0, Read::defaultOutput);
    audio.fire(Property::defaultOutput);
    EXPECT_EQ(volume.deviceID(), 0u);
    // What was last known stays on show.
    EXPECT_EQ(volume.currentOutput->value().id, speakers);
    EXPECT_EQ(audio.listenerCount(speakers, Property::volume), 0u);

    volume.setVolume(0.7f);
    volume.toggleMute();
    EXPECT_TRUE(audio.writes.empty());

    // The same device coming back is not a new output.
    audio.fail(0, Read::defaultOutput, false);
    audio.fire(Property::defaultOutput);
    EXPECT_EQ(volume.deviceID(), speakers);
    EXPECT_TRUE(outputChanges.empty());
}

TEST_F(VolumeServiceTest, SetVolumeClampsAndUnmutesAboveZero) {
    start();
    volume.setVolume(1.2f);
    volume.setVolume(-0.3f);
    volume.setVolume(std::nanf(""));
    EXPECT_EQ(audio.writes,
              (std::vector<Write>{{speakers, Property::volume, 1.0}, {speakers, Property::volume, 0.0}}));

    audio.writes.clear();
    audio.device(speakers).muted = true;
    audio.fire(speakers, Property::mute);
    volume.setVolume(0);
    volume.setVolume(0.25f);
    EXPECT_EQ(audio.writes, (std::vector<Write>{{speakers, Property::volume, 0.0},
                                                {speakers, Property::volume, 0.25},
                                                {speakers, Property::mute, 0.0}}));
    // The published values wait for the device to report.
    EXPECT_EQ(volume.level.get(), 0.5f);
    EXPECT_TRUE(volume.muted.get());

    volume.toggleMute();
    EXPECT_EQ(audio.writes.back(), (Write{speakers, Property::mute, 0.0}));
}

TEST_F(VolumeServiceTest, ADeviceRaisedPastFullVolumeShowsFullAndAStepUpKeepsIt) {
    audio.device(speakers).volume = 1.3f;
    start();
    EXPECT_EQ(volume.level.get(), 1.0f);

    // A step up (a key, a scroll) leaves the device alone and shows the gauge full.
    volume.setVolume(volume.level + 0.0625f);
    volume.setVolume(1.0f);
    EXPECT_TRUE(audio.writes.empty());
    EXPECT_EQ(changes, (std::vector<std::pair<float, bool>>{{1.0f, false}, {1.0f, false}}));
    // Muted, the step up unmutes it and nothing more.
    audio.device(speakers).muted = true;
    audio.fire(speakers, Property::mute);
    changes.clear();
    volume.setVolume(volume.level + 0.0625f);
    EXPECT_EQ(audio.writes, (std::vector<Write>{{speakers, Property::mute, 0.0}}));
    EXPECT_TRUE(changes.empty()) << "the device's report shows it";

    // Moved further past full elsewhere: still a change, still shown full.
    audio.device(speakers).muted = false;
    audio.device(speakers).volume = 1.4f;
    audio.fire(speakers, Property::volume);
    EXPECT_EQ(changes, (std::vector<std::pair<float, bool>>{{1.0f, false}}));
    EXPECT_EQ(volume.level.get(), 1.0f);

    // A step down comes down from full.
    audio.writes.clear();
    volume.setVolume(volume.level - 0.0625f);
    EXPECT_EQ(audio.writes, (std::vector<Write>{{speakers, Property::volume, 0.9375}}));
}

TEST_F(VolumeServiceTest, StepsInQuickSuccessionAddUpWhetherOrNotTheDeviceHasAnswered) {
    start();
    const auto report = [&](std::uint32_t device, float level) {
        audio.device(device).volume = level;
        audio.fire(device, Property::volume);
    };
    const auto stepWrites = [&](float delta) {
        audio.writes.clear();
        volume.stepVolume(delta);
        return audio.writes;
    };
    // A second step before the device reports the first goes on from the level the first set.
    EXPECT_EQ(stepWrites(0.0625f), (std::vector<Write>{{speakers, Property::volume, 0.5625}}));
    EXPECT_EQ(stepWrites(0.0625f), (std::vector<Write>{{speakers, Property::volume, 0.625}}));
    // The first is reported while the second is on its way: a third goes on from the second.
    report(speakers, 0.5625f);
    EXPECT_EQ(volume.level.get(), 0.5625f);
    EXPECT_EQ(stepWrites(-0.015625f), (std::vector<Write>{{speakers, Property::volume, 0.609375}}));
    // Once the last is reported, steps go on from the published level.
    report(speakers, 0.609375f);
    EXPECT_EQ(stepWrites(0.0625f), (std::vector<Write>{{speakers, Property::volume, 0.671875}}));
    // Another program sets a level while a step is on its way: its level stands.
    report(speakers, 0.25f);
    EXPECT_EQ(stepWrites(0.0625f), (std::vector<Write>{{speakers, Property::volume, 0.3125}}));
    // Another output steps from its own level.
    switchTo(airpods);
    EXPECT_EQ(stepWrites(0.0625f), (std::vector<Write>{{airpods, Property::volume, double(0.3f + 0.0625f)}}));
    EXPECT_EQ(changes, (std::vector<std::pair<float, bool>>{{0.5625f, false}, {0.609375f, false}, {0.25f, false}}));
}

TEST_F(VolumeServiceTest, OutputsListsNamedDevicesWithOutputStreamsInOrder) {
    audio.add(40, {.name = "HDMI", .transport = AudioOutput::hdmi});
    audio.add(50, {.name = "Sin nombre"});
    audio.fail(50, Read::name);
    audio.add(60, {.name = "Roto"});
    audio.fail(60, Read::outputStreams);
    audio.fail(airpods, Read::transport);

    const auto outputs = volume.outputs();
    ASSERT_EQ(outputs.size(), 3u);
    EXPECT_EQ(outputs[0].id, speakers);
    EXPECT_EQ(outputs[1], (AudioOutput{airpods, "AirPods Pro de Ana", 0}));
    EXPECT_EQ(outputs[2].id, 40u);

    audio.fail(0, Read::devices);
    EXPECT_TRUE(volume.outputs().empty());
}

TEST_F(VolumeServiceTest, ListenersEndWithTheService) {
    auto service = std::make_unique<VolumeService>(&audio);
    service->start();
    service.reset();
    EXPECT_EQ(audio.listenerCount(0, Property::defaultOutput), 0u);
    EXPECT_EQ(audio.listenerCount(speakers, Property::volume), 0u);
    audio.fire(Property::defaultOutput);
}

}  // namespace volume_service_test
}  // namespace
}  // namespace quorlix
