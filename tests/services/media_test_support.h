#pragma once
// Shared set-up of the media tests: a fake platform, scripts run inline, and a service.

#include "fakes/fake_platform.h"
#include "foundation/app_settings.h"
#include "services/now_playing_service.h"

#include <gtest/gtest.h>

#include <memory>

namespace quorlix::testing {

inline constexpr const char* musicID = "com.apple.Music";
inline constexpr const char* spotifyID = "com.spotify.client";

class MediaTest : public ::testing::Test {
protected:
    fakes::FakePlatform fake;
    fakes::InlineSerialQueue scripts;
    std::unique_ptr<NowPlayingService> service =
        std::make_unique<NowPlayingService>(fake.platform(), scripts);

    AppSettings& settings() { return AppSettings::shared(); }
    Date now() const { return fake.time.clock.date(); }

    // Posts a player notification and lets the work it queues run.
    void notify(PlayerSource source, const platform::NotificationInfo& info) {
        fake.playerNotifications.post(source == PlayerSource::music ? NowPlayingService::musicNotification
                                                                    : NowPlayingService::spotifyNotification,
                                      info);
        fake.time.runPending();
    }

    static platform::NotificationInfo musicInfo(const std::string& state,
                                                const std::string& name = "Clandestino") {
        return {{"Player State", state},
                {"Name", name},
                {"Artist", std::string("Manu Chao")},
                {"Album", std::string("Clandestino")},
                {"Total Time", std::int64_t{148000}},
                {"PersistentID", std::string("A1B2")}};
    }
    static platform::NotificationInfo spotifyInfo(const std::string& state,
                                                  const std::string& name = "Malamente") {
        return {{"Player State", state},
                {"Name", name},
                {"Artist", std::string("Rosalía")},
                {"Album", std::string("El mal querer")},
                {"Duration", 150000.0},
                {"Track ID", std::string("spotify:track:42")}};
    }
};

}  // namespace quorlix::testing
