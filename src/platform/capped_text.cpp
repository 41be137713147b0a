#include "platform/capped_text.h"

#include "platform/grapheme_clusters.h"

#include <algorithm>

namespace quorlix::platform {

namespace {

bool within(unsigned char c, unsigned char low, unsigned char high) { return c >= low && c <= high; }

// The length of the well-formed UTF-8 sequence at `i` (Unicode's table of well-formed byte
// sequences: no overlong forms, no surrogates, nothing past U+10FFFF), or 0.
std::size_t sequenceAt(std::string_view s, std::size_t i) {
    const auto byte = [&](std::size_t k) {
        return i + k < s.size() ? static_cast<unsigned char>(s[i + k]) : 0;
    };
    const unsigned char b = byte(0);
    if (b < 0x80) return 1;
    // The range the second byte must fall in, by the first; the rest are 80...BF.
    unsigned char low = 0x80, high = 0xBF;
    std::size_t length = 0;
    if (within(b, 0xC2, 0xDF)) {
        length = 2;
    } else if (within(b, 0xE0, 0xEF)) {
        length = 3;
        if (b == 0xE0) low = 0xA0;
        if (b == 0xED) high = 0x9F;
    } else if (within(b, 0xF0, 0xF4)) {
        length = 4;
        if (b == 0xF0) low = 0x90;
        if (b == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (!within(byte(1), low, high)) return 0;
    for (std::size_t k = 2; k < length; ++k)
        if (!within(byte(k), 0x80, 0xBF)) return 0;
    return length;
}

}  // namespace

std::string cappedText(std::string_view text, std::size_t limit) {
    std::string out;
    out.reserve(std::min(text.size(), limit * 4 + 4));
    // One code point past the limit is read: it tells whether a character ends at the limit.
    std::size_t count = 0, withinLimit = 0;
    for (std::size_t i = 0; i < text.size() && count <= limit; ++count) {
        if (count == limit) withinLimit = out.size();
        if (const std::size_t n = sequenceAt(text, i)) {
            out.append(text.substr(i, n));
            i += n;
        } else {
            out += "\xEF\xBF\xBD";
            ++i;
        }
    }
    if (count <= limit) return out;
    GraphemeClusters clusters(out);
    if (clusters.startsAt(withinLimit)) {
        out.resize(withinLimit);
        return out;
    }
    // A first character longer than the limit (a letter under thousands of marks) keeps its
    // base and the marks that fit: dropped whole, the text would be lost.
    if (const std::size_t before = clusters.preceding(withinLimit); before > 0) withinLimit = before;
    out.resize(withinLimit);
    return out;
}

}  // namespace quorlix::platform
