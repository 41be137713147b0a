// The settings controls on virtual time: live values and their commits, the slider's
// pointer mapping, the rows built on them, and the option pickers.

#include "settings/live_value.h"
#include "settings/option_pickers.h"
#include "settings/sliders.h"
#include "ui/live_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <vector>

namespace quorlix {
namespace {

using ui::Binding;
using ui::View;
using ui::testing::Live;

// The opacity an item is drawn with: its own and its ancestors'.
double drawnOpacity(const ui::DisplayItem& root, const ui::DisplayItem* item) {
    double opacity = 1;
    for (const ui::DisplayItem* step : root.pathTo(item)) opacity *= step->opacity;
    return opacity;
}

// The shapes of a width, as drawn.
std::vector<const ui::DisplayItem*> shapesOfWidth(const ui::DisplayItem& root, double width) {
    return root.findAll([width](const ui::DisplayItem& i) { return i.shape && i.frame.width() == width; });
}

// A stored number that counts its writes.
struct Stored {
    double value = 0;
    int writes = 0;
    Binding<double> binding() {
        return Binding<double>([this] { return value; },
                               [this](double v) {
                                   value = v;
                                   ++writes;
                               });
    }
};

TEST(SnappingTest, SnapsToTheStepsDecimalsAndLeavesWhatCannotBeSnapped) {
    struct Case {
        double value, step, expected;
    };
    const double inf = std::numeric_limits<double>::infinity();
    for (const Case& c : std::vector<Case>{{1.49, 0.1, 1.5},
                                           {2.5, 1, 3},  // halves away from zero
                                           {-2.25, 0.5, -2.5},
                                           {2.26, 0.5, 2.5},
                                           {500.5, 1, 501},
                                           {0.30000000000000004, 0.05, 0.3},
                                           {7.3, 0, 7.3},
                                           {7.3, -1, 7.3},
                                           {1e300, 0.1, 1e300},
                                           {inf, 1, inf}}) {
        EXPECT_EQ(snapped(c.value, c.step), c.expected) << c.value << " by " << c.step;
    }
    EXPECT_EQ(snapped(15 * 0.1, 0.1), 1.5);
    EXPECT_TRUE(std::isnan(snapped(std::nan(""), 1)));
}

TEST(SnappingTest, WholeNumberTextsSaturateAndNeverConvertWhatIsNotANumber) {
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(wholeNumberText(500.5), "501");
    EXPECT_EQ(wholeNumberText(-0.5), "-1");
    EXPECT_EQ(wholeNumberText(1e300), "9223372036854774784");
    EXPECT_EQ(wholeNumberText(-inf), "-9223372036854775808");
    EXPECT_EQ(wholeNumberText(std::nan("")), "0");
    EXPECT_EQ(truncatedNumberText(859.9), "859");
    EXPECT_EQ(truncatedNumberText(-3.7), "-3");
    EXPECT_EQ(truncatedNumberText(inf), "9223372036854774784");
    EXPECT_EQ(DurationRow::label(4), "4");
    EXPECT_EQ(DurationRow::label(1.5), "1.5");
    EXPECT_EQ(DurationRow::tickCount(1, 4), 4);
    EXPECT_EQ(DurationRow::tickCount(2, 8), 7);
    EXPECT_EQ(DurationRow::tickCount(0, inf), 0);
    EXPECT_EQ(DurationRow::tickCount(0, 1e12), 200);
}

// A live value whose content hands its live binding out, with the previews it got.
struct LiveProbe {
    Stored stored;
    double step = 0;
    std::vector<std::optional<double>> previews;
    std::optional<Binding<double>> live;
    bool editing = false;

    View view() {
        return LiveValue{.value = stored.binding(),
                         .step = step,
                         .preview = [this](std::optional<double> v) { previews.push_back(v); },
                         .content =
                             [this](const Binding<double>& b, bool e) {
                                 live = b;
                                 editing = e;
                                 return View(ui::Text(std::to_string(b.get())));
                             }};
    }
};

TEST(LiveValueTest, ABurstOfChangesIsWrittenOnceAQuarterSecondAfterTheLast) {
    LiveProbe probe;
    probe.step = 1;
    Live live([&] { return probe.view(); });
    for (int i = 0; i < 15; ++i) {  // 3 s of steady dragging
        probe.live->set(10 + i * 0.4);
        live.advance(0.2);
    }
    EXPECT_EQ(probe.stored.writes, 0);
    EXPECT_TRUE(probe.editing);
    EXPECT_DOUBLE_EQ(probe.live->get(), 15.6);  // the draft shows at once
    live.advance(0.049);
    EXPECT_EQ(probe.stored.writes, 0);
    live.advance(0.002);
    EXPECT_EQ(probe.stored.writes, 1);
    EXPECT_EQ(probe.stored.value, 16);
    EXPECT_EQ(probe.previews.size(), 16u);  // every value, then none
    EXPECT_EQ(probe.previews.back(), std::nullopt);
    live.advance(0);
    EXPECT_FALSE(probe.editing);
    EXPECT_EQ(probe.live->get(), 16);
}

TEST(LiveValueTest, AnEqualValueIsNotWrittenButThePreviewStillEnds) {
    LiveProbe probe;
    probe.step = 1;
    probe.stored.value = 5;
    Live live([&] { return probe.view(); });
    probe.live->set(5.2);
    live.advance(0.3);
    EXPECT_EQ(probe.stored.writes, 0);
    EXPECT_EQ(probe.previews, (std::vector<std::optional<double>>{5.2, std::nullopt}));
    EXPECT_EQ(probe.live->get(), 5);
}

TEST(LiveValueTest, ACommitAfterTheViewIsGoneStillWritesAndADiscardedOneDoesNot) {
    LiveProbe probe;
    Live live([&] { return ui::If(live.model.flag.get(), View(), probe.view()); });
    probe.live->set(42);
    live.model.flag = true;  // the pane is left
    live.advance(0);
    EXPECT_FALSE(live.shown().findText(std::to_string(42.0)));
    live.advance(0.25);
    EXPECT_EQ(probe.stored.value, 42);
    EXPECT_EQ(probe.previews.back(), std::nullopt);

    // Discarded: no write, the draft dropped, the preview ended.
    LiveProbe other;
    auto commits = std::make_shared<LiveCommits>();
    Live second([&] {
        View v = other.view();
        return View(LiveValue{.value = other.stored.binding(),
                              .preview = [&](std::optional<double> x) { other.previews.push_back(x); },
                              .content =
                                  [&](const Binding<double>& b, bool e) {
                                      other.live = b;
                                      other.editing = e;
                                      return View(ui::Text("x"));
                                  },
                              .commits = commits});
    });
    other.live->set(7);
    commits->discardAll();
    second.advance(1);
    EXPECT_EQ(other.stored.writes, 0);
    EXPECT_FALSE(other.editing);
    EXPECT_EQ(other.previews, (std::vector<std::optional<double>>{7, std::nullopt}));
}

TEST(CanopySliderTest, PointerPositionsMapIntoTheRange) {
    struct Case {
        double x, width, lower, upper, step, expected;
    };
    for (const Case& c : std::vector<Case>{{0, 222, 0, 100, 0, 0},
                                           {11, 222, 0, 100, 0, 0},
                                           {111, 222, 0, 100, 0, 50},
                                           {211, 222, 0, 100, 0, 100},
                                           {222, 222, 0, 100, 0, 100},
                                           {5, 20, 1, 4, 0, 1},  // narrower than 23: usable length 1
                                           {12.5, 20, 1, 4, 0, 4},
                                           {11.5, 20, 1, 4, 0, 2.5},
                                           {210, 222, 1, 9.9, 1, 9.9},  // the snapped 10 stays in the range
                                           {11.2, 222, 0.3, 10, 1, 0.3}}) {
        EXPECT_DOUBLE_EQ(CanopySlider::valueAt(c.x, c.width, c.lower, c.upper, c.step), c.expected)
            << "x " << c.x << " of " << c.width;
    }
    EXPECT_EQ(CanopySlider::usable(20), 1);
    EXPECT_EQ(CanopySlider::fraction(-5, 0, 10), 0);
    EXPECT_EQ(CanopySlider::fraction(50, 0, 10), 1);
    EXPECT_TRUE(CanopySlider::tickCentres(1, 222).empty());
    EXPECT_EQ(CanopySlider::tickCentres(2, 222), (std::vector<double>{11, 211}));
    EXPECT_EQ(CanopySlider::tickCentres(4, 322).size(), 4u);
    EXPECT_DOUBLE_EQ(CanopySlider::tickCentres(7, 322)[3], 161);
}

TEST(CanopySliderTest, APressWithoutMovementSetsTheValueAndAnOutsideValueWaitsForTheUser) {
    Stored stored;
    stored.value = 250;  // outside 0 ... 100
    Live live(
        [&] {
            return View(CanopySlider{stored.binding(), 0, 100, 0, 0}).frame({.width = 222});
        },
        {222, 22});
    const ui::DisplayItem& thumb = live.item("slider-thumb");
    EXPECT_DOUBLE_EQ(live.shown().drawnFrame(&thumb).midX(), 211);  // drawn at the nearer end
    EXPECT_EQ(stored.writes, 0);
    live.host().events().pointerPressed({4, 11});
    live.host().events().pointerReleased({4, 11});
    EXPECT_EQ(stored.value, 0);
    live.host().events().pointerPressed({215, 11});
    live.host().events().pointerReleased({215, 11});
    EXPECT_EQ(stored.value, 100);
    EXPECT_EQ(stored.writes, 2);
}

TEST(SliderRowsTest, ADurationShowsTheSnappedValueOnlyWhileEditing) {
    Stored stored;
    stored.value = 1.6;  // the volume HUD's default
    Live live(
        [&] {
            return View(DurationRow{"Duración", stored.binding(), 1, 4, 0.5}).frame({.width = 322});
        },
        {322, 100});
    EXPECT_NE(live.shown().findText("1.6"), nullptr);
    // Released at 2.26: x = 11 + 300 × (2.26 − 1) / 3.
    const double x = 11 + 300 * (2.26 - 1) / 3;
    const ui::DisplayItem* slider = live.shown().findId("slider-fill");
    ASSERT_NE(slider, nullptr);
    const double y = live.shown().drawnFrame(slider).midY();
    live.host().events().pointerPressed({x, y});
    live.host().events().pointerReleased({x, y});
    live.advance(0);
    EXPECT_NE(live.shown().findText("2.5"), nullptr);
    EXPECT_EQ(stored.writes, 0);
    live.advance(0.25);
    EXPECT_EQ(stored.value, 2.5);
    EXPECT_EQ(stored.writes, 1);
    EXPECT_EQ(shapesOfWidth(live.shown(), CanopySlider::tickSize).size(), 4u);
}

TEST(SliderRowsTest, ASizeShowsWholePointsPreviewsEveryValueAndCommitsAWholeOne) {
    Stored stored;
    stored.value = 343;
    std::vector<std::optional<double>> previews;
    Live live(
        [&] {
            return View(SizeRow{"Ancho", stored.binding(), 320, 860,
                                [&](std::optional<double> v) { previews.push_back(v); }, nullptr})
                .frame({.width = 562});
        },
        {562, 100});
    const ui::DisplayItem* fill = live.shown().findId("slider-fill");
    ASSERT_NE(fill, nullptr);
    const double y = live.shown().drawnFrame(fill).midY();
    const double x = 11 + 540 * (500.5 - 320) / 540;
    live.host().events().pointerPressed({x, y});
    live.host().events().pointerReleased({x, y});
    live.advance(0);
    EXPECT_NE(live.shown().findText("501"), nullptr);
    live.advance(0.25);
    EXPECT_EQ(stored.value, 501);
    ASSERT_EQ(previews.size(), 2u);
    EXPECT_DOUBLE_EQ(*previews[0], 500.5);
    EXPECT_EQ(previews[1], std::nullopt);
    EXPECT_NE(live.shown().findText("320"), nullptr);
    EXPECT_NE(live.shown().findText("860"), nullptr);
}

enum class Fruit { apple, pear, plum, fig };

struct Choice {
    Fruit value = Fruit::pear;
    int writes = 0;
    Binding<Fruit> binding() {
        return Binding<Fruit>([this] { return value; },
                              [this](Fruit f) {
                                  value = f;
                                  ++writes;
                              });
    }
};

const char* name(Fruit f) {
    switch (f) {
        case Fruit::apple: return "Manzana";
        case Fruit::pear: return "Pera";
        case Fruit::plum: return "Ciruela";
        case Fruit::fig: return "Higo";
    }
    return "";
}

TEST(OptionPickersTest, ButtonsShareTheRowAndWriteEveryPressUnlessDisabled) {
    Choice choice;
    bool disabled = false;
    Live live(
        [&] {
            return View(ChoiceButtons<Fruit>{
                            .options = {Fruit::apple, Fruit::pear, Fruit::plum},
                            .selection = choice.binding(),
                            .height = 36,
                            .disabled = disabled,
                            .label =
                                [](const Fruit& f, bool selected) {
                                    return View(ui::Text(std::string(name(f)) + (selected ? "*" : "")));
                                }})
                .frame({.width = 316});
        },
        {316, 36});
    const auto width = [&](const char* text) { return live.shown().findText(text)->frame.midX(); };
    // (316 − 2 × 8) / 3 = 100 wide each: centres 50, 158, 266.
    EXPECT_DOUBLE_EQ(width("Manzana"), 50);
    EXPECT_DOUBLE_EQ(width("Pera*"), 158);
    EXPECT_DOUBLE_EQ(width("Ciruela"), 266);
    const auto press = [&](double x) {
        live.host().events().pointerPressed({x, 18});
        live.host().events().pointerReleased({x, 18});
        live.advance(0.2);
    };
    press(158);  // already chosen: written again
    EXPECT_EQ(choice.writes, 1);
    press(266);
    EXPECT_EQ(choice.value, Fruit::plum);
    EXPECT_NE(live.shown().findText("Ciruela*"), nullptr);
    disabled = true;
    live.model.flag = true;  // render again
    live.advance(0);
    press(50);
    EXPECT_EQ(choice.value, Fruit::plum);
    EXPECT_EQ(choice.writes, 2);
    EXPECT_NE(live.shown().findText("Ciruela*"), nullptr);
}

TEST(OptionPickersTest, CardsShareTheStripAndAValueOutsideTheOptionsMarksNone) {
    Choice choice;
    choice.value = Fruit::fig;  // not offered
    Live live(
        [&] {
            return View(StylePicker<Fruit>{
                            .title = "Fruta",
                            .options = {Fruit::apple, Fruit::pear, Fruit::plum},
                            .selection = choice.binding(),
                            .label = [](const Fruit& f) { return std::string(name(f)); },
                            .preview = [](const Fruit&, bool) { return View(ui::Color::white); },
                            .height = 108})
                .frame({.width = 400});
        },
        {400, 200});
    // The strip is 400 − 2 × 18 wide; its cards share it less 2 × 12: 340 / 3 each.
    const Rect strip = live.shown().drawnFrame(&live.item("picker.strip"));
    EXPECT_DOUBLE_EQ(strip.width(), 364);
    const double card = 340.0 / 3;
    EXPECT_NEAR(live.shown().findText("Manzana")->frame.midX(), 18 + 12 + card / 2, 1e-9);
    EXPECT_NEAR(live.shown().findText("Ciruela")->frame.midX(), 18 + 12 + card * 2.5, 1e-9);
    const auto dots = shapesOfWidth(live.shown(), 4.5);
    ASSERT_EQ(dots.size(), 3u);
    for (const auto* d : dots) EXPECT_EQ(drawnOpacity(live.shown(), d), 0);
    const double y = live.shown().findText("Pera")->frame.midY();
    live.host().events().pointerPressed({200, y});
    live.host().events().pointerReleased({200, y});
    EXPECT_EQ(choice.value, Fruit::pear);
}

}  // namespace
}  // namespace quorlix
