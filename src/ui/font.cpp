#include "ui/font.h"

#include <algorithm>

#include "ui/environment_keys.h"

namespace quorlix::ui {

int cssWeight(FontWeight w) { return 100 * (static_cast<int>(w) + 1); }

ResolvedFont ResolvedFont::of(const Font& f, double scale) {
    const Typeface face = f.design == FontDesign::rounded      ? Typeface::rounded
                          : f.design == FontDesign::monospaced ? Typeface::monospaced
                                                               : Typeface::text;
    return {face, cssWeight(f.weight), f.size * scale};
}

Font env::currentFont(const EnvironmentValues& values) {
    Font f = values[env::font].value_or(Font::body());
    if (const auto& w = values[env::fontWeight]) f.weight = *w;
    if (values[env::monospacedDigit]) f.monospacedDigits = true;
    return f;
}

ShapeStyle env::currentForeground(const EnvironmentValues& values) {
    return values[env::foregroundStyle].value_or(ShapeStyle::primary());
}

Rect FontEngine::inkBounds(const ResolvedFont& font, std::string_view utf8) {
    const double s = font.size;
    return {-s * 0.25, -s * 1.2, advance(font, utf8) + s * 0.5, s * 1.7};
}

double FontEngine::digitAdvance(const ResolvedFont& font) {
    double widest = 0;
    for (char d = '0'; d <= '9'; ++d) widest = std::max(widest, advance(font, std::string_view(&d, 1)));
    return widest;
}

}  // namespace quorlix::ui
