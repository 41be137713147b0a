#pragma once
// The HUD of a new default audio output: the device's symbol on the left of the notch and its
// short name on the right, which shrinks to 80 % before it is cut.
//
//     OutputHUDView{.output = output, .notch = notch}

#include "platform/geometry.h"
#include "services/volume_service.h"
#include "ui/view.h"

namespace quorlix {

struct OutputHUDView : ui::ViewModifiers<OutputHUDView> {
    AudioOutput output;
    Size notch;

    ui::View body(ui::Context& ctx) const;
};

}  // namespace quorlix
