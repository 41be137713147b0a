#pragma once
// Where the characters a reader sees start in UTF-8 text: ICU's grapheme clusters (a letter
// with its combining marks, an emoji with its modifiers and the emoji joined to it, a flag's
// two letters, a Hangul syllable written in jamo, an Indic conjunct of consonants linked by a
// virama). A cut made at these never splits what is drawn as one.
//
//     GraphemeClusters clusters(text);
//     for (std::size_t i = 0; i < text.size(); i = clusters.following(i)) ...
//
// Boundaries are found only where asked, so a long text costs what is looked at of it. Text
// below U+0300 (Latin with its precomposed letters) and the general punctuation (dashes,
// quotes, an ellipsis) is told apart from its bytes alone; the rest asks ICU. The text must
// outlive the object; one thread.

#include <cstddef>
#include <memory>
#include <string_view>

namespace quorlix::platform {

class GraphemeClusters {
public:
    explicit GraphemeClusters(std::string_view text);
    ~GraphemeClusters();
    GraphemeClusters(const GraphemeClusters&) = delete;
    GraphemeClusters& operator=(const GraphemeClusters&) = delete;

    // The first boundary after byte `i`: where the next character starts, or the text's end.
    std::size_t following(std::size_t i) {
        // Between two ASCII bytes, unless they are a carriage return and its line feed: most text.
        if (i + 1 < text_.size()) {
            const auto a = static_cast<unsigned char>(text_[i]), b = static_cast<unsigned char>(text_[i + 1]);
            if (a < 0x80 && b < 0x80 && !(a == '\r' && b == '\n')) return i + 1;
        }
        return followingFrom(i);
    }
    // The last boundary before byte `i` (0 at the most).
    std::size_t preceding(std::size_t i);
    // Whether a character starts at byte `i` (the text's two ends count).
    bool startsAt(std::size_t i);

private:
    std::size_t followingFrom(std::size_t i);
    // Whether the code points either side of `i` (both plain) settle a boundary there without
    // ICU: 1 a boundary, 0 none, -1 ask ICU.
    int plainBoundary(std::size_t i) const;
    struct Icu;
    Icu& icu();

    std::string_view text_;
    std::unique_ptr<Icu> icu_;  // made when first needed
};

}  // namespace quorlix::platform
