#include "platform/capped_text.h"

#include <gtest/gtest.h>

#include <string>

namespace quorlix::platform {
namespace {

const std::string fffd = "\xEF\xBF\xBD";

std::string marks(int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += "\u0301";
    return out;
}

TEST(CappedText, KeepsWholeCharactersUpToTheLimitAndMendsMalformedBytes) {
    struct Case {
        std::string text;
        std::size_t limit;
        std::string capped;
    };
    const Case cases[] = {
        {"", 3, ""},
        {"abc", 3, "abc"},
        {"abcd", 3, "abc"},
        // Two, three and four bytes a code point: cut after the last whole one.
        {"ñññññ", 3, "ñññ"},
        {"a東京x", 2, "a東"},
        // A character the limit would split is dropped whole: a joined emoji, a letter and its
        // marks, a flag, a conjunct (न म स्ते), a carriage return and its line feed.
        {"ab\U0001F469\u200D\U0001F469\u200D\U0001F467", 4, "ab"},
        {"ab\U0001F469\u200D\U0001F469\u200D\U0001F467c", 7, "ab\U0001F469\u200D\U0001F469\u200D\U0001F467"},
        {"e\u0301e\u0301", 3, "e\u0301"},
        {"\U0001F1F2\U0001F1FD\U0001F1E6\U0001F1F7", 3, "\U0001F1F2\U0001F1FD"},
        {"\u0928\u092E\u0938\u094D\u0924\u0947", 5, "\u0928\u092E"},
        {"a\r\nb", 2, "a"},
        // A first character longer than the limit keeps its base and the marks that fit.
        {"e" + marks(10000), 4, "e" + marks(3)},
        {"e" + marks(10000) + "x", 4096, "e" + marks(4095)},
        {"\U0001F469\u200D\U0001F469\u200D\U0001F467", 3, "\U0001F469\u200D\U0001F469"},
        // Malformed: a stray continuation byte, a sequence cut short (here and at the end),
        // overlong forms, a surrogate, past U+10FFFF, bytes UTF-8 never uses. Each bad byte
        // is one U+FFFD and counts as a code point.
        {"a\x80z", 3, "a" + fffd + "z"},
        {"a\xE2\x82z", 9, "a" + fffd + fffd + "z"},
        {"ab\xF0\x9F\x98", 9, "ab" + fffd + fffd + fffd},
        {"\xC0\xAF\xE0\x80\xAF", 9, fffd + fffd + fffd + fffd + fffd},
        {"\xED\xA0\x80", 9, fffd + fffd + fffd},
        {"\xF4\x90\x80\x80", 2, fffd + fffd},
        {"\xFE\xFFok", 3, fffd + fffd + "o"},
        // The largest and smallest of each length stay.
        {"\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF\xF0\x90\x80\x80\xF4\x8F\xBF\xBF", 9,
         "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF\xF0\x90\x80\x80\xF4\x8F\xBF\xBF"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(cappedText(c.text, c.limit), c.capped) << c.text << " to " << c.limit;
}

TEST(CappedText, TheDefaultLimitIsWhatNoScreenShows) {
    std::string huge;
    for (int i = 0; i < 100000; ++i) huge += "ñ";
    EXPECT_EQ(cappedText(huge), huge.substr(0, 2 * shownTextLimit));
}

}  // namespace
}  // namespace quorlix::platform
