#pragma once
// The expanded island's floating menu of audio outputs, shown under the music page's output
// button while the island state's `outputMenuOpen` is set (the root view places it). One row
// per output, listed once each time the menu comes on screen; the current output's row is
// brighter, the row under the pointer is highlighted. Choosing another output makes it the
// default output and the system sounds' output (`VolumeService::makeDefaultOutput`); every
// choice then calls `close`. Exactly rows × 29 + 10 points tall, at least 190 wide.
//
//     OutputMenu{.close = [&] { withAnimation(spring, [&] { state.outputMenuOpen = false; }); }}

#include "ui/view.h"

#include <functional>

namespace quorlix {

struct OutputMenu : ui::ViewModifiers<OutputMenu> {
    std::function<void()> close;

    ui::View body(ui::Context& ctx) const;
};

}  // namespace quorlix
