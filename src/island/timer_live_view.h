#pragma once
// The running countdown beside the notch: an orange ring of the time still left on the left,
// the time left on the right (orange while running, dim white while paused). It draws once a
// second while the timer runs, the ring easing linearly between those frames, and not at all
// while it is paused. The timer service is an environment object.
//
//     TimerLiveView{.notch = notch}

#include "platform/geometry.h"
#include "ui/view.h"

namespace quorlix {

struct TimerLiveView : ui::ViewModifiers<TimerLiveView> {
    Size notch;

    ui::View body(ui::Context& ctx) const;
};

}  // namespace quorlix
