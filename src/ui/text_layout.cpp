#include "ui/text_layout.h"

#include "platform/grapheme_clusters.h"

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

// `s` with its line breaks as spaces: a text cut to one line reads them as spaces.
std::string spaced(std::string_view s) {
    std::string out(s);
    std::replace(out.begin(), out.end(), '\n', ' ');
    return out;
}

class Measurer {
public:
    Measurer(FontEngine& engine, const ResolvedFont& font, bool monoDigits)
        : engine_(engine), font_(font), monoDigits_(monoDigits) {
        if (monoDigits_) digit_ = engine_.digitAdvance(font_);
    }
    // The width of `s` on one line (a line break in it measures as the space it becomes).
    double width(std::string_view s) const {
        if (s.find('\n') != std::string_view::npos) return width(spaced(s));
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

// Lengths are first tried at this many characters, about a line of the widest boxes: a
// shorter text is measured once, whole.
constexpr std::size_t firstProbe = 128;

// Where the characters of a text start (grapheme clusters: a letter with its marks, a joined
// emoji, a flag, a conjunct), found from either end only as far as they are asked for: a long
// text costs what is measured of it, and no cut splits a character.
class Characters {
public:
    explicit Characters(std::string_view s) : s_(s), clusters_(s) {}
    // The least of `k` and the number of characters.
    std::size_t clamp(std::size_t k) {
        reach(k);
        return std::min(k, front_.size());
    }
    // The byte at which character `i` starts; the end of the text past the last one.
    std::size_t at(std::size_t i) {
        reach(i);
        return i < front_.size() ? front_[i] : s_.size();
    }
    // The first `k` characters, and the last `k` (of those there are).
    std::string_view prefix(std::size_t k) { return s_.substr(0, at(k)); }
    std::string_view suffix(std::size_t k) {
        while (back_.size() < k) {
            const std::size_t b = back_.empty() ? s_.size() : back_.back();
            if (b == 0) break;
            back_.push_back(clusters_.preceding(b));
        }
        return k == 0 ? s_.substr(s_.size()) : s_.substr(back_[std::min(k, back_.size()) - 1]);
    }

private:
    // Finds the starts up to character `i`, or all of them.
    void reach(std::size_t i) {
        while (!ended_ && front_.size() <= i) {
            const std::size_t b = front_.empty() ? 0 : clusters_.following(front_.back());
            if (b < s_.size())
                front_.push_back(b);
            else
                ended_ = true;
        }
    }

    std::string_view s_;
    platform::GraphemeClusters clusters_;
    std::vector<std::size_t> front_, back_;
    bool ended_ = false;
};

// The longest length that fits, of lengths from 0 (which fits) to a last one, where a longer
// length is hardly ever narrower; `upTo(k)` is the least of `k` and the last length. The
// length doubles from `firstProbe` until it does not fit, then the gap between the last two is
// halved: the text measured is never much longer than what fits. Shaping can make a length
// narrower than the one before (an Arabic letter takes a narrower form once another joins
// it): when `reshaped(k)` tells that what length k adds may change so, the next length is
// tried too.
template <class UpTo, class Fits, class Reshaped>
std::size_t longestFitting(UpTo&& upTo, Fits&& fits, Reshaped&& reshaped) {
    std::size_t lo = 0, hi = 0;  // lo fits; hi does not, unless everything fits
    for (std::size_t k = upTo(firstProbe);; k = upTo(2 * k)) {
        if (k == lo && k > 0) return lo;  // the last length fits
        if (!fits(k)) {
            hi = k;
            break;
        }
        lo = k;
        if (k == 0) return 0;
    }
    while (hi - lo > 1) {
        const std::size_t mid = lo + (hi - lo) / 2;
        (fits(mid) ? lo : hi) = mid;
    }
    // hi is lo + 1 here. Past a narrowing, lengths grow wider again: they are few.
    while (reshaped(hi) && upTo(hi + 1) == hi + 1 && fits(hi + 1)) {
        lo = hi + 1;
        while (upTo(lo + 1) == lo + 1 && fits(lo + 1)) ++lo;
        hi = lo + 1;
    }
    return lo;
}
template <class UpTo, class Fits>
std::size_t longestFitting(UpTo&& upTo, Fits&& fits) {
    return longestFitting(upTo, fits, [](std::size_t) { return false; });
}

// Whether `s` fits `width` (tolerance included) on one line.
bool fitsIn(const Measurer& m, std::string_view s, double width) {
    if (s.size() <= firstProbe) return m.width(s) <= width;
    Characters c(s);
    if (c.clamp(1) == 0) return m.width(s) <= width;  // empty
    const auto upTo = [&](std::size_t k) { return c.clamp(k); };
    const std::size_t k = longestFitting(upTo, [&](std::size_t j) { return m.width(c.prefix(j)) <= width; });
    return c.at(k) == s.size();
}

struct Wrapped {
    std::vector<std::string> lines;
    bool brokeWord = false;
};

// Greedy line breaking at spaces; a word wider than the line is broken between characters.
// With a limit, breaking stops once the lines past it hold more than a line can show: they
// only fill the last line shown, which is cut with an ellipsis, so the rest of the text cannot
// change what shows.
Wrapped wrap(const Measurer& m, std::string_view text, std::optional<double> maxWidth,
             std::optional<int> limit) {
    Wrapped out;
    const double W = maxWidth.value_or(0) + tolerance;
    const std::size_t shown = limit ? static_cast<std::size_t>(std::max(1, *limit)) : 0;
    std::string rest;  // the lines from the last one shown on, joined as cutToLimit joins them
    // Adds a line; true once the lines hold all that can show.
    auto add = [&](std::string line) {
        out.lines.push_back(std::move(line));
        if (!limit) return false;
        if (!maxWidth) return out.lines.size() > shown;
        if (out.lines.size() < shown) return false;
        if (out.lines.size() > shown) rest += ' ';
        rest += out.lines.back();
        return out.lines.size() > shown && !fitsIn(m, rest, W);
    };
    std::size_t start = 0;
    while (true) {
        const std::size_t nl = text.find('\n', start);
        const std::string_view para =
            text.substr(start, nl == std::string_view::npos ? std::string_view::npos : nl - start);
        if (!maxWidth) {
            if (add(std::string(para))) return out;
        } else {
            std::string line;
            std::size_t pos = 0;
            bool any = false;
            while (pos <= para.size()) {
                std::size_t end = para.find(' ', pos);
                if (end == std::string_view::npos) end = para.size();
                const std::string_view word = para.substr(pos, end - pos);
                std::string candidate = line;
                if (any || !line.empty()) candidate += ' ';
                candidate += word;
                if (fitsIn(m, candidate, W)) {
                    line = std::move(candidate);
                    any = true;
                } else {
                    if (any && add(std::move(line))) return out;
                    // Break a word that cannot fit a line of its own: each piece is as much of
                    // what is left as fits, and at least a character.
                    Characters c(word);
                    std::size_t from = 0, begin = 0;  // characters broken off, and their bytes
                    while (true) {
                        auto piece = [&](std::size_t k) {
                            return word.substr(begin, c.at(from + k) - begin);
                        };
                        const auto upTo = [&](std::size_t k) { return c.clamp(from + k) - from; };
                        const std::size_t k =
                            longestFitting(upTo, [&](std::size_t j) { return m.width(piece(j)) <= W; });
                        if (c.at(from + k) == word.size()) break;
                        out.brokeWord = true;
                        const std::size_t cut = std::max<std::size_t>(k, 1);
                        if (add(std::string(piece(cut)))) return out;
                        from += cut;
                        begin = c.at(from);
                    }
                    line = std::string(word.substr(begin));
                    any = true;
                }
                if (end >= para.size()) break;
                pos = end + 1;
            }
            if (add(std::move(line))) return out;
        }
        if (nl == std::string_view::npos) break;
        start = nl + 1;
    }
    return out;
}

// The longest form of `text` on one line that, with an ellipsis, fits `width`; nothing when
// the whole text fits.
std::optional<std::string> truncate(const Measurer& m, std::string_view text, double width,
                                    TruncationMode mode) {
    const double W = width + tolerance;
    if (fitsIn(m, text, W)) return std::nullopt;
    Characters c(text);
    // The text keeping `k` of its characters.
    // Made in one string: a form is made for every length tried.
    auto form = [&](std::size_t k) {
        const std::string_view start = mode == TruncationMode::tail     ? c.prefix(k)
                                       : mode == TruncationMode::middle ? c.prefix((k + 1) / 2)
                                                                        : std::string_view();
        std::string_view end = mode == TruncationMode::head     ? c.suffix(k)
                               : mode == TruncationMode::middle ? c.suffix(k / 2)
                                                                : std::string_view();
        end.remove_prefix(std::min(end.find_first_not_of(" \n"), end.size()));
        std::string out;
        out.reserve(start.size() + ellipsis.size() + end.size());
        out.append(start);
        while (!out.empty() && (out.back() == ' ' || out.back() == '\n')) out.pop_back();
        out.append(ellipsis).append(end);
        std::replace(out.begin(), out.end(), '\n', ' ');
        return out;
    };
    const auto fits = [&](std::size_t k) { return m.width(form(k)) <= W; };
    // Every length short of the whole text.
    const auto upTo = [&](std::size_t k) { return c.clamp(k + 1) - 1; };
    // Whether the character length k adds to the one before is from U+0300 on (marks and the
    // scripts that join or reorder), whose neighbours may change its form.
    const auto reshaped = [&](std::size_t k) {
        if (k == 0) return false;
        const bool atStart = mode == TruncationMode::tail || (mode == TruncationMode::middle && k % 2 == 1);
        const std::size_t n = mode == TruncationMode::middle ? (atStart ? (k + 1) / 2 : k / 2) : k;
        const std::string_view added = atStart ? c.prefix(n).substr(c.at(n - 1)) : c.suffix(n);
        return !added.empty() && static_cast<unsigned char>(added.front()) >= 0xCC;
    };
    if (c.clamp(1) == 0 || !fits(0)) return std::string(ellipsis);
    return form(longestFitting(upTo, fits, reshaped));
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
    const auto limit = linesAllowed(o, out.metrics);
    out.wrapped = wrap(m, text, maxWidth, limit);
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
// text (as much of it as wrapping went through), cut with an ellipsis.
bool cutToLimit(std::vector<std::string>& lines, const Measurer& m, std::string_view text,
                const TextLayoutOptions& o, const std::optional<double>& maxWidth, std::optional<int> limit) {
    if (limit && *limit == 1 && maxWidth) {
        auto cut = truncate(m, text, *maxWidth, o.truncation);
        lines = {cut ? std::move(*cut) : spaced(text)};
        return cut.has_value();
    }
    if (limit && static_cast<int>(lines.size()) > *limit) {
        std::string last = lines[static_cast<std::size_t>(*limit - 1)];
        for (std::size_t i = static_cast<std::size_t>(*limit); i < lines.size(); ++i) last += " " + lines[i];
        lines.resize(static_cast<std::size_t>(*limit));
        last += ellipsis;
        lines.back() = maxWidth ? truncate(m, last, *maxWidth, TruncationMode::tail).value_or(last)
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
