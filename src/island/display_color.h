#pragma once
// The music views' tint: the now-playing service's display colour (the artwork's accent while
// tinting is on, else white) as a view colour.

#include "services/now_playing_service.h"
#include "ui/color.h"

namespace quorlix {

inline ui::Color displayColor(const NowPlayingService& nowPlaying) {
    const RGBA c = nowPlaying.displayColor();
    return ui::Color::sRGB(c.red, c.green, c.blue, c.opacity);
}

}  // namespace quorlix
