#pragma once
// The symbol catalogue: every symbol name the system uses, mapped to a glyph of the Material
// Icons font (by its ligature name and code point). Symbols are drawn as that single glyph.

#include "ui/color.h"

#include <optional>
#include <span>
#include <string_view>

namespace quorlix::ui {

struct SymbolGlyph {
    std::string_view name;      // the platform's symbol name, "speaker.wave.2.fill"
    std::string_view ligature;  // the Material Icons name, "volume_up"
    char32_t codePoint;
    std::optional<Color> multicolor;  // its colour in the multicolour rendering mode
};

std::span<const SymbolGlyph> symbolCatalog();
// The entry for a name, or null when the catalogue has none.
const SymbolGlyph* findSymbol(std::string_view name);
// Drawn in place of a name the catalogue lacks, so the gap is visible.
const SymbolGlyph& missingSymbol();

}  // namespace quorlix::ui
