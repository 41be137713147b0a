#include "island/output_hud_view.h"

#include "island/pop_in.h"
#include "island/wings.h"
#include "ui/views.h"

namespace quorlix {

ui::View OutputHUDView::body(ui::Context&) const {
    using namespace ui;
    const bool small = isSmallNotch(notch);
    return Wings{.notch = notch,
                 .edge = small ? 8.0 : 11.0,
                 .inner = 2,
                 .left = popIn(Symbol(output.symbol())
                                   .font(Font::system(small ? 12.5 : 15))
                                   .foregroundStyle(Color::white.opacity(0.92)),
                               0.03),
                 .right = popIn(Text(output.shortName())
                                    .font(Font::system(small ? 11 : 13, FontWeight::semibold))
                                    .foregroundStyle(Color::white.opacity(0.92))
                                    .lineLimit(1)
                                    .minimumScaleFactor(0.8),
                                0.08)};
}

}  // namespace quorlix
