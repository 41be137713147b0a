// Text layout: wrapping, line limits, shrinking then truncating, monospaced digits, baselines.
// With the fixed metrics of the tests a letter is 5 points wide at 10 points ("1", "i", "l":
// 2.5) and a line is 10 points high.

#include "ui_test_support.h"
#include "ui/text_layout.h"

namespace quorlix::ui {
namespace {

using testing::box;
using testing::Layout;

std::vector<std::string> lines(const DisplayItem& text) {
    std::vector<std::string> out;
    for (const auto& r : text.runs) out.push_back(r.text);
    return out;
}

TEST(TextLayout, WrapsAtSpacesToTheOfferedWidth) {
    Layout l(Text("aaaa bbbb cccc").id("t").frame({.width = 45, .alignment = Alignment::leading}));
    EXPECT_RECT(l.frame("t"), 0, 0, 45, 20);
    EXPECT_EQ(lines(l.text("aaaa bbbb cccc")), (std::vector<std::string>{"aaaa bbbb", "cccc"}));
    // Unconstrained, it keeps one line at its natural width.
    Layout natural(Text("aaaa bbbb cccc").id("t"));
    EXPECT_RECT(natural.frame("t"), 0, 0, 70, 10);
    // A word longer than the line is broken between letters.
    Layout broken(Text("abcdefgh").id("t").frame({.width = 20}));
    EXPECT_EQ(lines(broken.text("abcdefgh")), (std::vector<std::string>{"abcd", "efgh"}));
}

TEST(TextLayout, LineLimitTruncatesTheLastLineWithAnEllipsis) {
    Layout one(Text("aaaa bbbb").lineLimit(1).frame({.width = 30}));
    const DisplayItem& t = one.text("aaaa bbbb");
    EXPECT_EQ(lines(t), (std::vector<std::string>{"aaaa\u2026"}));
    EXPECT_TRUE(t.truncated);

    Layout two(Text("aaaa bbbb cccc dddd eeee").lineLimit(2).frame({.width = 45}));
    EXPECT_EQ(lines(two.text("aaaa bbbb cccc dddd eeee")), (std::vector<std::string>{"aaaa bbbb", "cccc ddd\u2026"}));

    Layout head(Text("abcdefghij").lineLimit(1).truncationMode(TruncationMode::head).frame({.width = 30}));
    EXPECT_EQ(lines(head.text("abcdefghij")), (std::vector<std::string>{"\u2026fghij"}));
    Layout middle(Text("abcdefghij").lineLimit(1).truncationMode(TruncationMode::middle).frame({.width = 30}));
    EXPECT_EQ(lines(middle.text("abcdefghij")), (std::vector<std::string>{"abc\u2026ij"}));

    // A text that fits is left alone.
    Layout fits(Text("abc").lineLimit(1).frame({.width = 30}));
    EXPECT_FALSE(fits.text("abc").truncated);
}

TEST(TextLayout, ShrinksDownToItsMinimumScaleBeforeTruncating) {
    auto label = [](double width) {
        return Text("abcdefghjk").lineLimit(1).minimumScaleFactor(0.5).id("t").frame({.width = width});
    };
    // 50 points of text in 40: shrunk to 0.8, whole.
    Layout shrunk(label(40));
    const DisplayItem& s = shrunk.text("abcdefghjk");
    EXPECT_NEAR(s.textScale, 0.8, 0.01);
    EXPECT_FALSE(s.truncated);
    EXPECT_EQ(lines(s), (std::vector<std::string>{"abcdefghjk"}));
    EXPECT_LE(shrunk.frame("t").width(), 40);
    // In 20 points even half size (25 points) is too wide: half size, then cut.
    Layout cut(label(20));
    const DisplayItem& c = cut.text("abcdefghjk");
    EXPECT_DOUBLE_EQ(c.textScale, 0.5);
    EXPECT_TRUE(c.truncated);
    EXPECT_EQ(lines(c), (std::vector<std::string>{"abcdefg\u2026"}));
    // Two lines allowed: wraps first, shrinks only when two lines are not enough.
    Layout wrapped(Text("aaaa bbbb").lineLimit(2).minimumScaleFactor(0.5).frame({.width = 30}));
    EXPECT_DOUBLE_EQ(wrapped.text("aaaa bbbb").textScale, 1);
}

TEST(TextLayout, MonospacedDigitsTakeTheWidestDigitsAdvance) {
    Layout l(HStack({.spacing = 0}, {
        Text("11:11").id("p"),
        Text("11:11").monospacedDigit().id("m"),
        Text("11:11").font(Font::system(10).monospacedDigit()).id("f"),
    }));
    EXPECT_EQ(l.frame("p").width(), 15);  // 4 × 2.5 + 5
    EXPECT_EQ(l.frame("m").width(), 25);  // 4 × 5 + 5
    EXPECT_EQ(l.frame("f").width(), 25);
    // Each narrow digit is centred in its cell.
    const auto* m = l.list().findId("m");
    ASSERT_NE(m, nullptr);
    const DisplayItem& text = m->children.front();
    ASSERT_EQ(text.runs.size(), 5u);
    EXPECT_DOUBLE_EQ(text.runs[0].origin.x - text.frame.x(), 1.25);
    EXPECT_DOUBLE_EQ(text.runs[1].origin.x - text.frame.x(), 6.25);
}

TEST(TextLayout, StacksAlignOnTheFirstBaseline) {
    Layout l(HStack({.alignment = VerticalAlignment::firstTextBaseline, .spacing = 0}, {
        Text("A").font(Font::system(20)).id("big"),
        Text("b").id("small"),
        box(5, 5).id("box"),
    }));
    // Baselines at 16 (big) and 8 (small); a view without text sits on the baseline.
    EXPECT_EQ(l.frame("big").y(), 0);
    EXPECT_EQ(l.frame("small").y(), 8);
    EXPECT_EQ(l.frame("box").maxY(), 16);
}

TEST(TextLayout, MultilineAlignmentPlacesEachLine) {
    Layout l(Text("aaaa bb").multilineTextAlignment(TextAlignment::center).id("t").frame({.width = 22}));
    const DisplayItem& t = l.text("aaaa bb");
    ASSERT_EQ(t.runs.size(), 2u);
    EXPECT_DOUBLE_EQ(t.runs[0].origin.x - t.frame.x(), 0);
    EXPECT_DOUBLE_EQ(t.runs[1].origin.x - t.frame.x(), 5);  // 10 wide in a 20-wide text
    EXPECT_DOUBLE_EQ(t.runs[1].origin.y - t.frame.y(), 18);  // second baseline
}

TEST(TextLayout, LimitedHeightLimitsTheLines) {
    fakes::FixedFontEngine fonts;
    TextLayoutOptions o;
    o.font = Font::system(10);
    o.maxWidth = 20;
    o.maxHeight = 25;
    const TextLayout t = layoutText(fonts, "aaa bbb ccc", o);
    ASSERT_EQ(t.lines.size(), 2u);
    EXPECT_TRUE(t.truncated);
    EXPECT_EQ(t.size.height, 20);
}

// Kept layouts are shared between heights only where they allow as many lines (and the text
// may not shrink, which would change its lines): each answer is the one laid out afresh.
TEST(TextLayout, KeptLayoutsAnswerAsLaidOutAfresh) {
    fakes::FixedFontEngine fonts;
    TextLayoutCache cache(fonts);
    for (const double scale : {1.0, 0.5}) {
        for (const double height : {15.0, 25.0, 0.0, 19.995, 12.0, 29.0, infinity}) {
            TextLayoutOptions o;
            o.font = Font::system(10);
            o.maxWidth = 20;
            o.maxHeight = height;
            o.minimumScaleFactor = scale;
            const TextLayout kept = cache.layout("aaa bbb ccc", o);
            const TextLayout fresh = layoutText(fonts, "aaa bbb ccc", o);
            std::vector<std::string> keptLines, freshLines;
            for (const auto& l : kept.lines) keptLines.push_back(l.text);
            for (const auto& l : fresh.lines) freshLines.push_back(l.text);
            EXPECT_EQ(keptLines, freshLines) << scale << " at " << height;
            EXPECT_EQ(kept.size, fresh.size) << scale << " at " << height;
            EXPECT_EQ(kept.scale, fresh.scale) << scale << " at " << height;
        }
    }
}

TEST(TextStyle, TakesTheForegroundStyleAndColorSchemeFromTheEnvironment) {
    Layout dark(Text("x").colorScheme(ColorScheme::dark));
    ASSERT_TRUE(dark.text("x").textPaint);
    EXPECT_EQ(dark.text("x").textPaint->color, Color::white);
    Layout light(Text("x"));
    EXPECT_EQ(light.text("x").textPaint->color, Color::black);
    Layout styled(VStack({Text("x"), Text("y").foregroundStyle(Color::red)}).foregroundStyle(Color::white.opacity(0.4)));
    EXPECT_EQ(styled.text("x").textPaint->color, Color::white.opacity(0.4));
    EXPECT_EQ(styled.text("y").textPaint->color, Color::red);
    Layout secondary(Text("x").foregroundStyle(ShapeStyle::secondary()).colorScheme(ColorScheme::dark));
    EXPECT_EQ(secondary.text("x").textPaint->color, Color::white.opacity(0.55));
}

}  // namespace
}  // namespace quorlix::ui
