#include "ui/text_layout.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace quorlix::ui {

namespace {

constexpr double tolerance = 0.01;

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// A line of hyphens and signs alone, with neither letters nor figures ("--°"), stands where a
// number would. Code points from U+00C0 on count as letters; the signs of Latin-1 below them
// (°, ±) do not.
bool standsForANumber(std::string_view s) {
    bool dash = false;
    for (const char c : s) {
        const auto b = static_cast<unsigned char>(c);
        if (c == '-')
            dash = true;
        else if ((b < 0x80 && std::isalnum(b)) || (b >= 0xC3 && !isContinuation(c)))
            return false;
    }
    return dash;
}

// Byte offsets at which code points start, plus the end.
std::vector<std::size_t> boundaries(std::string_view s) {
    std::vector<std::size_t> out;
    for (std::size_t i = 0; i < s.size(); ++i)
        if (!isContinuation(s[i])) out.push_back(i);
    out.push_back(s.size());
    return out;
}

class Measurer {
public:
    Measurer(FontEngine& engine, const ResolvedFont& font, bool monoDigits)
        : engine_(engine), font_(font), monoDigits_(monoDigits) {
        if (monoDigits_) digit_ = engine_.digitAdvance(font_);
    }
    double width(std::string_view s) const {
        if (!monoDigits_) return engine_.advance(font_, s);
        double w = 0;
        std::size_t start = 0;
        for (std::size_t i = 0; i <= s.size(); ++i) {
            if (i == s.size() || isDigit(s[i])) {
                if (i > start) w += engine_.advance(font_, s.substr(start, i - start));
                if (i < s.size()) w += digit_;
                start = i + 1;
            }
        }
        return w;
    }
    double digitAdvance() const { return digit_; }

private:
    FontEngine& engine_;
    ResolvedFont font_;
    bool monoDigits_;
    double digit_ = 0;
};

struct Wrapped {
    std::vector<std::string> lines;
    bool brokeWord = false;
};

// Greedy line breaking at spaces; a word wider than the line is broken between characters.
Wrapped wrap(const Measurer& m, std::string_view text, std::optional<double> maxWidth) {
    Wrapped out;
    std::size_t start = 0;
    while (true) {
        const std::size_t nl = text.find('\n', start);
        const std::string_view para =
            text.substr(start, nl == std::string_view::npos ? std::string_view::npos : nl - start);
        if (!maxWidth) {
            out.lines.emplace_back(para);
        } else {
            const double W = *maxWidth + tolerance;
            std::string line;
            std::size_t pos = 0;
            bool any = false;
            while (pos <= para.size()) {
                std::size_t end = para.find(' ', pos);
                if (end == std::string_view::npos) end = para.size();
                std::string word(para.substr(pos, end - pos));
                const std::string candidate = line.empty() && !any ? word : line + " " + word;
                if (m.width(candidate) <= W) {
                    line = candidate;
                    any = true;
                } else {
                    if (any) out.lines.push_back(line);
                    line.clear();
                    any = false;
                    // Break a word that cannot fit a line of its own.
                    while (!word.empty() && m.width(word) > W) {
                        out.brokeWord = true;
                        const auto b = boundaries(word);
                        std::size_t cut = b[1];
                        for (std::size_t k = 1; k < b.size() - 1; ++k) {
                            if (m.width(std::string_view(word).substr(0, b[k + 1])) > W) break;
                            cut = b[k + 1];
                        }
                        out.lines.push_back(word.substr(0, cut));
                        word = word.substr(cut);
                    }
                    line = word;
                    any = true;
                }
                if (end >= para.size()) break;
                pos = end + 1;
            }
            out.lines.push_back(line);
        }
        if (nl == std::string_view::npos) break;
        start = nl + 1;
    }
    return out;
}

// The longest form of `text` that, with an ellipsis, fits `width`.
std::string truncate(const Measurer& m, const std::string& text, double width, TruncationMode mode) {
    const double W = width + tolerance;
    if (m.width(text) <= W) return text;
    const auto b = boundaries(text);
    const std::size_t n = b.size() - 1;  // code points
    auto prefix = [&](std::size_t k) { return text.substr(0, b[k]); };
    auto suffix = [&](std::size_t k) { return text.substr(b[n - k]); };
    auto trimEnd = [](std::string s) {
        while (!s.empty() && s.back() == ' ') s.pop_back();
        return s;
    };
    auto trimStart = [](std::string s) {
        std::size_t i = 0;
        while (i < s.size() && s[i] == ' ') ++i;
        return s.substr(i);
    };
    std::string best(ellipsis);
    switch (mode) {
        case TruncationMode::tail:
            for (std::size_t k = n; k-- > 0;) {
                std::string c = trimEnd(prefix(k)) + std::string(ellipsis);
                if (m.width(c) <= W) return c;
            }
            break;
        case TruncationMode::head:
            for (std::size_t k = n; k-- > 0;) {
                std::string c = std::string(ellipsis) + trimStart(suffix(k));
                if (m.width(c) <= W) return c;
            }
            break;
        case TruncationMode::middle:
            for (std::size_t k = n; k-- > 0;) {
                const std::size_t head = (k + 1) / 2, tail = k / 2;
                std::string c = trimEnd(prefix(head)) + std::string(ellipsis) + trimStart(suffix(tail));
                if (m.width(c) <= W) return c;
            }
            break;
    }
    return best;
}

// The text wrapped at one scale of its font, and whether it fits its lines unbroken.
struct Attempt {
    Wrapped wrapped;
    bool fits = false;
    ResolvedFont font;
    FontMetrics metrics;
    double scale = 1;
};

Attempt attempt(FontEngine& engine, std::string_view text, const TextLayoutOptions& o,
                const std::optional<double>& maxWidth, double scale) {
    Attempt out;
    out.scale = scale;
    out.font = ResolvedFont::of(o.font, scale);
    out.metrics = engine.metrics(out.font);
    const Measurer m(engine, out.font, o.font.monospacedDigits);
    out.wrapped = wrap(m, text, maxWidth);
    const auto limit = linesAllowed(o, out.metrics);
    out.fits = !out.wrapped.brokeWord && (!limit || static_cast<int>(out.wrapped.lines.size()) <= *limit);
    return out;
}

// The text at full size when it fits; else at the largest scale down to the minimum that
// fits, to a hundredth; else at the minimum.
Attempt scaledToFit(FontEngine& engine, std::string_view text, const TextLayoutOptions& o,
                    const std::optional<double>& maxWidth) {
    Attempt full = attempt(engine, text, o, maxWidth, 1);
    if (full.fits || o.minimumScaleFactor >= 1) return full;
    Attempt best = attempt(engine, text, o, maxWidth, o.minimumScaleFactor);
    if (!best.fits) return best;
    double lo = o.minimumScaleFactor, hi = 1;
    while (hi - lo > 0.005) {
        const double mid = (lo + hi) / 2;
        Attempt t = attempt(engine, text, o, maxWidth, mid);
        if (t.fits) {
            lo = mid;
            best = std::move(t);
        } else {
            hi = mid;
        }
    }
    return best;
}

// Cuts `lines` to `limit`, telling whether anything was cut: on one line the whole text is cut
// at the tail, the head or in the middle; on more, the last line shown carries the rest of the
// text, cut with an ellipsis.
bool cutToLimit(std::vector<std::string>& lines, const Measurer& m, std::string_view text,
                const TextLayoutOptions& o, const std::optional<double>& maxWidth, std::optional<int> limit) {
    if (limit && *limit == 1 && maxWidth) {
        std::string whole(text);
        std::replace(whole.begin(), whole.end(), '\n', ' ');
        if (m.width(whole) > *maxWidth + tolerance) {
            lines = {truncate(m, whole, *maxWidth, o.truncation)};
            return true;
        }
        lines = {whole};
        return false;
    }
    if (limit && static_cast<int>(lines.size()) > *limit) {
        std::string last = lines[static_cast<std::size_t>(*limit - 1)];
        for (std::size_t i = static_cast<std::size_t>(*limit); i < lines.size(); ++i) last += " " + lines[i];
        lines.resize(static_cast<std::size_t>(*limit));
        lines.back() = maxWidth ? truncate(m, last + std::string(ellipsis), *maxWidth, TruncationMode::tail)
                                : lines.back() + std::string(ellipsis);
        return true;
    }
    return false;
}

}  // namespace

std::optional<int> linesAllowed(const TextLayoutOptions& o, const FontMetrics& fm) {
    std::optional<int> limit = o.lineLimit;
    if (o.maxHeight && std::isfinite(*o.maxHeight) && fm.lineHeight() > 0) {
        const int byHeight =
            std::max(1, static_cast<int>(std::floor((*o.maxHeight + tolerance) / fm.lineHeight())));
        limit = limit ? std::min(*limit, byHeight) : byHeight;
    }
    if (limit) limit = std::max(1, *limit);
    return limit;
}

TextLayout layoutText(FontEngine& engine, std::string_view text, const TextLayoutOptions& o) {
    const std::optional<double> maxWidth =
        o.maxWidth && std::isfinite(*o.maxWidth) ? std::optional(std::max(0.0, *o.maxWidth)) : std::nullopt;
    Attempt a = scaledToFit(engine, text, o, maxWidth);

    TextLayout result;
    result.font = a.font;
    result.metrics = a.metrics;
    result.scale = a.scale;
    const Measurer m(engine, result.font, o.font.monospacedDigits);
    std::vector<std::string> lines = std::move(a.wrapped.lines);
    result.truncated = cutToLimit(lines, m, text, o, maxWidth, linesAllowed(o, result.metrics));

    const double lh = result.metrics.lineHeight();
    double width = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        TextLine line;
        line.text = std::move(lines[i]);
        line.width = m.width(line.text);
        line.top = static_cast<double>(i) * lh;
        line.baseline = line.top + result.metrics.leading / 2 + result.metrics.ascent;
        width = std::max(width, line.width);
        result.lines.push_back(std::move(line));
    }
    if (maxWidth) width = std::min(width, *maxWidth);
    result.size = {width, static_cast<double>(result.lines.size()) * lh};
    return result;
}

std::vector<TextRun> TextLayout::runs(FontEngine& engine, Point origin, double frameWidth,
                                      TextAlignment alignment, bool monospacedDigits) const {
    std::vector<TextRun> out;
    const Measurer m(engine, font, monospacedDigits);
    for (const auto& line : lines) {
        const double free = frameWidth - line.width;
        double x = origin.x + (alignment == TextAlignment::leading    ? 0
                               : alignment == TextAlignment::trailing ? free
                                                                      : free / 2);
        const double y = origin.y + line.baseline;
        if (standsForANumber(line.text)) {
            // Its hyphens stand at the figures' middle height, as the fonts' case-sensitive
            // forms put them, not at the lowercase letters' middle.
            const double lift = engine.inkBounds(font, "-").midY() - engine.inkBounds(font, "0").midY();
            const std::string_view s = line.text;
            for (std::size_t start = 0; start < s.size();) {
                const bool dashes = s[start] == '-';
                std::size_t end = start;
                while (end < s.size() && (s[end] == '-') == dashes) ++end;
                const std::string part(s.substr(start, end - start));
                const double w = engine.advance(font, part);
                out.push_back({font, part, {x, dashes ? y - lift : y}, w, 0, engine.inkBounds(font, part)});
                x += w;
                start = end;
            }
            continue;
        }
        if (!monospacedDigits) {
            out.push_back({font, line.text, {x, y}, line.width, 0, engine.inkBounds(font, line.text)});
            continue;
        }
        const std::string_view s = line.text;
        std::size_t start = 0;
        for (std::size_t i = 0; i <= s.size(); ++i) {
            if (i < s.size() && !isDigit(s[i])) continue;
            if (i > start) {
                const std::string part(s.substr(start, i - start));
                const double w = engine.advance(font, part);
                out.push_back({font, part, {x, y}, w, 0, engine.inkBounds(font, part)});
                x += w;
            }
            if (i < s.size()) {
                const std::string digit(1, s[i]);
                const double w = engine.advance(font, digit);
                out.push_back(
                    {font, digit, {x + (m.digitAdvance() - w) / 2, y}, w, 0, engine.inkBounds(font, digit)});
                x += m.digitAdvance();
            }
            start = i + 1;
        }
    }
    return out;
}

}  // namespace quorlix::ui
