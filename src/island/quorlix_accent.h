#pragma once
// The application's one accent colour (the settings window's tint, its switches and the
// focused search field's ring): sRGB 0.04, 0.52, 1.0, opaque.

#include "ui/color.h"

namespace quorlix {

inline constexpr ui::Color quorlixAccent = ui::Color::sRGB(0.04, 0.52, 1.0);

}  // namespace quorlix
