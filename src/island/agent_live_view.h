#pragma once
// An AI agent at work beside the notch: a sparkle in the agent's colour turning once every
// 2.4 s on the left, and on the right how long the agent that started first has been working,
// after a count badge when several work at once. The text changes once a second, the sparkle
// at most 30 times a second. Empty while no agent works. The agent service is an environment
// object.
//
//     AgentLiveView{.notch = notch}

#include "platform/geometry.h"
#include "ui/view.h"

namespace quorlix {

struct AgentLiveView : ui::ViewModifiers<AgentLiveView> {
    Size notch;

    // The sparkle's angle in degrees `seconds` after the reference date.
    static double sparkleAngle(double seconds);

    ui::View body(ui::Context& ctx) const;
};

}  // namespace quorlix
