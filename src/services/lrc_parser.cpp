// LRC text to timed lines: "[mm:ss.xx]words", with any number of time tags at the start of a
// line. Metadata tags ("[ar:...]", "[offset:...]") are skipped; a tag that is not a pair of
// finite, non-negative numbers counts as metadata.

#include "platform/capped_text.h"
#include "platform/number_text.h"
#include "services/lyrics_service.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace quorlix {

namespace {

constexpr std::size_t copyBudget = 8;

// Line breaks: LF, CR (alone or before LF), VT, FF, NEL, LINE and PARAGRAPH SEPARATOR.
// Answers the byte length of the break at `i`, or 0.
std::size_t breakAt(std::string_view s, std::size_t i) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c == '\n' || c == '\r' || c == '\v' || c == '\f') return 1;
    if (c == 0xC2 && i + 1 < s.size() && static_cast<unsigned char>(s[i + 1]) == 0x85) return 2;
    if (c == 0xE2 && i + 2 < s.size() && static_cast<unsigned char>(s[i + 1]) == 0x80) {
        const auto d = static_cast<unsigned char>(s[i + 2]);
        if (d == 0xA8 || d == 0xA9) return 3;
    }
    return 0;
}

// Calls `each` with every non-empty line of `text`, in order, while it answers true.
template <class Each>
void forEachLine(std::string_view text, Each&& each) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size();) {
        if (const auto length = breakAt(text, i)) {
            if (i > start && !each(text.substr(start, i - start))) return;
            i += length;
            start = i;
        } else {
            ++i;
        }
    }
    if (start < text.size()) each(text.substr(start));
}

// Tab and the Unicode space separators, in UTF-8.
constexpr std::array<std::string_view, 18> whitespace{"\t",           " ",
                                                      "\xC2\xA0",     "\xE1\x9A\x80",
                                                      "\xE2\x80\x80", "\xE2\x80\x81",
                                                      "\xE2\x80\x82", "\xE2\x80\x83",
                                                      "\xE2\x80\x84", "\xE2\x80\x85",
                                                      "\xE2\x80\x86", "\xE2\x80\x87",
                                                      "\xE2\x80\x88", "\xE2\x80\x89",
                                                      "\xE2\x80\x8A", "\xE2\x80\xAF",
                                                      "\xE2\x81\x9F", "\xE3\x80\x80"};

std::string_view trim(std::string_view s) {
    for (bool changed = true; changed && !s.empty();) {
        changed = false;
        for (const auto w : whitespace) {
            if (s.starts_with(w)) {
                s.remove_prefix(w.size());
                changed = true;
            }
            if (s.ends_with(w)) {
                s.remove_suffix(w.size());
                changed = true;
            }
        }
    }
    return s;
}

// minutes:seconds as seconds, or nothing for any other tag.
std::optional<double> tagTime(std::string_view tag) {
    std::vector<std::string_view> parts;
    while (!tag.empty()) {
        const auto colon = tag.find(':');
        const auto part = tag.substr(0, colon);
        if (!part.empty()) parts.push_back(part);
        if (colon == std::string_view::npos) break;
        tag.remove_prefix(colon + 1);
    }
    if (parts.size() != 2) return std::nullopt;
    const auto minutes = platform::parseNumber(parts[0]);
    const auto seconds = platform::parseNumber(parts[1]);
    if (!minutes || !seconds || *minutes < 0 || *seconds < 0) return std::nullopt;
    const double time = *minutes * 60 + *seconds;
    if (!std::isfinite(time)) return std::nullopt;
    return time;
}

}  // namespace

std::vector<LyricLine> LyricsService::parse(std::string_view lrc) {
    std::vector<LyricLine> out;
    std::size_t textSize = 0;
    forEachLine(lrc, [&](std::string_view piece) {
        std::vector<double> times;
        std::string_view rest = piece;
        // Only tags at the very start count; an unclosed "[" belongs to the text.
        while (rest.starts_with('[')) {
            const auto close = rest.find(']');
            if (close == std::string_view::npos) break;
            if (const auto time = tagTime(rest.substr(1, close - 1))) times.push_back(*time);
            rest.remove_prefix(close + 1);
        }
        if (times.empty()) return true;
        const std::string text = platform::cappedText(trim(rest));
        // Each time gets its own copy of the text. A line's copies may together take at most
        // `copyBudget` times the line's own size, so the lines never outgrow the input by more
        // than that (lyrics repeat a short line a few times; only hostile text reaches this).
        const std::size_t copies = std::clamp<std::size_t>(
            copyBudget * piece.size() / std::max<std::size_t>(text.size(), 1), 1, times.size());
        for (std::size_t i = 0; i < copies; ++i) {
            // The lines kept are those of the first tags: reading stops once they are full.
            if (out.size() == maxLines || textSize + text.size() > maxTextSize) return false;
            out.push_back({times[i], text});
            textSize += text.size();
        }
        return true;
    });
    std::stable_sort(out.begin(), out.end(),
                     [](const LyricLine& a, const LyricLine& b) { return a.time < b.time; });
    return out;
}

}  // namespace quorlix
