#include "ui/button_styles.h"

#include "ui/context.h"
#include "ui/environment_keys.h"
#include "ui/views.h"

namespace quorlix::ui {

namespace {

struct BorderedBody {
    View label;
    bool pressed = false;
    bool prominent = false;

    View body(Context& ctx) const {
        const bool small = ctx.environment(env::controlSize) != ControlSize::regular;
        const bool enabled = ctx.environment(env::isEnabled);
        const Color tint = ctx.environment(env::tint).value_or(Color::blue);
        const Color fill = prominent ? (pressed ? tint.mix(Color::black, 0.2) : tint)
                                     : Color::white.opacity(pressed ? 0.24 : 0.14);
        return label.font(Font::system(small ? 11 : 13, FontWeight::medium))
            .foregroundStyle(Color::white)
            .lineLimit(1)
            .padding(Edges::horizontal, small ? 8 : 11)
            .frame({.minHeight = small ? 20 : 24})
            .background(RoundedRectangle(small ? 5 : 6, RoundedCornerStyle::continuous).fill(fill))
            .overlay(RoundedRectangle(small ? 5 : 6, RoundedCornerStyle::continuous)
                         .strokeBorder(Color::white.opacity(prominent ? 0.12 : 0.1), 0.5))
            .opacity(enabled ? 1 : 0.45);
    }
};

}  // namespace

View BorderedButtonStyle::makeBody(const ButtonStyleConfiguration& c) const {
    return BorderedBody{c.label, c.isPressed, false};
}

View BorderedProminentButtonStyle::makeBody(const ButtonStyleConfiguration& c) const {
    return BorderedBody{c.label, c.isPressed, true};
}

}  // namespace quorlix::ui
