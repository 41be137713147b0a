#pragma once
// The AI agents pane: the agent alerts and their sound; the connection of Claude Code and
// Codex (a dot that says whether our hooks are in their configuration files, and a button
// that adds or removes them), with the last connection error in place of the note; the
// watch of AI chats in the browser with the watcher's status; and the command any other
// tool can run to report to the island. Each time the pane is shown it re-reads the agents'
// files, so a hand edit shows at once.

#include "services/browser_ai_watcher.h"
#include "ui/color.h"
#include "ui/view.h"

#include <string>

namespace quorlix {

struct AgentsPane {
    ui::View body(ui::Context& ctx) const;

    // What a tool runs to report an agent at work. The running application takes the URL
    // from a second launch, so nothing comes to the front.
    static constexpr const char* customCommand = "xdg-open 'quorlix://agent?agent=other&event=working'";

    // A connect row's second line: "Conectado · " and the detail in lower case while
    // connected, the detail alone otherwise.
    static std::string detailText(const std::string& detail, bool connected);

    // The browser status line for a watcher status.
    struct StatusLine {
        std::string text;
        std::string symbol;
        enum class Tone { secondary, green, orange } tone = Tone::secondary;
    };
    static StatusLine browserStatus(const BrowserAIWatcher::Status& status);
};

}  // namespace quorlix
