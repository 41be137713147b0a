#include "settings/pane_pieces.h"

#include "ui/ui.h"

namespace quorlix {

using namespace ui;

View iconLabel(const std::string& symbol, const std::string& text) {
    return HStack({.alignment = VerticalAlignment::firstTextBaseline, .spacing = 6},
                  {Symbol(symbol), Text(text).fixedSize(false, true)});
}

View PopUpMenu::body(Context& ctx) const {
    const bool enabled = ctx.environment(env::isEnabled);
    return Menu(HStack({.alignment = VerticalAlignment::center, .spacing = 4},
                       {
                           Text(current),
                           Symbol("arrow.up.and.down")
                               .font(Font::system(10, FontWeight::semibold))
                               .foregroundStyle(Color::white.opacity(0.6)),
                       }),
                items)
        .foregroundStyle(Color::white)
        .fixedSize()
        .opacity(enabled ? 1.0 : 0.5);
}

View enabledWhen(View content, bool enabled) {
    return content.disabled(!enabled).opacity(enabled ? 1.0 : 0.5);
}

}  // namespace quorlix
