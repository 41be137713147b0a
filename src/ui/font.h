#pragma once
// Fonts by size, weight and design. The system font is Inter; the rounded design is
// Quicksand, the monospaced one JetBrains Mono (packaged fonts, so text measures and looks the
// same on every machine). Monospaced digits give every digit the advance of the widest one.

#include "platform/geometry.h"

#include <optional>
#include <string_view>

namespace quorlix::ui {

enum class FontWeight { ultraLight, thin, light, regular, medium, semibold, bold, heavy, black };
enum class FontDesign { standard, rounded, monospaced };

// The typefaces the font engine knows.
enum class Typeface { text, rounded, monospaced, symbols };

struct Font {
    double size = 13;
    FontWeight weight = FontWeight::regular;
    FontDesign design = FontDesign::standard;
    bool monospacedDigits = false;

    static Font system(double size, FontWeight weight = FontWeight::regular,
                       FontDesign design = FontDesign::standard) {
        return {size, weight, design, false};
    }
    Font withWeight(FontWeight w) const { return {size, w, design, monospacedDigits}; }
    Font monospacedDigit() const { return {size, weight, design, true}; }

    // The platform's text styles, at their desktop sizes.
    static Font largeTitle() { return system(26); }
    static Font title() { return system(22); }
    static Font title2() { return system(17); }
    static Font title3() { return system(15); }
    static Font headline() { return system(13, FontWeight::bold); }
    static Font body() { return system(13); }
    static Font callout() { return system(12); }
    static Font subheadline() { return system(11); }
    static Font footnote() { return system(10); }
    static Font caption() { return system(10); }
    static Font caption2() { return system(10); }

    friend bool operator==(const Font&, const Font&) = default;
};

int cssWeight(FontWeight w);  // 100 (ultra light) … 900 (black)

// A font as the engine draws it: a typeface, a numeric weight and a size in points.
struct ResolvedFont {
    Typeface face = Typeface::text;
    int weight = 400;
    double size = 13;
    friend bool operator==(const ResolvedFont&, const ResolvedFont&) = default;

    static ResolvedFont of(const Font& f, double scale = 1);
};

struct FontMetrics {
    double ascent = 0;   // above the baseline
    double descent = 0;  // below the baseline, positive
    double leading = 0;  // extra space between lines
    double lineHeight() const { return ascent + descent + leading; }
};

// Measures text for layout. The Qt renderer supplies the real one; tests may use fixed metrics.
class FontEngine {
public:
    virtual ~FontEngine() = default;
    virtual FontMetrics metrics(const ResolvedFont& font) = 0;
    // The advance width of a run of UTF-8 text, in points.
    virtual double advance(const ResolvedFont& font, std::string_view utf8) = 0;
    // Whether the typeface has a glyph for the code point (symbols are single code points).
    virtual bool hasGlyph(const ResolvedFont& font, char32_t codePoint) = 0;
    // Where the glyphs of a run of UTF-8 text may draw, in points from the start of its
    // baseline, antialiased edges included. By default, generously around its advance and
    // line, as glyphs may overhang both.
    virtual Rect inkBounds(const ResolvedFont& font, std::string_view utf8);
    // The advance of the widest digit: the width every digit takes in tabular figures.
    virtual double digitAdvance(const ResolvedFont& font);
};

}  // namespace quorlix::ui
