#pragma once
// News that AI coding agents post through the hook commands written into their own
// configuration files: a bare name such as "com.halvik.quorlix.agent.codex.done", with no
// payload.
//
// On Linux a name travels as a signal on the session bus, sent from the object path
// `agentObjectPath`: its interface is the name up to the last full stop and its member the
// rest ("com.halvik.quorlix.agent.codex" and "done"). `agentPostCommand` is the command line
// a hook runs to post one.

#include "platform/published.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace quorlix::platform {

inline constexpr std::string_view agentObjectPath = "/com/halvik/quorlix";

// "/usr/bin/dbus-send --session --type=signal /com/halvik/quorlix <name>".
std::string agentPostCommand(std::string_view name);

class AgentNotifications {
public:
    virtual ~AgentNotifications() = default;
    // Calls `handler` on the main thread each time the notification `name` arrives, until
    // the subscription ends. Nothing when the name cannot be listened to.
    [[nodiscard]] virtual std::optional<Subscription> observe(const std::string& name,
                                                              std::function<void()> handler) = 0;
};

}  // namespace quorlix::platform
