#pragma once
// The island's size in each mode, derived from the notch and the size settings.
//
// Closed modes grow sideways from the notch (the device detail also grows down); the
// expanded island has its own width and body height, set in the settings or overridden by
// `LivePreview` while a size control is dragged. Hovering a closed island enlarges it by
// 14 by 3 points. Main thread only.

#include "island/island_mode.h"
#include "platform/geometry.h"

namespace quorlix {

struct NotchGeometry;

struct IslandLayout {
    // The current device HUD shows a single battery level. Refreshed by the mode rule.
    static inline bool wideDevice = false;
    // More than one AI agent works at once. Refreshed by the mode rule.
    static inline bool wideAgent = false;

    // The expanded island's width: the live preview's while set, else `islandWidth`.
    static double expandedWidth();
    // The expanded island's body height: the live preview's while set, else `islandHeight`.
    static double expandedBodyHeight();

    // The wide expanded island: an expanded width of 560 points or more.
    static bool isWideExpanded() { return expandedWidth() >= wideExpandedWidth; }
    // The pages have room for their tall layout: a body of 150 points on the wide island, 125
    // on the narrow one.
    static bool tallBody();
    // The pages' scale: 1 with a tall body, else 0.8.
    static double scale() { return tallBody() ? 1.0 : 0.8; }

    static Size size(IslandMode mode, Size notch, bool hovering);
    static Size size(IslandMode mode, const NotchGeometry& geometry, bool hovering);

    // The expanded width from which the wide expanded layout is used.
    static constexpr double wideExpandedWidth = 560;
    // The expanded island is never shorter above its body than this.
    static constexpr double minimumExpandedNotchHeight = 32;
};

}  // namespace quorlix
