#pragma once
// The Focus pane: the Do Not Disturb alert on or off, how long it stays, and what it looks
// like: two miniature islands, one for a Focus mode switched on and one for off, over the
// blurred desktop picture. The samples are fixed drawings, the same whatever the settings.

#include "ui/view.h"

namespace quorlix {

struct FocusPane {
    ui::View body(ui::Context& ctx) const;
};

// A closed island 128 by 30 points, hanging from the top edge: the moon and "Sí" in blue
// violet, or "No" in grey.
struct FocusSample {
    bool active = false;
    ui::View body(ui::Context& ctx) const;
};

}  // namespace quorlix
