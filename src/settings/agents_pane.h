#pragma once
// The AI agents pane: the agent alerts and their sound; the connection of Claude Code and
// Codex (a dot that says whether our hooks are in their configuration files, and a button
// that adds or removes them), with the last connection error in place of the note; the
// watch of AI chats in the browser with the watcher's status; and the command any other
// tool can run to report to the island. Each time the pane is shown it re-reads the agents'
// files, so a hand edit shows at once.

#include "ui/view.h"

namespace quorlix {

struct AgentsPane {
    ui::View body(ui::Context& ctx) const;

    // What a tool runs to report an agent at work. The running application takes the URL
    // from a second launch, so nothing comes to the front.
    static constexpr const char* customCommand = "xdg-open 'quorlix://agent?agent=other&event=working'";
};

}  // namespace quorlix
