#pragma once
// Our own text layout: breaks text into lines for a width, shrinks it down to its minimum
// scale factor when it does not fit its lines, then truncates with an ellipsis. Monospaced
// digits get the advance of the widest digit, each drawn centred in its cell (Qt 6.4 cannot
// switch the font's tabular figures on).
//
// A text cut to its lines is measured only about as far as its box can show (bisection over
// its characters, never a cut inside one: not between a letter and its marks, inside a joined
// emoji or a flag), so a title of megabytes lays out about as fast as a short one.

#include "platform/lru_cache.h"
#include "ui/display_list.h"
#include "ui/font.h"
#include "ui/types.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorlix::ui {

struct TextLayoutOptions {
    Font font;
    std::optional<double> maxWidth;   // absent or infinite: no wrapping
    std::optional<double> maxHeight;  // limits the number of lines
    std::optional<int> lineLimit;
    double minimumScaleFactor = 1;
    TruncationMode truncation = TruncationMode::tail;
    TextAlignment alignment = TextAlignment::leading;
    friend bool operator==(const TextLayoutOptions&, const TextLayoutOptions&) = default;
};

struct TextLine {
    std::string text;
    double width = 0;
    double top = 0;       // from the top of the text
    double baseline = 0;  // from the top of the text
};

struct TextLayout {
    std::vector<TextLine> lines;
    Size size;
    double scale = 1;
    bool truncated = false;
    ResolvedFont font;
    FontMetrics metrics;

    // The glyph runs of every line for a text whose frame starts at `origin`.
    std::vector<TextRun> runs(FontEngine& engine, Point origin, double frameWidth, TextAlignment alignment,
                              bool monospacedDigits) const;
};

TextLayout layoutText(FontEngine& engine, std::string_view text, const TextLayoutOptions& options);
// The most lines the options allow with these metrics, when anything limits them (the line
// limit, or the height).
std::optional<int> linesAllowed(const TextLayoutOptions& options, const FontMetrics& metrics);

// Layouts of texts kept by text and options (the space offered included), for one font
// engine: a tree built again lays out the same texts again.
class TextLayoutCache {
public:
    explicit TextLayoutCache(FontEngine& engine, std::size_t byteLimit = 512u << 10);
    // The layout, valid until the next call.
    const TextLayout& layout(std::string_view text, const TextLayoutOptions& options);
    std::size_t bytes() const { return layouts_.bytes(); }

private:
    FontEngine& engine_;
    LruCache<std::string, TextLayout> layouts_;
};

inline constexpr std::string_view ellipsis = "\xE2\x80\xA6";  // U+2026

}  // namespace quorlix::ui
