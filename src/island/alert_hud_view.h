#pragma once
// An alert beside the notch, in one of two layouts. Regular: the alert's glyph (swinging in)
// with its optional detail on the left, the message on the right, shrinking to 85 % before it
// is cut with an ellipsis. Compact: a bare symbol on the left and a short bold word on the
// right, both in the tint's colour, the word never cut. A wide alert only gets a wider island.
//
//     AlertHUDView{.alert = alert, .notch = notch}

#include "platform/geometry.h"
#include "services/hud_center.h"
#include "ui/color.h"
#include "ui/view.h"

namespace quorlix {

// The colour of an alert's tint.
ui::Color color(IslandAlert::Tint tint);

struct AlertHUDView : ui::ViewModifiers<AlertHUDView> {
    IslandAlert alert;
    Size notch;

    ui::View body(ui::Context& ctx) const;
};

}  // namespace quorlix
