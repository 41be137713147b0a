#pragma once
// What changed on screen between two display lists: the region a window must repaint to show
// `after` where it showed `before`. Items are matched by identity down the tree; an item that
// draws differently by itself (its shape, text, picture, paint, transform or effects) damages
// its bounds before and after, shadow and blur margins included, and an item that is the same
// passes the question on to its children. A text that changes some of its glyphs (a clock's
// last digit, rolling or not) damages those glyphs only. A change inside a blur spreads by the blur's
// reach, and inside a shadow by the shadow's, unless the shadow is cast by an outline that
// did not change (the island's body), whose shadow stays as it was whatever the content does.
//
//     const ui::Region damage = ui::damageBetween(shown, next);   // empty: nothing to draw
//
// Regions are in the root view's points. Main thread only.

#include "ui/display_list.h"
#include "ui/region.h"

namespace quorlix::ui {

Region damageBetween(const DisplayItem& before, const DisplayItem& after);

}  // namespace quorlix::ui
