#pragma once
// The lock screen's glass surface: a view standing on a rounded rectangle with smooth corners,
// filled with the view layer's material (ultra-thin for the clear style, regular for the
// frosted one) and edged inside with a fine white line. The style follows the
// `lockGlassStyle` setting of the shared settings store, read at every render, so a change
// shows at once.
//
//     liquidGlass(Symbol("gearshape.fill").frame({.width = 42, .height = 42}), 21)   // a disc

#include "foundation/app_settings.h"
#include "ui/view.h"

namespace quorlix {

ui::View liquidGlass(ui::View content, double cornerRadius);

// The surface in a style of the caller's choosing.
ui::View glassSurface(ui::View content, double cornerRadius, GlassStyle style);

}  // namespace quorlix
