#include "window/liquid_glass.h"

#include "ui/color.h"
#include "ui/context.h"
#include "ui/shape.h"
#include "ui/views.h"

namespace quorlix {

namespace {

using namespace ui;

struct LiquidGlass {
    View content;
    double cornerRadius = 0;

    View body(Context& ctx) const {
        AppSettings& settings = AppSettings::shared();
        ctx.observe(settings);
        return glassSurface(content, cornerRadius, settings.lockGlassStyle.get());
    }
};

}  // namespace

View liquidGlass(View content, double cornerRadius) { return LiquidGlass{std::move(content), cornerRadius}; }

View glassSurface(View content, double cornerRadius, GlassStyle style) {
    const RoundedRectangle shape(cornerRadius, RoundedCornerStyle::continuous);
    const Material material = style == GlassStyle::frosted ? Material::regular : Material::ultraThin;
    // The edge goes with the surface behind the content: a shape over the content would take
    // the clicks meant for its controls.
    return content.background(
        ZStack({shape.fill(material), shape.strokeBorder(Color::white.opacity(0.18), 0.7)}));
}

}  // namespace quorlix
