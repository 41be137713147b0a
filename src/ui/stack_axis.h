#pragma once
// Lengths and places along a stack's axis and across it, for the stacks' layouts. Internal to
// the view layer.

#include "ui/types.h"

#include <optional>

namespace quorlix::ui::detail {

inline double along(Size s, Axis a) { return a == Axis::horizontal ? s.width : s.height; }
inline double across(Size s, Axis a) { return a == Axis::horizontal ? s.height : s.width; }
inline ProposedSize make(Axis a, std::optional<double> main, std::optional<double> cross) {
    return a == Axis::horizontal ? ProposedSize{main, cross} : ProposedSize{cross, main};
}
inline Size makeSize(Axis a, double main, double cross) {
    return a == Axis::horizontal ? Size{main, cross} : Size{cross, main};
}

}  // namespace quorlix::ui::detail
