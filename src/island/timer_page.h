#pragma once
// The expanded island's timer page. Idle, it offers five presets (1, 5, 10, 15 and 25
// minutes); with a countdown running or paused it shows the ring of the time left, the time
// itself and three pills: pause or resume, one more minute, cancel.
//
// A running countdown redraws once a second, and the ring's arc eases linearly between the
// redraws; a paused one stands still and asks for no frames at all.
//
//     TimerPage{}   // with the TimerService in the environment

#include "ui/view.h"

#include <array>

namespace quorlix {

struct TimerPage : ui::ViewModifiers<TimerPage> {
    static constexpr std::array<double, 5> presets{1, 5, 10, 15, 25};

    ui::View body(ui::Context& ctx) const;
};

}  // namespace quorlix
