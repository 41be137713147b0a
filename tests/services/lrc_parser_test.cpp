// LRC text to timed lines, and finding the current line.

#include "fakes/well_formed_text.h"
#include "platform/capped_text.h"
#include "services/lyrics_service.h"

#include <gtest/gtest.h>

namespace quorlix {
namespace {

using Lines = std::vector<LyricLine>;

TEST(LrcParserTest, TimeTagsAndText) {
    EXPECT_EQ(LyricsService::parse("[00:12.34]Hola"), (Lines{{12.34, "Hola"}}));
    EXPECT_EQ(LyricsService::parse("[01:30]Vuelvo"), (Lines{{90, "Vuelvo"}}));
    // Several leading tags repeat the line; surrounding spaces go.
    EXPECT_EQ(LyricsService::parse("[00:01][00:05] Otra vez \t"), (Lines{{1, "Otra vez"}, {5, "Otra vez"}}));
    // A tag with nothing after it is an empty line.
    EXPECT_EQ(LyricsService::parse("[00:07.5]"), (Lines{{7.5, ""}}));
}

TEST(LrcParserTest, MetadataAndMalformedTags) {
    EXPECT_TRUE(LyricsService::parse("[ar:Manu Chao]").empty());
    EXPECT_TRUE(LyricsService::parse("[offset:+200]\n[length:03:20]").empty());
    EXPECT_TRUE(LyricsService::parse("sin etiqueta").empty());
    EXPECT_TRUE(LyricsService::parse("[1:2:3]tres campos").empty());
    EXPECT_TRUE(LyricsService::parse("[12]sin dos puntos").empty());
    // A metadata tag before a time tag is skipped, the time still counts.
    EXPECT_EQ(LyricsService::parse("[ti:x][00:02]dos"), (Lines{{2, "dos"}}));
    // Empty pieces around ":" are dropped.
    EXPECT_EQ(LyricsService::parse("[:00:03]tres"), (Lines{{3, "tres"}}));
}

TEST(LrcParserTest, TimesMustBeFiniteAndNotNegative) {
    EXPECT_TRUE(LyricsService::parse("[-1:00]antes").empty());
    EXPECT_TRUE(LyricsService::parse("[00:-5]antes").empty());
    EXPECT_TRUE(LyricsService::parse("[inf:00]nunca").empty());
    EXPECT_TRUE(LyricsService::parse("[00:nan]nunca").empty());
    EXPECT_TRUE(LyricsService::parse("[1e308:00]nunca").empty());  // overflows once in seconds
    EXPECT_TRUE(LyricsService::parse("[00: 5]espacio").empty());
}

TEST(LrcParserTest, OnlyLeadingTagsCount) {
    // After a space, a tag is part of the text.
    EXPECT_EQ(LyricsService::parse("[00:01] [00:02]palabra"), (Lines{{1, "[00:02]palabra"}}));
    // An unclosed bracket stops the tags and stays in the text.
    EXPECT_EQ(LyricsService::parse("[00:04][sin cerrar"), (Lines{{4, "[sin cerrar"}}));
}

TEST(LrcParserTest, EveryKindOfLineBreak) {
    const std::string text =
        "[00:01]a\n[00:02]b\r[00:03]c\r\n[00:04]d\v[00:05]e\f[00:06]f\xC2\x85[00:07]g\xE2\x80\xA8[00:08]h"
        "\xE2\x80\xA9[00:09]i\n\n";
    const auto lines = LyricsService::parse(text);
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_EQ(lines[8], (LyricLine{9, "i"}));
    EXPECT_EQ(lines[6], (LyricLine{7, "g"}));
}

TEST(LrcParserTest, UnicodeSpacesAreTrimmed) {
    EXPECT_EQ(LyricsService::parse("[00:01]\xC2\xA0"
                                   "corazón\xE3\x80\x80"),
              (Lines{{1, "corazón"}}));
}

TEST(LrcParserTest, LinesStayProportionalToTheText) {
    // A chorus line with many tags keeps every one of them.
    std::string chorus;
    for (int i = 0; i < 12; ++i) chorus += "[0" + std::to_string(i) + ":30.00]";
    chorus += "Y vuelve, y vuelve otra vez a empezar la canción de siempre";
    EXPECT_EQ(LyricsService::parse(chorus).size(), 12u);

    // One long line with 10,000 tags: a copy of its text per tag would take a gigabyte.
    std::string hostile;
    for (int i = 0; i < 10000; ++i) hostile += "[0:" + std::to_string(i) + "]";
    hostile += std::string(400 * 1024, 'x');
    const Lines lines = LyricsService::parse(hostile);
    std::size_t bytes = 0;
    for (const auto& line : lines) bytes += sizeof line + line.text.size();
    EXPECT_LE(bytes, 16 * hostile.size());
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), (LyricLine{0, std::string(platform::shownTextLimit, 'x')}));
}

// A record may hold a line of a megabyte, drawn on two lines: it keeps what a screen can show,
// whole code points, and a malformed byte becomes U+FFFD.
TEST(LrcParserTest, ALineKeepsWhatAScreenShowsAsWellFormedText) {
    std::string huge = "[00:01]Canci\xF3n ";
    while (huge.size() < 1024 * 1024) huge += "ñ東😀";
    const Lines lines = LyricsService::parse(huge + "\n[00:02]corta");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(testing::wellFormedLength(lines[0].text), platform::shownTextLimit);
    EXPECT_TRUE(lines[0].text.starts_with("Canci\uFFFDn ñ東😀ñ"));
    EXPECT_EQ(lines[1], (LyricLine{2, "corta"}));
}

TEST(LrcParserTest, ARecordKeepsTheLinesOfItsFirstTagsWithinItsBounds) {
    struct Case {
        const char* name;
        std::size_t count;     // lines in the text, at 0, 1, 2... seconds
        std::size_t textSize;  // bytes of each line's text
        std::size_t kept;
    };
    // Lines cut to what a screen shows: as many as the bound on their text together holds.
    const std::size_t screenful = LyricsService::maxTextSize / platform::shownTextLimit;
    for (const Case& c :
         {Case{"a short song", 40, 30, 40},
          Case{"a flood of short lines", 3 * LyricsService::maxLines, 1, LyricsService::maxLines},
          Case{"many lines longer than a screen shows", 2 * screenful, 2 * platform::shownTextLimit,
               screenful}}) {
        std::string lrc;
        for (std::size_t i = 0; i < c.count; ++i) {
            // Appended piece by piece: GCC 12 at -O3 warns of a "[" + std::string falsely.
            lrc += '[';
            lrc += std::to_string(i / 60);
            lrc += ':';
            lrc += std::to_string(i % 60);
            lrc += ']';
            lrc.append(c.textSize, 'x');
            lrc += '\n';
        }
        const Lines lines = LyricsService::parse(lrc);
        ASSERT_EQ(lines.size(), c.kept) << c.name;
        EXPECT_EQ(lines.back().time, static_cast<double>(c.kept - 1)) << c.name;
    }
}

TEST(LrcParserTest, SortedStablyByTime) {
    const auto lines = LyricsService::parse("[00:09]tarde\n[00:03]primero\n[00:03]segundo\n[00:01]inicio");
    EXPECT_EQ(lines, (Lines{{1, "inicio"}, {3, "primero"}, {3, "segundo"}, {9, "tarde"}}));
}

class LineIndexTest : public ::testing::Test {
protected:
    LyricsService service{nullptr};
};

TEST_F(LineIndexTest, FindsTheLastLineStartedAtOrBefore) {
    EXPECT_EQ(service.index(5), std::nullopt);
    service.lines = LyricsService::parse("[00:02]a\n[00:04]b\n[00:04]c\n[00:08]d");
    EXPECT_EQ(service.index(1.99), std::nullopt);
    EXPECT_EQ(service.index(2), 0u);
    EXPECT_EQ(service.index(3.5), 0u);
    EXPECT_EQ(service.index(4), 2u);  // the later of two equal times
    EXPECT_EQ(service.index(7.9), 2u);
    EXPECT_EQ(service.index(8), 3u);
    EXPECT_EQ(service.index(1e9), 3u);
    EXPECT_EQ(service.index(std::numeric_limits<double>::quiet_NaN()), std::nullopt);
}

}  // namespace
}  // namespace quorlix
