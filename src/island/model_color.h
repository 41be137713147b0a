#pragma once
// A colour a model carries (an agent's tint, the artwork's accent) as the view layer's colour.

#include "foundation/rgba.h"
#include "ui/color.h"

namespace quorlix {

inline ui::Color viewColor(const RGBA& c) { return ui::Color::sRGB(c.red, c.green, c.blue, c.opacity); }

}  // namespace quorlix
