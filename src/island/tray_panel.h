#pragma once
// The expanded island's tray page. Empty, it is one dashed drop hint filling the page; with
// files, a header with their number and "Vaciar" above a row of `TrayItemView`s that scrolls
// sideways. `isTargeted` (a file drag hovering over the expanded island) brightens the hint,
// easing over 0.15 s, or draws a dashed border around the files.
//
//     TrayPanel{.isTargeted = dropTargeted}   // with the TrayStore in the environment

#include "ui/view.h"

namespace quorlix {

struct TrayPanel : ui::ViewModifiers<TrayPanel> {
    // A file drag hovers over the expanded island.
    bool isTargeted = false;

    ui::View body(ui::Context& ctx) const;
};

}  // namespace quorlix
