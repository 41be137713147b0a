#pragma once
// The lock screen's status strip: the weather, the battery and the connected headphones'
// charge, each a symbol with a short text, side by side and centred in the space offered.
// An item shows only while its value is known, so the row never shows placeholders (and
// draws nothing when none is).
//
//     LockScreenInfoRow{&controller.info()}   // with the weather, battery and settings
//                                             // objects in the environment
//
// Main thread only.

#include "ui/view.h"
#include "window/lock_screen_info.h"

namespace quorlix {

struct LockScreenInfoRow : ui::ViewModifiers<LockScreenInfoRow> {
    LockScreenInfo* info = nullptr;

    ui::View body(ui::Context& ctx) const;
};

}  // namespace quorlix
