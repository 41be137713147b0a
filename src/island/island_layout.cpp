#include "island/island_layout.h"

#include "foundation/app_settings.h"
#include "foundation/notch_geometry.h"
#include "island/live_preview.h"

#include <algorithm>

namespace quorlix {

double IslandLayout::expandedWidth() {
    return LivePreview::shared().width->value_or(AppSettings::shared().islandWidth.get());
}

double IslandLayout::expandedBodyHeight() {
    return LivePreview::shared().height->value_or(AppSettings::shared().islandHeight.get());
}

bool IslandLayout::tallBody() { return expandedBodyHeight() >= (isWideExpanded() ? 150 : 125); }

Size IslandLayout::size(IslandMode mode, Size notch, bool hovering) {
    const double w = notch.width;
    const double h = notch.height;
    Size size{w, h};
    switch (mode) {
        case IslandMode::idle: break;
        case IslandMode::live: size.width = w + 60; break;
        case IslandMode::timer: size.width = w + 120; break;
        case IslandMode::agent: size.width = w + (wideAgent ? 140 : 120); break;
        case IslandMode::alert: size.width = w + 190; break;
        case IslandMode::alertWide: size.width = w + 300; break;
        case IslandMode::alertCompact: size.width = w + 60; break;
        case IslandMode::volume:
        case IslandMode::brightness:
        case IslandMode::battery: size.width = w + 157; break;
        case IslandMode::device: size.width = w + (wideDevice ? 130 : 104); break;
        case IslandMode::deviceDetail: size = {w + 157, h + 84}; break;
        case IslandMode::output: size.width = w + 190; break;
        case IslandMode::expanded:
            // Only the notch height matters here, and never less than 32 points.
            return {expandedWidth(), std::max(h, minimumExpandedNotchHeight) + expandedBodyHeight()};
    }
    if (hovering) {
        size.width += 14;
        size.height += 3;
    }
    return size;
}

Size IslandLayout::size(IslandMode mode, const NotchGeometry& geometry, bool hovering) {
    return size(mode, geometry.notchSize, hovering);
}

}  // namespace quorlix
