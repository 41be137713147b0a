#include "services/media_key_interceptor.h"

#include "fakes/fake_platform.h"
#include "foundation/app_settings.h"
#include "platform/atomic_file.h"
#include "platform/key_log.h"
#include "services/brightness_service.h"
#include "services/volume_service.h"

#include <gtest/gtest.h>

#include <sstream>

namespace quorlix {
namespace {
// Its own names: the test program is compiled a few files at a time as one unit.
namespace media_key_interceptor_test {

using platform::TapEvent;
using Property = platform::AudioProperty;
using Displays = fakes::FakeDisplayBrightness;
namespace MediaKey = platform::MediaKey;

constexpr std::uint32_t speakers = 7;
constexpr auto optionShift = TapEvent::option | TapEvent::shift;

TapEvent down(int key, std::uint64_t flags = 0) { return TapEvent::mediaKey(key, true, flags); }
TapEvent up(int key) { return TapEvent::mediaKey(key, false); }

class MediaKeyInterceptorTest : public ::testing::Test {
protected:
    fakes::FakePlatform fake;
    fakes::FakeAudioHardware& audio = fake.audio;
    fakes::FakeEventTaps& taps = fake.eventTaps;
    fakes::FakeAccessibilityTrust& trust = fake.accessibilityTrust;
    Displays& displays = fake.displayBrightness;
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

    // What the keys wrote since last asked: "volume 0.5625", "mute 1", "brightness 0.5", ...
    std::string effects() {
        std::ostringstream out;
        for (const auto& w : audio.writes)
            out << (w.property == Property::mute ? "mute " : "volume ") << w.value << ";";
        for (const auto& w : displays.writes) out << "brightness " << w.value << ";";
        audio.writes.clear();
        displays.writes.clear();
        return out.str();
    }

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
        std::string effects;
    };
    const Case cases[] = {
        {"volume up", down(MediaKey::soundUp), true, "volume 0.5625;"},
        {"volume down", down(MediaKey::soundDown), true, "volume 0.4375;"},
        {"with Option alone", down(MediaKey::soundUp, TapEvent::option), true, "volume 0.5625;"},
        {"with Shift alone", down(MediaKey::soundUp, TapEvent::shift), true, "volume 0.5625;"},
        {"with Option and Shift", down(MediaKey::soundUp, optionShift), true, "volume 0.515625;"},
        {"auto-repeat", TapEvent::mediaKey(MediaKey::soundDown, true, 0, true), true, "volume 0.4375;"},
        {"volume release", up(MediaKey::soundUp), true, ""},
        {"mute", down(MediaKey::mute, optionShift), true, "mute 1;"},
        {"brightness up", down(MediaKey::brightnessUp), true, "brightness 0.5625;"},
        {"brightness down, fine", down(MediaKey::brightnessDown, optionShift), true, "brightness 0.484375;"},
        {"brightness release", up(MediaKey::brightnessDown), true, ""},
        {"play", down(MediaKey::play), false, ""},
        {"next", down(MediaKey::next), false, ""},
        {"keyboard illumination", down(21), false, ""},
        {"another subtype", {TapEvent::systemDefined, 7, down(MediaKey::soundUp).data1, 0}, false, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(taps.send(c.event), c.swallowed);
        EXPECT_EQ(effects(), c.effects);
        // Another program puts the output back at half: each row starts from there.
        audio.device(speakers).volume = 0.5f;
        audio.fire(speakers, Property::volume);
    }
}

TEST_F(MediaKeyInterceptorTest, AHeldVolumeKeyStepsFromTheLevelItLastSetBeforeTheOutputAnswers) {
    activate();
    const auto repeat = TapEvent::mediaKey(MediaKey::soundUp, true, 0, true);
    EXPECT_TRUE(taps.send(down(MediaKey::soundUp)));
    EXPECT_TRUE(taps.send(repeat));
    EXPECT_TRUE(taps.send(repeat));
    EXPECT_EQ(effects(), "volume 0.5625;volume 0.625;volume 0.6875;");
}

TEST_F(MediaKeyInterceptorTest, BrightnessStepsStartFromTheDisplaysLevelNowAndAreClamped) {
    activate();
    displays.levels[1] = 0.98f;  // moved without a notice: the published level is still 0.5
    taps.send(down(MediaKey::brightnessUp));
    displays.levels[1] = 0.01f;
    taps.send(down(MediaKey::brightnessDown));
    EXPECT_EQ(effects(), "brightness 1;brightness 0;");

    displays.levels[1] = std::nullopt;
    EXPECT_EQ(taps.send(down(MediaKey::brightnessUp)), false) << "nothing to step from";
    EXPECT_EQ(effects(), "");
}

TEST_F(MediaKeyInterceptorTest, VolumeKeysWithoutAUsableOutputReachTheSystem) {
    activate();
    const std::vector<int> brightnessAndMute{MediaKey::brightnessUp, MediaKey::brightnessDown,
                                             MediaKey::mute};

    // A volume that cannot be set: press and release pass, and the tap stops taking them.
    audio.fail(speakers, fakes::FakeAudioHardware::Read::volume);
    EXPECT_EQ(taps.send(down(MediaKey::soundUp)), false);
    EXPECT_EQ(taps.send(up(MediaKey::soundUp)), false);
    audio.fire(speakers, Property::volume);
    fake.time.runPending();
    EXPECT_EQ(taps.tap->wantedKeys, brightnessAndMute);
    audio.fail(speakers, fakes::FakeAudioHardware::Read::volume, false);

    // No output device: the volume keys pass; mute is still taken, and does nothing.
    audio.defaultOutput = 0;
    audio.fire(Property::defaultOutput);
    fake.time.runPending();
    EXPECT_EQ(taps.send(down(MediaKey::soundDown)), false);
    EXPECT_EQ(taps.send(up(MediaKey::soundDown)), false);
    EXPECT_EQ(taps.send(down(MediaKey::mute)), true);
    EXPECT_EQ(taps.send(up(MediaKey::mute)), true);
    EXPECT_EQ(effects(), "");
    EXPECT_EQ(taps.tap->wantedKeys, brightnessAndMute);

    // No volume service at all: mute passes too.
    keys.setVolume(nullptr);
    EXPECT_EQ(taps.send(down(MediaKey::mute)), false);
}

TEST_F(MediaKeyInterceptorTest, BrightnessKeysPassUnlessTheDisplayIsFullyUsable) {
    const auto brightnessKeysPass = [&](Displays* displays) {
        BrightnessService service{displays};
        service.start();
        MediaKeyInterceptor interceptor{&taps, &trust, service, &audio};
        trust.trusted = true;
        interceptor.update(true, false);
        EXPECT_TRUE(taps.tap->wantedKeys.empty());
        return taps.send(down(MediaKey::brightnessUp)) == false &&
               taps.send(up(MediaKey::brightnessUp)) == false;
    };
    EXPECT_TRUE(brightnessKeysPass(nullptr)) << "no interface";
    for (bool Displays::*operation : {&Displays::readable, &Displays::writable, &Displays::notifying}) {
        Displays partial;
        partial.*operation = false;
        EXPECT_TRUE(brightnessKeysPass(&partial)) << "an operation missing";
    }
    // A failed first reading published 0: stepping from it would all but black the screen.
    Displays unreadable;
    unreadable.levels[1] = std::nullopt;
    EXPECT_TRUE(brightnessKeysPass(&unreadable));
    EXPECT_TRUE(unreadable.writes.empty());
}

TEST_F(MediaKeyInterceptorTest, PermissionIsAskedForOnlyWhenToldAndPolledUntilFound) {
    keys.update(true, false);
    trust.trusted = true;
    fake.time.advance(10);
    EXPECT_EQ(trust.prompts, 0);
    EXPECT_FALSE(keys.isTrusted.get()) << "no poll without asking";
    EXPECT_EQ(taps.created, 0);

    trust.trusted = false;
    keys.update(true, true);
    EXPECT_EQ(trust.prompts, 1);
    keys.update(false, false);  // does not stop the poll
    fake.time.advance(4.4);     // two ticks without trust
    trust.trusted = true;
    fake.time.advance(0.05);
    EXPECT_FALSE(keys.isTrusted.get());
    fake.time.advance(0.1);
    EXPECT_TRUE(keys.isTrusted.get());
    EXPECT_TRUE(keys.isActive.get()) << "the setting is on";
    EXPECT_EQ(trust.prompts, 1);
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
    EXPECT_EQ(taps.created, 0);

    AppSettings::shared().replaceSystemHUD = true;
    keys.requestPermission();
    EXPECT_TRUE(keys.isActive.get());
}

TEST_F(MediaKeyInterceptorTest, ADisabledTapIsEnabledAgainOnTheNextTurn) {
    activate();
    for (const auto why : {TapEvent::disabledByTimeout, TapEvent::disabledByUserInput}) {
        taps.disable(why);
        EXPECT_FALSE(taps.send(down(MediaKey::soundUp)));
        fake.time.runPending();
        EXPECT_EQ(taps.send(down(MediaKey::soundUp)), true);
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

}  // namespace media_key_interceptor_test
}  // namespace
}  // namespace quorlix
