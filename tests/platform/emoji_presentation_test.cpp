#include "platform/emoji_presentation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quorlix::platform {
namespace {

TEST(EmojiPresentation, FollowsUnicodesPresentationRules) {
    struct Case {
        const char* what;
        std::u16string text;
        std::vector<TextSpan> emoji;
    };
    const Case cases[] = {
        {"no emoji", u"Canción 東京 ©", {}},
        {"emoji by default", u"a\U0001F600b", {{1, 2}}},
        {"text by default", u"\u2600 \u2764 #1", {}},
        {"text by default, with U+FE0F", u"\u2600\uFE0F \u2764\uFE0F", {{0, 2}, {3, 2}}},
        {"emoji by default, with U+FE0E", u"\U0001F600\uFE0E \u231A\uFE0E", {}},
        {"keycap", u"1\uFE0F\u20E3 #\u20E3", {{0, 3}, {4, 2}}},
        {"flag", u"\U0001F1F2\U0001F1FD", {{0, 4}}},
        {"skin tone", u"\u261D\U0001F3FD", {{0, 3}}},
        {"joined family", u"\U0001F469\u200D\U0001F467 x", {{0, 5}}},
        {"rainbow flag", u"\U0001F3F3\uFE0F\u200D\U0001F308", {{0, 6}}},
        {"tag sequence",
         u"\U0001F3F4\U000E0067\U000E0062\U000E0065\U000E006E\U000E0067\U000E007F",
         {{0, 14}}},
        {"neighbours merged", u"\U0001F382\U0001F389!", {{0, 4}}},
        {"a stray selector", u"a\uFE0F", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(emojiPresentationSpans(c.text), c.emoji) << c.what;
    EXPECT_TRUE(hasEmojiPresentation(U'\U0001F600'));
    EXPECT_FALSE(hasEmojiPresentation(U'\u2764'));
}

}  // namespace
}  // namespace quorlix::platform
