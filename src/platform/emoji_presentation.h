#pragma once
// Which characters of a text are drawn as colour emoji, by Unicode's presentation rules
// (UTS #51, properties from ICU): a character whose default presentation is emoji, any emoji
// followed by U+FE0F, a keycap, a flag, an emoji with a skin-tone modifier, emoji joined by
// U+200D and a tag sequence. U+FE0E asks for the text presentation, and so does every other
// character. What is drawn as an emoji is a whole character (a grapheme cluster), never part
// of one.

#include <cstddef>
#include <string_view>
#include <vector>

namespace quorlix::platform {

// A stretch of UTF-16 text, in code units.
struct TextSpan {
    std::size_t start = 0;
    std::size_t length = 0;
    friend bool operator==(const TextSpan&, const TextSpan&) = default;
};

// The stretches of `text` drawn as colour emoji, in order, neighbours merged.
std::vector<TextSpan> emojiPresentationSpans(std::u16string_view text);

// Whether a code point is an emoji by default (Emoji_Presentation): a face that holds it
// draws it only when U+FE0E asks so.
bool hasEmojiPresentation(char32_t c);

}  // namespace quorlix::platform
