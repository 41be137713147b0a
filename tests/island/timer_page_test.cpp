// The timer page over the countdown service, on virtual time.

#include "island/timer_page.h"
#include "island_pages_test_support.h"

namespace quorlix {
namespace {

using namespace ui;

class TimerPageTest : public testing::IslandPagesTest {
protected:
    void SetUp() override {
        showPage([] { return View(TimerPage{}); });
    }
    // The orange arc's end as laid out (the model value the ring eases to).
    double arc() {
        const auto* item = host->graph().displayList().find(
            [](auto& i) { return i.strokePaint && i.strokePaint->color == Color::orange; });
        EXPECT_NE(item, nullptr);
        return item ? item->shape->animatableData().at(1) : -1;
    }
    std::string timeLeft() {
        const auto* item = find([](auto& i) { return i.text.find(':') != std::string::npos; });
        return item ? item->text : "";
    }
};

TEST_F(TimerPageTest, IdleItOffersFivePresetsThatStartACountdown) {
    EXPECT_NE(shown().findText("Temporizador"), nullptr);
    EXPECT_NE(shown().findSymbol("timer"), nullptr);
    EXPECT_EQ(texts(), (std::vector<std::string>{"Temporizador", "1", "min", "5", "min", "10", "min", "15",
                                                 "min", "25", "min"}));
    clickText("5");
    EXPECT_EQ(timer.total.get(), 300);
    EXPECT_TRUE(timer.isRunning());
    EXPECT_NE(shown().findText("5:00"), nullptr);
    EXPECT_NEAR(arc(), 1, 1e-9);
    EXPECT_NE(shown().findSymbol("pause.fill"), nullptr);
    EXPECT_NE(shown().findText("1 min"), nullptr);
    EXPECT_NE(shown().findSymbol("xmark"), nullptr);

    timer.cancel();
    advance(0);
    timer.start(60);
    advance(0);
    EXPECT_EQ(timeLeft(), "1:00:00");
}

TEST_F(TimerPageTest, TheRingShrinksOnceASecondAndStandsStillWhilePaused) {
    timer.start(1);
    advance(15);
    EXPECT_EQ(timeLeft(), "0:45");
    EXPECT_NEAR(arc(), 0.75, 1e-9);
    // Between the redraws the arc eases linearly from the last second's value.
    const double before = arc();
    advance(0.5);
    const auto* drawn =
        shown().find([](auto& i) { return i.strokePaint && i.strokePaint->color == Color::orange; });
    EXPECT_NEAR(drawn->shape->animatableData().at(1), before + 0.5 / 60, 1e-9);

    clickSymbol("pause.fill");  // the pill
    EXPECT_DOUBLE_EQ(timer.pausedRemaining->value_or(0), 44.5);
    advance(1);
    EXPECT_NE(shown().findSymbol("play.fill"), nullptr);
    EXPECT_NE(shown().findSymbol("pause.fill"), nullptr);  // the ring's
    const std::string frozen = timeLeft();
    frames = 0;
    advance(30);
    EXPECT_EQ(frames, 0);
    EXPECT_FALSE(host->isFrameScheduled());
    EXPECT_EQ(timeLeft(), frozen);

    clickSymbol("play.fill");
    EXPECT_TRUE(timer.isRunning());
}

TEST_F(TimerPageTest, ThePillsAddAMinuteAndCancel) {
    timer.start(1);
    advance(0);
    timer.pause();
    advance(0);
    clickText("1 min");
    EXPECT_EQ(timer.pausedRemaining.get(), 120);
    EXPECT_EQ(timeLeft(), "2:00");
    clickSymbol("xmark");
    EXPECT_FALSE(timer.isActive());
    EXPECT_NE(shown().findText("Temporizador"), nullptr);
}

}  // namespace
}  // namespace quorlix
