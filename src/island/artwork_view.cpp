#include "island/artwork_view.h"

#include "ui/color.h"
#include "ui/shape.h"
#include "ui/views.h"

namespace quorlix {

ui::View ArtworkView::body(ui::Context&) const {
    using namespace ui;
    View content;
    if (image) {
        content = Image(*image).resizable().aspectRatio(ContentMode::fill);
    } else {
        content = ZStack({
            LinearGradient({Color::gray(0.25), Color::gray(0.12)}, UnitPoint::topLeading,
                           UnitPoint::bottomTrailing),
            Symbol("music.note")
                .font(Font::system(size * 0.4, FontWeight::medium))
                .foregroundStyle(Color::white.opacity(0.4)),
        });
    }
    return ZStack({content})
        .frame({.width = size, .height = size})
        .clipShape(RoundedRectangle(radius, RoundedCornerStyle::continuous));
}

}  // namespace quorlix
