#pragma once
// Questions a renderer asks of display lists, to draw only what changed and to reuse what it
// drew before: whether two items draw alike, a key of everything a subtree draws (equal keys,
// equal pixels), and the outline a shadow can be cast from without drawing the content.
//
// Internal to the view layer and its renderers; main thread only.

#include "ui/display_list.h"

#include <cstdint>
#include <optional>

namespace quorlix::ui {

// Whether `a` and `b` draw the same by themselves: their own shape, text or picture, paint,
// transform and effects. Children are not compared.
bool drawsAlike(const DisplayItem& a, const DisplayItem& b);
// The same for their transform and effects alone, whatever they draw.
bool effectsAlike(const DisplayItem& a, const DisplayItem& b);

// A key of everything `item` and its subtree draw, with coordinates taken from `origin`: a
// subtree moved as a whole keeps its key, any other change of what it draws changes it. The
// item's own transform, opacity and shadow are left out (they apply when its layer is
// composited); its clip, mask, saturation and blur are in.
std::uint64_t contentKey(const DisplayItem& item, Point origin);

// The outline whose fill covers exactly what `item` draws (in its own space, before its own
// transform, opacity and shadow), with the fill's opacity: a shape with a uniform fill, or
// content clipped to an outline that an opaque fill of that same outline covers (the island's
// body). The item's shadow is then the shadow of that outline, whatever the content does.
struct ShadowSource {
    Path outline;
    double alpha = 1;
};
std::optional<ShadowSource> shadowSource(const DisplayItem& item);

}  // namespace quorlix::ui
