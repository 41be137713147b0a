#pragma once
// The platform's indeterminate progress indicator: a small spinner of eight spokes, the
// brightest one stepping clockwise ten times a second. It is drawn in the foreground style
// and asks for frames only while it is in the tree.
//
//     HStack({.spacing = 6}, {ProgressView{.controlSize = ControlSize::small}, Text("Buscando…")})

#include "ui/view.h"

namespace quorlix::ui {

enum class ControlSize { mini, small, regular };

struct ProgressView : ViewModifiers<ProgressView> {
    ControlSize controlSize = ControlSize::regular;

    // The spinner's side, points.
    static double side(ControlSize size);
    // How bright spoke `spoke` (0 at the top, clockwise) is while spoke `lead` leads.
    static double spokeOpacity(int spoke, int lead);

    View body(Context& ctx) const;
};

}  // namespace quorlix::ui
