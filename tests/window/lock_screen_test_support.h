#pragma once
// The lock-screen controller on a fake platform: a notched laptop listed after an external
// display, every service the views read, scripts run inline, sounds that exist, and headphone
// readings the test answers itself.

#include "fakes/fake_platform.h"
#include "foundation/app_settings.h"
#include "services/apple_script_queue.h"
#include "services/battery_service.h"
#include "services/lyrics_service.h"
#include "services/now_playing_service.h"
#include "services/volume_service.h"
#include "services/weather_service.h"
#include "window/lock_screen_controller.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quorlix::testing {

class LockScreenTest : public ::testing::Test {
protected:
    using Reading = std::function<void(std::optional<std::int64_t>)>;

    fakes::FakePlatform fake;
    fakes::InlineSerialQueue scripts;
    AppSettings& settings = AppSettings::shared();
    NowPlayingService nowPlaying{fake.platform(), scripts};
    LyricsService lyrics{&fake.httpClient};
    WeatherService weather;
    VolumeService volume{&fake.audio};
    BatteryService battery{&fake.powerSources};
    // Headphone readings started and not answered by the test yet, in order.
    std::vector<Reading> readings;
    std::unique_ptr<LockScreenController> lockScreen;

    LockScreenTest() {
        AppleScriptQueue::install(&scripts);
        fake.screens.list = {fakes::FakeScreens::externalDisplay(), fakes::FakeScreens::notchedLaptop()};
        fake.soundPlayer.files = {{"candado-cerrar.wav", 0.4}, {"candado-abrir.wav", 0.4}};
    }
    ~LockScreenTest() override {
        lockScreen.reset();
        // Let the sounds' releases fall due, so the next test starts with none playing.
        fake.time.advance(10);
        AppleScriptQueue::install(nullptr);
    }

    LockScreenController& make() {
        lockScreen = std::make_unique<LockScreenController>(
            LockScreenServices{settings, nowPlaying, lyrics, volume, weather, battery}, fake.platform(),
            [this](Reading done) { readings.push_back(std::move(done)); });
        fake.time.runPending();
        return *lockScreen;
    }

    void lock() {
        fake.screenLock.lock();
        fake.time.runPending();
    }
    void unlock() {
        fake.screenLock.unlock();
        fake.time.runPending();
    }
    void play(const std::string& title = "Clandestino") {
        nowPlaying.track =
            Track{"music:" + title, title, "Manu Chao", "Clandestino", 148, PlayerSource::music};
        fake.time.runPending();
    }
    void stop() {
        nowPlaying.track = std::nullopt;
        fake.time.runPending();
    }

    // The filled slots, in the order full, info, card: "full info card".
    std::string slots() const {
        std::string out;
        const auto add = [&out](platform::PanelWindow* window, const char* name) {
            if (!window) return;
            if (!out.empty()) out += ' ';
            out += name;
        };
        add(lockScreen->fullWindow(), "full");
        add(lockScreen->infoWindow(), "info");
        add(lockScreen->cardWindow(), "card");
        return out;
    }
    // The sounds played so far, by name.
    std::vector<std::string> sounds() const {
        std::vector<std::string> out;
        for (const auto& s : fake.soundPlayer.created) out.push_back(s->name);
        return out;
    }
    static fakes::FakePanelWindow& fakeOf(platform::PanelWindow* window) {
        return *static_cast<fakes::FakePanelWindow*>(window);
    }
};

}  // namespace quorlix::testing
