#include "platform/emoji_presentation.h"

#include <unicode/brkiter.h>
#include <unicode/uchar.h>
#include <unicode/utext.h>
#include <unicode/utf16.h>

#include <limits>
#include <memory>

namespace quorlix::platform {

namespace {

constexpr char32_t textSelector = 0xFE0E, emojiSelector = 0xFE0F, keycap = 0x20E3, joiner = 0x200D;

bool has(char32_t c, UProperty property) { return u_hasBinaryProperty(static_cast<UChar32>(c), property); }
bool isTag(char32_t c) { return c >= 0xE0020 && c <= 0xE007F; }
bool isKeycapBase(char32_t c) { return (c >= '0' && c <= '9') || c == '#' || c == '*'; }

// Whether the character of code points [start, end) of `text` is drawn as an emoji.
bool drawnAsEmoji(std::u16string_view text, std::size_t start, std::size_t end) {
    std::size_t i = start;
    char32_t base = 0;
    U16_NEXT(text.data(), i, end, base);
    bool selected = false, capped = false, modified = false, joined = false, tagged = false;
    for (std::size_t k = i; k < end;) {
        char32_t c = 0;
        U16_NEXT(text.data(), k, end, c);
        if (c == textSelector) return false;
        selected |= c == emojiSelector;
        capped |= c == keycap;
        modified |= has(c, UCHAR_EMOJI_MODIFIER);
        joined |= c == joiner;
        tagged |= isTag(c);
    }
    if (capped) return isKeycapBase(base);
    if (selected) return has(base, UCHAR_EMOJI);
    if (has(base, UCHAR_REGIONAL_INDICATOR)) return true;
    if (modified && has(base, UCHAR_EMOJI_MODIFIER_BASE)) return true;
    if ((joined || tagged) && has(base, UCHAR_EXTENDED_PICTOGRAPHIC)) return true;
    return has(base, UCHAR_EMOJI_PRESENTATION);
}

}  // namespace

bool hasEmojiPresentation(char32_t c) { return has(c, UCHAR_EMOJI_PRESENTATION); }

std::vector<TextSpan> emojiPresentationSpans(std::u16string_view text) {
    std::vector<TextSpan> out;
    // Most texts have no emoji: a look at each code point tells, before clusters are found.
    bool any = false;
    for (std::size_t i = 0; i < text.size() && !any;) {
        char32_t c = 0;
        U16_NEXT(text.data(), i, text.size(), c);
        any = c == emojiSelector || c == keycap || (c >= 0xA9 && has(c, UCHAR_EMOJI_PRESENTATION));
    }
    if (!any || text.size() > static_cast<std::size_t>(std::numeric_limits<int32_t>::max())) return out;

    // Made once a thread; each text's iterator is a copy of it.
    static thread_local const std::unique_ptr<icu::BreakIterator> prototype = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::BreakIterator> made(
            icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
        return U_SUCCESS(status) ? std::move(made) : nullptr;
    }();
    if (!prototype) return out;
    std::unique_ptr<icu::BreakIterator> clusters(prototype->clone());
    if (!clusters) return out;
    UErrorCode status = U_ZERO_ERROR;
    UText ut = UTEXT_INITIALIZER;
    utext_openUChars(&ut, text.data(), static_cast<int64_t>(text.size()), &status);
    clusters->setText(&ut, status);
    if (U_SUCCESS(status)) {
        for (int32_t start = clusters->first(), end = clusters->next(); end != icu::BreakIterator::DONE;
             start = end, end = clusters->next()) {
            const auto from = static_cast<std::size_t>(start), to = static_cast<std::size_t>(end);
            if (!drawnAsEmoji(text, from, to)) continue;
            if (!out.empty() && out.back().start + out.back().length == from)
                out.back().length += to - from;
            else
                out.push_back({from, to - from});
        }
    }
    utext_close(&ut);
    return out;
}

}  // namespace quorlix::platform
