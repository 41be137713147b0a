#pragma once
// Which AI coding agents work right now, since when, and when one finishes or waits for the
// user.
//
// Events arrive as `quorlix://agent?agent=<kind>&event=<event>` URLs (`handle`), from the
// agents' own notifications (which the notification backend hands to `handle` as the same
// pairs) and from the browser watcher (`setWorking`). The island shows the agent that started
// first (`primary`); `onDone` and `onNeedsInput` become alerts.
//
// An agent that stops reporting is dropped once it has been silent for 900 s; the sweep runs
// every 60 s while anything works. Main thread only.

#include "app/raw_enum.h"
#include "platform/clock.h"
#include "platform/published.h"
#include "platform/work_item.h"
#include "services/rgba.h"

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace quorlix {

enum class AgentKind { claude, codex, cursor, gemini, chatgpt, claudeWeb, other };

template <>
struct RawEnumTraits<AgentKind> {
    static constexpr std::array<std::pair<AgentKind, std::string_view>, 7> cases{{
        {AgentKind::claude, "claude"},
        {AgentKind::codex, "codex"},
        {AgentKind::cursor, "cursor"},
        {AgentKind::gemini, "gemini"},
        {AgentKind::chatgpt, "chatgpt"},
        {AgentKind::claudeWeb, "claudeWeb"},
        {AgentKind::other, "other"},
    }};
};

// The fixed colour of each kind.
RGBA tint(AgentKind kind);
// The name used in alerts ("Claude", "Codex", ..., "Agente").
std::string_view displayName(AgentKind kind);

class AgentService final : public ObservableObject {
public:
    struct Primary {
        AgentKind kind;
        Date since;
        friend bool operator==(const Primary&, const Primary&) = default;
    };

    // Each working agent with the date its current run started.
    Published<std::map<AgentKind, Date>> working{this, {}};
    // Whether the agents' configuration files hold our hooks, and the last hook error.
    Published<bool> claudeConnected{this, false};
    Published<bool> codexConnected{this, false};
    Published<std::optional<std::string>> lastError{this, std::nullopt};

    // An agent finished; the elapsed time is absent when it was not known to be working.
    std::function<void(AgentKind, std::optional<double> elapsed)> onDone;
    // An agent waits for the user.
    std::function<void(AgentKind)> onNeedsInput;

    // Applies the event a `quorlix://agent` URL carries; any other URL is ignored.
    void handle(std::string_view url);
    // Marks an agent working or stopped from outside (the browser watcher); stopping one that
    // worked reports it done when `notify` is set.
    void setWorking(AgentKind kind, bool on, bool notify);
    // The single place where an agent's event changes the state: "working", "done",
    // "input", "idle" or "cancel".
    void apply(AgentKind kind, std::string_view event);

    // The working agent that started first; none when none works.
    std::optional<Primary> primary() const;

    // Elapsed seconds, truncated: "42s", "7:05", "1:02:09".
    static std::string format(double seconds);

    // Events that come as notifications.
    static constexpr std::array<std::string_view, 4> events{"working", "done", "input", "idle"};

private:
    void scheduleStaleCheck();
    void sweepStale();
    void setWorkingMap(std::map<AgentKind, Date> map);

    platform::WorkItem staleTask;
    std::map<AgentKind, Date> askedAt;
    std::map<AgentKind, Date> doneAt;
    std::map<AgentKind, Date> lastActivity;
};

}  // namespace quorlix
