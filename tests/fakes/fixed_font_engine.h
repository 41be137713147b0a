#pragma once
// A font engine with simple fixed metrics, so layout can be checked to the point: every code
// point advances half the font size, except "1", "i" and "l" (a quarter, so monospaced digits
// make a difference); ascent 0.8 and descent 0.2 of the size, no leading.

#include "ui/font.h"

namespace quorlix::fakes {

class FixedFontEngine final : public ui::FontEngine {
public:
    ui::FontMetrics metrics(const ui::ResolvedFont& font) override;
    double advance(const ui::ResolvedFont& font, std::string_view utf8) override;
    bool hasGlyph(const ui::ResolvedFont&, char32_t) override { return true; }

    int advanceCalls = 0;
};

}  // namespace quorlix::fakes
