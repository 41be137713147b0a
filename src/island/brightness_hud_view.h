#pragma once
// The brightness HUD beside the notch: a warm sun on the left that turns a quarter turn from
// darkest to brightest, and a white level bar on the right.
//
//     BrightnessHUDView{.level = 0.7f, .notch = notch}

#include "platform/geometry.h"
#include "ui/view.h"

namespace quorlix {

struct BrightnessHUDView : ui::ViewModifiers<BrightnessHUDView> {
    float level = 0;  // 0...1
    Size notch;

    ui::View body(ui::Context& ctx) const;
};

}  // namespace quorlix
