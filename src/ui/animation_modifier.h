#pragma once
// The implicit animation modifier's definition (declared in view.h).

#include "ui/state.h"
#include "ui/view.h"

#include <functional>
#include <memory>
#include <optional>

namespace quorlix::ui {

namespace modifier {
// `changed` tells whether the keyed value changed since the last render.
View animation(View v, const std::optional<Animation>& animation, std::function<bool(ValueWatch&)> changed);
}  // namespace modifier

template <class Self>
template <class T>
View ViewModifiers<Self>::animation(const std::optional<Animation>& a, const T& value) const {
    return modifier::animation(asView(), a, [value](ValueWatch& w) { return w.store.track(w.key, value).changed; });
}

}  // namespace quorlix::ui
