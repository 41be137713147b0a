#include "island/island_button_style.h"

#include "ui/animation.h"
#include "ui/shape.h"

namespace quorlix {

ui::View IslandButtonStyle::makeBody(const ui::ButtonStyleConfiguration& configuration) const {
    using namespace ui;
    const bool pressed = configuration.isPressed;
    return configuration.label.contentShape(Rectangle())
        .scaleEffect(pressed ? 0.86 : 1)
        .opacity(pressed ? 0.7 : 1)
        .animation(Animation::easeOut(0.12), pressed);
}

}  // namespace quorlix
