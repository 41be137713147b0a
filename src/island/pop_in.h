#pragma once
// The entrance of almost every HUD element: the element starts blurred, small and invisible
// and springs into place `delay` seconds after it first appears (plus a fixed 0.06 s lead),
// so the parts of a HUD arrive one after another.
//
//     popIn(Symbol("speaker.wave.2.fill"), 0)
//     popIn(LevelBar{.value = level}.frame({.height = 5}), 0.12)

#include "ui/view.h"

namespace quorlix {

ui::View popIn(ui::View content, double delay = 0);

}  // namespace quorlix
