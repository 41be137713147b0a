#pragma once
// A switch: a capsule track, filled with the tint while on, and a white knob that slides to
// the side the value says. A click anywhere on it flips the bound value at once.
//
//     Toggle(settings.hideInFullscreen binding).tint(Color::quorlixAccent)
//
// The tint comes from the environment (`tint`), the system blue without one. Disabled, it
// is drawn at half opacity and ignores the pointer. It shows no label of its own.

#include "ui/state.h"
#include "ui/view.h"

namespace quorlix::ui {

struct Toggle {
    Binding<bool> isOn;

    static constexpr double width = 38;
    static constexpr double height = 22;

    explicit Toggle(Binding<bool> binding) : isOn(std::move(binding)) {}
    View body(Context& ctx) const;
};

}  // namespace quorlix::ui
