#pragma once
// Quorlix's side of a session bus: the MPRIS bus watcher and the backends built on it
// (notifications, scripts, workspace), installed with a main queue and a clock for the
// object's life.

#include "platform/linux/linux_workspace.h"
#include "platform/linux/mpris_bus.h"
#include "platform/linux/mpris_player_notifications.h"
#include "platform/linux/mpris_script_host.h"
#include "platform/platform.h"

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

}  // namespace quorlix::testing
