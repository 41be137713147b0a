#include "island/pods_glyph.h"

#include "island/pop_in.h"
#include "ui/animation.h"
#include "ui/context.h"
#include "ui/display_list.h"
#include "ui/lifecycle.h"
#include "ui/views.h"

namespace quorlix {

ui::View PodsGlyph::body(ui::Context& ctx) const {
    using namespace ui;
    const auto turned = ctx.state<bool>(false);
    const bool swings = wobble && !flat;

    View glyph = Symbol(symbol).font(Font::system(size, FontWeight::semibold));
    if (flat) {
        glyph = glyph.foregroundStyle(tint.opacity(0.92));
    } else {
        glyph = glyph
                    .foregroundStyle(LinearGradient({tint, tint.opacity(0.55)}, UnitPoint::topLeading,
                                                    UnitPoint::bottomTrailing))
                    .shadow(tint.opacity(0.45), 3)
                    .shadow(Color::black.opacity(0.55), 2.5, 1, 2);
    }
    glyph = glyph.contentTransition(ContentTransition::symbolReplace());
    if (swings)
        glyph = glyph
                    .rotation3DEffect(Angle::degrees(turned ? 0 : -55), {0, 1, 0}, UnitPoint::center, 0, 0.6)
                    // The swing goes with the change of `turned` alone, so the pop-in keeps its own.
                    .animation(Animation::spring(0.7, 0.45).delay(0.1), turned.get());
    return popIn(glyph, 0).onAppear([turned, swings] {
        if (swings) turned = true;
    });
}

}  // namespace quorlix
