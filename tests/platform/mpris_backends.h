#pragma once
// Quorlix's side of a session bus: the MPRIS bus watcher and the backends built on it
// (notifications, scripts, workspace), installed with a main queue and a clock for the
// object's life; and the now-playing and lyrics services on them, wired as the application
// wires them.

#include "platform/linux/linux_workspace.h"
#include "platform/linux/mpris_bus.h"
#include "platform/linux/mpris_player_notifications.h"
#include "platform/linux/mpris_script_host.h"
#include "platform/linux/qt_http_client.h"
#include "platform/platform.h"
#include "platform/serial_queue.h"
#include "services/lyrics_service.h"
#include "services/now_playing_service.h"

#include <memory>
#include <optional>
#include <string>

namespace quorlix::testing {

struct MprisBackends {
    MprisBackends(const QDBusConnection& connection, platform::MainQueue& queue, platform::Clock& clock)
        : mpris(connection), notifications(mpris), scriptHost(mpris), workspace(mpris) {
        platform.mainQueue = &queue;
        platform.clock = &clock;
        platform.playerNotifications = &notifications;
        platform.scriptHost = &scriptHost;
        platform.workspace = &workspace;
        platform::install(platform);
    }
    ~MprisBackends() { platform::install(platform::Platform{}); }
    MprisBackends(const MprisBackends&) = delete;
    MprisBackends& operator=(const MprisBackends&) = delete;

    platform::MprisBus mpris;
    platform::MprisPlayerNotifications notifications;
    platform::MprisScriptHost scriptHost;
    platform::LinuxWorkspace workspace;
    platform::Platform platform;
};

// The now-playing service on `backends` and the lyrics service with the real HTTP client and a
// lyrics service at `lyricsBase`, each new track's lyrics loaded. `quit()` lets them and the
// client go, as quitting does, with whatever they have in flight; the queue their scripts ran
// on goes with the object (a script under way to a player in this same process waits for the
// event loop, so it is not part of a quit measured here).
struct FollowedPlayers {
    FollowedPlayers(const platform::Platform& backends, const std::string& lyricsBase)
        : http(std::make_unique<platform::QtHttpClient>()),
          scripts(std::make_unique<platform::ThreadSerialQueue>()),
          nowPlaying(std::make_unique<NowPlayingService>(backends, *scripts)),
          lyrics(std::make_unique<LyricsService>(http.get(), lyricsBase)) {
        following = nowPlaying->track.sink([this](const std::optional<Track>& track) {
            if (track == last) return;
            last = track;
            lyrics->load(track);
        });
        nowPlaying->start();
    }
    void quit() {
        following = {};
        lyrics.reset();
        nowPlaying.reset();
        http.reset();
    }

    std::unique_ptr<platform::QtHttpClient> http;
    std::unique_ptr<platform::ThreadSerialQueue> scripts;
    std::unique_ptr<NowPlayingService> nowPlaying;
    std::unique_ptr<LyricsService> lyrics;
    std::optional<Track> last;
    Subscription following;
};

}  // namespace quorlix::testing
