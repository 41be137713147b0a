#pragma once
// Which AI coding agents work right now, since when, and when one finishes or waits for the
// user.
//
// Events arrive from three sources: the agents' own notifications, posted by the hook
// commands this service writes into their configuration files (`connectClaude`,
// `connectCodex`); `quorlix://agent?agent=<kind>&event=<event>` URLs (`handle`); and the
// browser watcher (`setWorking`). The island shows the agent that started first (`primary`);
// `onDone` and `onNeedsInput` become alerts.
//
// An agent that stops reporting is dropped once it has been silent for 900 s; the sweep runs
// every 60 s while anything works.
//
// The hook files are the user's own: only a missing file counts as empty, an existing file
// that cannot be read or understood is never replaced (nor one that is read-only, larger than
// 8 MiB, or holds what writing it back would change: a repeated key, an integer beyond 64
// bits, nesting too deep), only our own entries are added or removed (a Codex `notify` of
// ours whole, over all its lines), and every write keeps the file's mode and goes through a
// symbolic link to its target. A copy of each file is made once, before the first change.
// Main thread only.

#include "foundation/raw_enum.h"
#include "foundation/rgba.h"
#include "platform/agent_notifications.h"
#include "platform/clock.h"
#include "platform/published.h"
#include "platform/work_item.h"

#include <array>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

    // Listens to the installed platform's agent notifications.
    AgentService();
    // Listens to `notifications` (none: to nothing). Either way reads which agents are
    // connected and brings hooks of an older form up to date.
    explicit AgentService(platform::AgentNotifications* notifications);

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
    // "com.halvik.quorlix.agent.<kind>.<event>".
    static std::string notificationName(AgentKind kind, std::string_view event);

    // Hooks in the agents' own files (agent_hooks.cpp). Connecting and disconnecting set
    // `lastError` on failure and refresh the connection flags.
    void refreshConnections();
    void connectClaude();
    void disconnectClaude();
    void connectCodex();
    void disconnectCodex();

    // A text is ours when it holds either marker.
    static constexpr std::array<std::string_view, 2> markers{"quorlix://agent", "com.halvik.quorlix.agent"};
    // The marker of hooks of the older form, which opened an agent URL.
    static constexpr std::string_view oldMarker = "quorlix://agent";
    static bool isOurs(std::string_view text);

    // One hook written into the Claude Code settings: the hook event it runs on, our event,
    // and the matcher it carries (empty: none).
    struct ClaudeHook {
        std::string_view hookEvent;
        std::string_view event;
        std::string_view matcher;
    };
    static constexpr std::array<ClaudeHook, 6> claudeHooks{{
        {"UserPromptSubmit", "working", ""},
        {"PostToolUse", "working", ""},
        {"PermissionRequest", "input", ""},
        {"Notification", "input", "permission_prompt|elicitation_dialog|agent_needs_input"},
        {"Stop", "done", ""},
        {"SessionEnd", "idle", ""},
    }};
    // The command a hook runs to post `event` of `kind`.
    static std::string hookCommand(AgentKind kind, std::string_view event);
    // The line written first into the Codex configuration, without its line feed. Codex adds
    // an argument of its own to its notify program, which the shell ignores.
    static std::string codexLine();

    static std::filesystem::path claudeSettingsPath();  // ~/.claude/settings.json
    static std::filesystem::path codexConfigPath();     // ~/.codex/config.toml
    // Beside the file, its name followed by ".antes-de-quorlix".
    static std::filesystem::path backupPath(const std::filesystem::path& file);

private:
    void listenForAgents(platform::AgentNotifications* notifications);
    void upgradeOldHooks();
    // Sets `lastError` for a failed edit of `file` and refreshes the connection flags.
    void editFailed(std::string_view file, std::string_view reason);
    void scheduleStaleCheck();
    void sweepStale();
    void setWorkingMap(std::map<AgentKind, Date> map);

    platform::WorkItem staleTask;
    std::map<AgentKind, Date> askedAt;
    std::map<AgentKind, Date> doneAt;
    std::map<AgentKind, Date> lastActivity;
    // One per notification listened to; they end with the service.
    std::vector<Subscription> notifyTokens;
};

}  // namespace quorlix
