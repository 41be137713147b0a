#include "fakes/fixed_font_engine.h"

namespace quorlix::fakes {

ui::FontMetrics FixedFontEngine::metrics(const ui::ResolvedFont& font) { return {font.size * 0.8, font.size * 0.2, 0}; }

double FixedFontEngine::advance(const ui::ResolvedFont& font, std::string_view utf8) {
    ++advanceCalls;
    double w = 0;
    for (char c : utf8) {
        if ((static_cast<unsigned char>(c) & 0xC0) == 0x80) continue;  // inside a code point
        w += (c == '1' || c == 'i' || c == 'l') ? font.size * 0.25 : font.size * 0.5;
    }
    return w;
}

}  // namespace quorlix::fakes
