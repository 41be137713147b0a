#include "window/liquid_glass.h"

#include "ui/color.h"
#include "ui/context.h"
#include "ui/shape.h"

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
    return content.background(shape.fill(material))
        .overlay(shape.strokeBorder(Color::white.opacity(0.18), 0.7));
}

}  // namespace quorlix
