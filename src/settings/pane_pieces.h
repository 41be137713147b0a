#pragma once
// Small pieces several settings panes share: a symbol beside its text, a pop-up menu
// of choices, and a block that is
// dimmed to half opacity and stops answering while the setting it depends on is off.

#include "ui/interaction.h"
#include "ui/view.h"

#include <string>
#include <vector>

namespace quorlix {

// A symbol and a text side by side, the text wrapping rather than cut; both take the
// foreground style and font of the caller.
ui::View iconLabel(const std::string& symbol, const std::string& text);

// A button showing the current choice, `current`, with up and down arrows, that pops up the
// menu of `items` (the current one checked). Disabled, it is greyed like the other controls.
struct PopUpMenu {
    std::string current;
    std::vector<ui::MenuItem> items;
    ui::View body(ui::Context& ctx) const;
};

// `content` while `enabled`; otherwise the same, at half opacity and ignoring the pointer.
ui::View enabledWhen(ui::View content, bool enabled);

}  // namespace quorlix
