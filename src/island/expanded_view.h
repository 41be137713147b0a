#pragma once
// The expanded island: a panel hanging below and around the notch with one page per tab.
// A wide island (560 points or more) shows a header beside the notch (the tab buttons, the
// weather badge and the settings button) above the page; a narrower one shows the page alone
// and slides a new page in from the right.
//
// The whole island takes dropped files for the tray (see tray_drop.h) and carries the
// island's context menu: "Ajustes…" and "Salir de Quorlix". A selected page whose feature is
// off is drawn, highlighted and padded as the page shown in its place (`shownTab`).
//
//     ExpandedView(state, geometry.notchSize)
//
// Reads `TrayStore` and `AppSettings` from the environment; its pages read their own.

#include "platform/geometry.h"
#include "ui/view.h"

namespace quorlix {

class IslandState;

struct ExpandedView : ui::ViewModifiers<ExpandedView> {
    IslandState* state;
    // The physical notch, points.
    Size notch;

    ExpandedView(IslandState& state, Size notch) : state(&state), notch(notch) {}

    ui::View body(ui::Context& ctx) const;
};

}  // namespace quorlix
