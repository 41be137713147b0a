#include "platform/grapheme_clusters.h"

#include <unicode/brkiter.h>
#include <unicode/utext.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace quorlix::platform {
namespace {

// ICU's own boundaries, in bytes.
std::vector<bool> icuBoundaries(const std::string& s) {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::BreakIterator> it(
        icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
    UText text = UTEXT_INITIALIZER;
    utext_openUTF8(&text, s.data(), static_cast<int64_t>(s.size()), &status);
    it->setText(&text, status);
    std::vector<bool> out(s.size() + 1);
    for (int32_t b = it->first(); b != icu::BreakIterator::DONE; b = it->next())
        out[static_cast<std::size_t>(b)] = true;
    utext_close(&text);
    return out;
}

// Wherever a code point starts, the boundaries told from the bytes (Latin, the general
// punctuation) and those ICU is asked for are ICU's, from either direction.
TEST(GraphemeClusters, AgreeWithICUAroundPlainText) {
    const std::string texts[] = {
        "Canción de la mañana\u2026",  "a\u2026\u0301b",  "\u2014x\u201Cq\u201D\u2030",
        "e\u0301\u2026\u200Dz",        "x\r\n\u2026\r\n", "\u2026\U0001F600\u2026\U0001F1F2\U0001F1FD",
        "\u2060a\u2028b\u200Cc\u2026",
    };
    for (const auto& s : texts) {
        const auto expected = icuBoundaries(s);
        GraphemeClusters clusters(s);
        std::vector<bool> forward(s.size() + 1), backward(s.size() + 1);
        for (std::size_t i = 0; i < s.size(); i = clusters.following(i)) forward[i] = true;
        forward[s.size()] = true;
        GraphemeClusters again(s);
        for (std::size_t i = s.size(); i > 0; i = again.preceding(i)) backward[i] = true;
        backward[0] = true;
        for (std::size_t i = 0; i <= s.size(); ++i) {
            if (i < s.size() && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) continue;
            GraphemeClusters fresh(s);
            EXPECT_EQ(fresh.startsAt(i), expected[i]) << s << " at " << i;
            EXPECT_EQ(forward[i], expected[i]) << s << " at " << i;
            EXPECT_EQ(backward[i], expected[i]) << s << " at " << i;
        }
    }
}

}  // namespace
}  // namespace quorlix::platform
