#include "island/island_background.h"

#include "ui/views.h"

namespace quorlix {

ui::View IslandBackground::body(ui::Context&) const {
    using namespace ui;
    // Only the black look exists in this system; the glass look is never chosen by a caller.
    return ZStack({shape.fill(Color::black)});
}

}  // namespace quorlix
