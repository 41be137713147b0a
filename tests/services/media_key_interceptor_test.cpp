#include "services/media_key_interceptor.h"

#include "app/app_settings.h"
#include "app/key_log.h"
#include "fakes/fake_platform.h"
#include "platform/atomic_file.h"
#include "services/brightness_service.h"
#include "services/volume_service.h"

#include <gtest/gtest.h>

#include <sstream>

namespace quorlix {
namespace {

using platform::TapEvent;
using Write = fakes::FakeAudioHardware::Write;
using BrightnessWrite = fakes::FakeDisplayBrightness::Write;
using Property = platform::AudioProperty;
namespace MediaKey = platform::MediaKey;

constexpr std::uint32_t speakers = 7;
constexpr auto optionShift = TapEvent::option | TapEvent::shift;

class MediaKeyInterceptorTest : public ::testing::Test {
protected:
    fakes::FakePlatform fake;
    fakes::FakeAudioHardware& audio = fake.audio;
    fakes::FakeEventTaps& taps = fake.eventTaps;
    fakes::FakeAccessibilityTrust& trust = fake.accessibilityTrust;
    fakes::FakeDisplayBrightness& displays = fake.displayBrightness;
    VolumeService volume{&audio};
    BrightnessService brightness{&displays};
    MediaKeyInterceptor keys{&taps, &trust, brightness, &audio};

    MediaKeyInterceptorTest() {
        audio.add(speakers, {.name = "Bocinas", .volume = 0.5f});
        audio.defaultOutput = speakers;
        volume.start();
        brightness.start();
        keys.setVolume(&volume);
    }

    void activate() {
        trust.trusted = true;
        keys.update(true, false);
        ASSERT_TRUE(keys.isActive.get());
    }
    std::optional<bool> press(int key, std::uint64_t flags = 0) {
        return taps.send(TapEvent::mediaKey(key, true, flags));
    }
    std::optional<bool> release(int key) { return taps.send(TapEvent::mediaKey(key, false)); }

    // The messages logged so far, without their dates.
    static std::vector<std::string> logged() {
        std::istringstream in(platform::readFile(KeyLog::path()).value_or(""));
        std::vector<std::string> messages;
        for (std::string line; std::getline(in, line);)
            messages.push_back(line.substr(KeyLog::formatDate(0).size() + 1));
        return messages;
    }
};

TEST_F(MediaKeyInterceptorTest, KeyDecisionTable) {
    activate();
    struct Case {
        const char* what;
        TapEvent event;
        bool swallowed;
        std::vector<Write> audioWrites;
        std::vector<BrightnessWrite> brightnessWrites;
    };
    const auto key = [](int k, bool down, std::uint64_t flags = 0) {
        return TapEvent::mediaKey(k, down, flags);
    };
    const std::vector<Case> cases{
        {"volume up", key(MediaKey::soundUp, true), true, {{speakers, Property::volume, 0.5625}}, {}},
        {"volume down", key(MediaKey::soundDown, true), true, {{speakers, Property::volume, 0.4375}}, {}},
        {"volume up with Option",
         key(MediaKey::soundUp, true, TapEvent::option),
         true,
         {{speakers, Property::volume, 0.5625}},
         {}},
        {"volume up with Shift",
         key(MediaKey::soundUp, true, TapEvent::shift),
         true,
         {{speakers, Property::volume, 0.5625}},
         {}},
        {"volume up with Option and Shift",
         key(MediaKey::soundUp, true, optionShift),
         true,
         {{speakers, Property::volume, 0.515625}},
         {}},
        {"auto-repeat",
         TapEvent::mediaKey(MediaKey::soundDown, true, 0, true),
         true,
         {{speakers, Property::volume, 0.4375}},
         {}},
        {"volume release", key(MediaKey::soundUp, false), true, {}, {}},
        {"mute", key(MediaKey::mute, true, optionShift), true, {{speakers, Property::mute, 1}}, {}},
        {"mute release", key(MediaKey::mute, false), true, {}, {}},
        {"brightness up", key(MediaKey::brightnessUp, true), true, {}, {{1, 0.5625f}}},
        {"brightness down with Option and Shift",
         key(MediaKey::brightnessDown, true, optionShift),
         true,
         {},
         {{1, 0.484375f}}},
        {"brightness release", key(MediaKey::brightnessDown, false), true, {}, {}},
        {"play", key(MediaKey::play, true), false, {}, {}},
        {"next", key(MediaKey::next, true), false, {}, {}},
        {"previous", key(MediaKey::previous, false), false, {}, {}},
        {"keyboard illumination", key(21, true), false, {}, {}},
        {"another subtype",
         {TapEvent::systemDefined, 7, key(MediaKey::soundUp, true).data1, 0},
         false,
         {},
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        audio.writes.clear();
        displays.writes.clear();
        EXPECT_EQ(taps.send(c.event), c.swallowed);
        EXPECT_EQ(audio.writes, c.audioWrites);
        EXPECT_EQ(displays.writes, c.brightnessWrites);
    }
}

TEST_F(MediaKeyInterceptorTest, StepsAreClampedAndStartFromTheDisplaysLevelNow) {
    activate();
    displays.levels[1] = 0.98f;  // moved without a notice: the published level is still 0.5
    press(MediaKey::brightnessUp);
    displays.levels[1] = 0.01f;
    press(MediaKey::brightnessDown);
    EXPECT_EQ(displays.writes, (std::vector<BrightnessWrite>{{1, 1.0f}, {1, 0.0f}}));

    audio.device(speakers).volume = 0.98f;
    audio.fire(speakers, Property::volume);
    press(MediaKey::soundUp);
    EXPECT_EQ(audio.writes.back(), (Write{speakers, Property::volume, 1.0}));
}

TEST_F(MediaKeyInterceptorTest, KeysWhoseTargetCannotActReachTheSystem) {
    activate();
    const std::vector<int> all{MediaKey::soundUp, MediaKey::soundDown, MediaKey::brightnessUp,
                               MediaKey::brightnessDown, MediaKey::mute};
    EXPECT_EQ(taps.tap->wantedKeys, all);

    // A volume that cannot be set: press and release pass, and the tap stops taking them.
    audio.fail(speakers, fakes::FakeAudioHardware::Read::volume);
    EXPECT_EQ(press(MediaKey::soundUp), false);
    EXPECT_EQ(release(MediaKey::soundUp), false);
    audio.fire(speakers, Property::volume);
    fake.time.runPending();
    EXPECT_EQ(taps.tap->wantedKeys,
              (std::vector<int>{MediaKey::brightnessUp, MediaKey::brightnessDown, MediaKey::mute}));
    audio.fail(speakers, fakes::FakeAudioHardware::Read::volume, false);

    // No output device: the volume keys pass; mute is still taken, and does nothing.
    audio.defaultOutput = 0;
    audio.fire(Property::defaultOutput);
    fake.time.runPending();
    EXPECT_EQ(press(MediaKey::soundDown), false);
    EXPECT_EQ(release(MediaKey::soundDown), false);
    EXPECT_EQ(press(MediaKey::mute), true);
    EXPECT_EQ(release(MediaKey::mute), true);
    EXPECT_TRUE(audio.writes.empty());
    EXPECT_EQ(taps.tap->wantedKeys,
              (std::vector<int>{MediaKey::brightnessUp, MediaKey::brightnessDown, MediaKey::mute}));

    audio.defaultOutput = speakers;
    audio.fire(Property::defaultOutput);
    fake.time.runPending();
    EXPECT_EQ(taps.tap->wantedKeys, all);

    // No volume service at all: mute passes too.
    keys.setVolume(nullptr);
    EXPECT_EQ(press(MediaKey::mute), false);
    fake.time.runPending();
    EXPECT_EQ(taps.tap->wantedKeys, (std::vector<int>{MediaKey::brightnessUp, MediaKey::brightnessDown}));

    // The display cannot be read right now: nothing to step from.
    displays.levels[1] = std::nullopt;
    EXPECT_EQ(press(MediaKey::brightnessUp), false);
    EXPECT_TRUE(displays.writes.empty());
}

TEST_F(MediaKeyInterceptorTest, BrightnessKeysPassUnlessTheDisplayIsFullyUsable) {
    const auto brightnessKeysPass = [&](fakes::FakeDisplayBrightness* displays) {
        BrightnessService service{displays};
        service.start();
        MediaKeyInterceptor interceptor{&taps, &trust, service, &audio};
        trust.trusted = true;
        interceptor.update(true, false);
        const bool passed = press(MediaKey::brightnessUp) == false &&
                            release(MediaKey::brightnessUp) == false &&
                            press(MediaKey::brightnessDown) == false;
        EXPECT_TRUE(taps.tap->wantedKeys.empty());
        return passed;
    };
    EXPECT_TRUE(brightnessKeysPass(nullptr)) << "no interface";
    for (bool fakes::FakeDisplayBrightness::*operation :
         {&fakes::FakeDisplayBrightness::readable, &fakes::FakeDisplayBrightness::writable,
          &fakes::FakeDisplayBrightness::notifying}) {
        fakes::FakeDisplayBrightness partial;
        partial.*operation = false;
        EXPECT_TRUE(brightnessKeysPass(&partial)) << "an operation missing";
        EXPECT_TRUE(partial.writes.empty());
    }
    // A failed first reading would have every step start near 0.
    fakes::FakeDisplayBrightness unreadable;
    unreadable.levels[1] = std::nullopt;
    EXPECT_TRUE(brightnessKeysPass(&unreadable));
    EXPECT_TRUE(unreadable.writes.empty());
}

TEST_F(MediaKeyInterceptorTest, WithoutAskingThereIsNoPromptAndNoPoll) {
    keys.update(true, false);
    EXPECT_EQ(trust.prompts, 0);
    EXPECT_FALSE(keys.isTrusted.get());
    EXPECT_EQ(taps.created, 0);

    trust.trusted = true;
    fake.time.advance(10);
    EXPECT_FALSE(keys.isTrusted.get());
    EXPECT_EQ(taps.created, 0);
}

TEST_F(MediaKeyInterceptorTest, AskingPromptsOnceAndPollsUntilTrusted) {
    keys.update(true, true);
    EXPECT_EQ(trust.prompts, 1);
    keys.update(false, false);  // does not stop the poll
    fake.time.advance(4.4);     // two ticks without trust
    trust.trusted = true;
    fake.time.advance(0.05);
    EXPECT_FALSE(keys.isTrusted.get());
    fake.time.advance(0.1);
    EXPECT_TRUE(keys.isTrusted.get());
    EXPECT_TRUE(keys.isActive.get());
    EXPECT_EQ(trust.prompts, 1);
    EXPECT_EQ(taps.created, 1);
    EXPECT_LT(fake.time.queue.nextDueIn(), 0) << "the poll ends with the trust found";
}

TEST_F(MediaKeyInterceptorTest, TrustFoundWhileTheSettingIsOffStartsNoTap) {
    keys.requestPermission();
    AppSettings::shared().replaceSystemHUD = false;
    trust.trusted = true;
    fake.time.advance(1.5);
    EXPECT_TRUE(keys.isTrusted.get());
    EXPECT_FALSE(keys.isActive.get());

    // Nor does asking again once trusted.
    keys.requestPermission();
    EXPECT_FALSE(keys.isActive.get());
    EXPECT_EQ(taps.created, 0);

    AppSettings::shared().replaceSystemHUD = true;
    keys.requestPermission();
    EXPECT_TRUE(keys.isActive.get());
}

TEST_F(MediaKeyInterceptorTest, ADisabledTapIsEnabledAgainOnTheNextTurn) {
    activate();
    for (const auto why : {TapEvent::disabledByTimeout, TapEvent::disabledByUserInput}) {
        taps.disable(why);
        EXPECT_FALSE(press(MediaKey::soundUp));
        fake.time.runPending();
        EXPECT_EQ(press(MediaKey::soundUp), true);
    }
    EXPECT_EQ(taps.created, 1);
}

TEST_F(MediaKeyInterceptorTest, StartStopAndTheirLogLines) {
    trust.trusted = true;
    taps.failing = true;
    keys.update(true, false);
    EXPECT_FALSE(keys.isActive.get());

    taps.failing = false;
    keys.update(true, false);
    keys.update(true, true);  // already active: nothing but the log line
    EXPECT_TRUE(keys.isActive.get());
    EXPECT_EQ(taps.created, 1);

    keys.update(false, false);
    EXPECT_FALSE(keys.isActive.get());
    EXPECT_EQ(taps.tap, nullptr);

    trust.trusted = false;
    keys.update(true, false);
    EXPECT_EQ(logged(), (std::vector<std::string>{
                            " ajuste=true permiso=true", " no se pudo crear el event tap",
                            " ajuste=true permiso=true", " event tap activo", " ajuste=true permiso=true",
                            " ajuste=false permiso=true", " ajuste=true permiso=false"}));
}

}  // namespace
}  // namespace quorlix
