// The marquee: a text that fits stands still, a wider one loops after a pause, and a new text
// starts the loop again.

#include "island/marquee_text.h"
#include "island_view_test_support.h"

namespace quorlix {
namespace {

using namespace ui;

class MarqueeTextTest : public testing::IslandViewTest {
protected:
    // A text `width` points wide at 10 points.
    static std::string textOf(double width) { return std::string(static_cast<std::size_t>(width / 5), 'a'); }
    void showMarquee(double textWidth, double box, bool centered = false) {
        inputs.text = textOf(textWidth);
        show([this, box, centered] {
            return MarqueeText{.text = inputs.text, .font = Font::system(10), .centered = centered}.frame(
                {.width = box});
        });
    }
    double offset() { return shown().findRole("offset")->effectParameters.at(0); }
    std::size_t copies() {
        return shown().findAll([](auto& i) { return i.kind == DisplayItem::Kind::text; }).size();
    }
    // The fade mask's opacity at the edges.
    double edge() {
        const DisplayItem* mask = find([](auto& i) { return i.mask != nullptr; })->mask.get();
        return mask->find([](auto& i) { return i.fill.has_value(); })->fill->stops.front().color.a;
    }
};

TEST_F(MarqueeTextTest, AWiderTextPausesThenLoopsByItsWidthAndTheGapInItsWidthOver28Seconds) {
    showMarquee(280, 200);
    EXPECT_EQ(copies(), 2u);
    EXPECT_EQ(edge(), 0);
    advance(1.45);
    EXPECT_EQ(offset(), 0);
    advance(0.05 + 5);
    EXPECT_NEAR(offset(), -156, 1e-6);
    advance(5 + 2.5);  // the next pass starts from the beginning
    EXPECT_NEAR(offset(), -78, 1e-6);
    EXPECT_EQ(find([](auto& i) { return std::string_view(i.role) == "frame"; })->frame.height(), 17);
}

TEST_F(MarqueeTextTest, ATextThatFitsStandsStillUnfaded) {
    for (const bool centered : {false, true}) {
        showMarquee(200, 200, centered);  // exactly as wide
        advance(5);
        EXPECT_EQ(offset(), 0);
        EXPECT_EQ(copies(), 1u);
        EXPECT_EQ(edge(), 1);
        EXPECT_FALSE(host->isFrameScheduled());
        showMarquee(100, 200, centered);
        EXPECT_EQ(shown().findText(textOf(100))->frame.x(), centered ? 50 : 0);
    }
}

TEST_F(MarqueeTextTest, ANewTextStartsTheLoopAgainAfterThePause) {
    showMarquee(280, 200);
    advance(6.5);
    inputs.text = textOf(350);
    advance(1.45);
    EXPECT_NE(shown().findText(textOf(350)), nullptr);
    EXPECT_EQ(offset(), 0);
    advance(0.05 + 5);  // 382 points in 12.5 s
    EXPECT_NEAR(offset(), -382 * 5 / 12.5, 1e-6);
    inputs.text = textOf(70);  // fits: the loop stops
    advance(3);
    EXPECT_EQ(offset(), 0);
    EXPECT_FALSE(host->isFrameScheduled());
}

}  // namespace
}  // namespace quorlix
