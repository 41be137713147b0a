#pragma once
// A symbol's bounce: each time `value` changes, the view springs up a little and settles
// back, as the platform's bounce symbol effect does. Nothing plays when it first appears.
//
//     symbolBounce(Symbol(section.symbol), selected)

#include "ui/view.h"

#include <cstdint>

namespace quorlix::ui {

namespace detail {
View symbolBounce(View content, std::uint64_t value);
}

template <class T>
View symbolBounce(View content, const T& value) {
    return detail::symbolBounce(std::move(content), detail::idHash(value));
}

}  // namespace quorlix::ui
