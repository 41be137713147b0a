// The marquee: a text that fits stands still, a wider one loops after a pause, and a new text
// starts the loop again.

#include "island/marquee_text.h"
#include "island_view_test_support.h"

namespace quorlix {
namespace {

using namespace ui;
using testing::IslandViewTest;

class MarqueeTextTest : public IslandViewTest {
protected:
    // A text `width` points wide at 10 points (a letter is 5 points).
    static std::string textOf(double width) { return std::string(static_cast<std::size_t>(width / 5), 'a'); }

    void showMarquee(double textWidth, double box, bool centered = false) {
        inputs.text = textOf(textWidth);
        show([this, box, centered] {
            return MarqueeText{.text = inputs.text, .font = Font::system(10), .centered = centered}.frame(
                {.width = box});
        });
        advance(0);  // the measurements
    }
    double offset() { return shown().findRole("offset")->effectParameters.at(0); }
    std::size_t copies() {
        return shown()
            .findAll([&](const DisplayItem& i) { return i.kind == DisplayItem::Kind::text; })
            .size();
    }
    // The opacity of the fade mask at its two ends.
    double edgeOpacity() {
        const DisplayItem* masked = find([](const DisplayItem& i) { return i.mask != nullptr; });
        const DisplayItem* gradient = masked->mask->find(
            [](const DisplayItem& i) { return i.fill && i.fill->kind == Paint::Kind::linear; });
        EXPECT_EQ(gradient->fill->stops.front().color.a, gradient->fill->stops.back().color.a);
        return gradient->fill->stops.front().color.a;
    }
};

TEST_F(MarqueeTextTest, AWiderTextPausesThenLoopsByItsWidthAndTheGap) {
    showMarquee(280, 200);
    EXPECT_EQ(copies(), 2u);
    EXPECT_EQ(edgeOpacity(), 0);
    advance(1.45);
    EXPECT_EQ(offset(), 0);
    advance(0.05 + 5);
    EXPECT_NEAR(offset(), -156, 1e-6);
    advance(4.99);
    EXPECT_NEAR(offset(), -312 + 0.01 * 31.2, 1e-6);
    advance(0.01 + 2.5);  // the next pass starts at once from the beginning
    EXPECT_NEAR(offset(), -78, 1e-6);
    EXPECT_TRUE(host->isFrameScheduled());
    EXPECT_EQ(find([](const DisplayItem& i) { return std::string_view(i.role) == "frame"; })->frame.height(),
              17);
}

TEST_F(MarqueeTextTest, ATextThatFitsStandsStillUnfaded) {
    for (const bool centered : {false, true}) {
        showMarquee(200, 200, centered);  // exactly as wide: still
        advance(5);
        EXPECT_EQ(offset(), 0);
        EXPECT_EQ(copies(), 1u);
        EXPECT_EQ(edgeOpacity(), 1);
        EXPECT_FALSE(host->isFrameScheduled());

        showMarquee(100, 200, centered);
        advance(5);
        EXPECT_EQ(shown().findText(textOf(100))->frame.x(), centered ? 50 : 0);
        EXPECT_EQ(offset(), 0);
    }
}

TEST_F(MarqueeTextTest, ANewTextStartsTheLoopAgainAfterThePause) {
    showMarquee(280, 200);
    advance(6.5);
    EXPECT_NEAR(offset(), -156, 1e-6);
    inputs.text = textOf(350);
    advance(0);
    EXPECT_NE(shown().findText(textOf(350)), nullptr);
    EXPECT_EQ(offset(), 0);
    advance(1.45);
    EXPECT_EQ(offset(), 0);
    advance(0.05 + 5);  // 382 points in 12.5 s
    EXPECT_NEAR(offset(), -382 * 5 / 12.5, 1e-6);

    // A text that fits stops the loop.
    inputs.text = textOf(70);
    advance(0);
    EXPECT_EQ(offset(), 0);
    EXPECT_EQ(copies(), 1u);
    advance(3);
    EXPECT_FALSE(host->isFrameScheduled());
}

}  // namespace
}  // namespace quorlix
