// The output menu of the expanded island and the lock screen's output picker, on fake audio
// devices: what each writes on a choice, their marks, hover and size.

#include "island/output_menu.h"
#include "island/output_picker.h"
#include "island_view_test_support.h"

namespace quorlix {
namespace {

using namespace ui;
using testing::IslandViewTest;
using Write = fakes::FakeAudioHardware::Write;
using Property = platform::AudioProperty;

const std::string longName = "Pantalla de la sala de reuniones del segundo piso con nombre larguísimo";

class OutputChoosersTest : public IslandViewTest {
protected:
    int closed = 0;
    std::vector<bool> closedAnimated;

    void SetUp() override {
        fake.audio.add(7, {.name = "Bocinas MacBook Pro", .transport = AudioOutput::builtIn});
        fake.audio.add(9, {.name = "AirPods Pro de Ana", .transport = AudioOutput::bluetooth});
        fake.audio.add(12, {.name = longName, .transport = AudioOutput::hdmi});
        fake.audio.defaultOutput = 7;
        volume.start();
        fake.time.runPending();
    }
    std::function<void()> closing() {
        return [this] {
            ++closed;
            closedAnimated.push_back(Transaction::current().animation != nullptr);
        };
    }
    void showMenu() {
        show([this] { return OutputMenu{.close = closing()}.id("menu"); }, {500, 200});
    }
    // The middle of row `i` of the menu.
    static Point menuRow(int i) { return {60, 5 + 29 * i + 14.5}; }
    void click(Point p) {
        host->events().pointerPressed(p);
        host->events().pointerReleased(p);
        advance(0);
    }
    double nameOpacity(const std::string& name) { return shown().findText(name)->textPaint->color.a; }
    // The row highlights: the rounded backgrounds filled with something visible.
    std::size_t highlights() {
        return shown()
            .findAll([](const DisplayItem& i) {
                return i.fill && i.fill->color == Color::white.opacity(0.12) && i.frame.height() == 29;
            })
            .size();
    }
};

TEST_F(OutputChoosersTest, TheMenuWritesBothDefaultsForAnotherRowAndNothingForTheCurrentOne) {
    showMenu();
    click(menuRow(0));  // the current output
    EXPECT_TRUE(fake.audio.writes.empty());
    EXPECT_EQ(closed, 1);

    click(menuRow(1));
    EXPECT_EQ(fake.audio.writes,
              (std::vector<Write>{{0, Property::defaultOutput, 9}, {0, Property::defaultSystemOutput, 9}}));
    EXPECT_EQ(closed, 2);
}

TEST_F(OutputChoosersTest, TheMenuIsTwentyNinePointsARowPlusItsMargins) {
    showMenu();
    const Rect menu = byId("menu")->frame;
    EXPECT_EQ(menu.height(), 3 * 29 + 10);
    EXPECT_GE(menu.width(), 190);
    const DisplayItem* name = shown().findText(longName);
    EXPECT_TRUE(name->truncated);
    EXPECT_LE(name->frame.width(), 236);
    EXPECT_GT(name->frame.width(), 226);

    fake.audio.remove(9);
    fake.audio.remove(12);
    fake.audio.device(7).name = "TV";
    showMenu();
    EXPECT_EQ(byId("menu")->frame.height(), 39);
    EXPECT_EQ(byId("menu")->frame.width(), 190);
    fake.audio.remove(7);
    showMenu();
    EXPECT_EQ(byId("menu")->frame.height(), 10);
}

TEST_F(OutputChoosersTest, TheMenuMarksTheCurrentOutputLiveAndKeepsItsListWhileShown) {
    showMenu();
    EXPECT_EQ(nameOpacity("Bocinas MacBook Pro"), 1);
    EXPECT_NEAR(nameOpacity("AirPods Pro de Ana"), 0.72, 1e-9);

    fake.audio.add(14, {.name = "Bocina USB"});
    fake.audio.defaultOutput = 9;
    fake.audio.fire(Property::defaultOutput);
    advance(0);
    EXPECT_NEAR(nameOpacity("Bocinas MacBook Pro"), 0.72, 1e-9);
    EXPECT_EQ(nameOpacity("AirPods Pro de Ana"), 1);
    EXPECT_EQ(shown().findText("Bocina USB"), nullptr) << "read once per appearance";
    showMenu();
    EXPECT_NE(shown().findText("Bocina USB"), nullptr);
}

TEST_F(OutputChoosersTest, TheMenuKeepsTheNewerHoveredRowWhateverOrderTheEventsCome) {
    showMenu();
    EXPECT_EQ(highlights(), 0u);
    host->events().pointerMoved(menuRow(1));
    advance(0.2);
    EXPECT_EQ(highlights(), 1u);
    EXPECT_EQ(nameOpacity("AirPods Pro de Ana"), 1);

    // The next row is entered before the last one is left.
    auto hovers = shown().findAll([](const DisplayItem& i) { return i.interaction && i.interaction->hover; });
    ASSERT_EQ(hovers.size(), 3u);
    const auto second = hovers[1]->interaction, third = hovers[2]->interaction;
    third->hover(true);
    second->hover(false);
    advance(0.2);
    EXPECT_EQ(highlights(), 1u);
    EXPECT_EQ(nameOpacity(longName), 1);
    EXPECT_NEAR(nameOpacity("AirPods Pro de Ana"), 0.72, 1e-9);
    third->hover(false);
    advance(0.2);
    EXPECT_EQ(highlights(), 0u);
}

TEST_F(OutputChoosersTest, ThePickerRewritesEvenTheCurrentOutputAndClosesInAnAnimation) {
    show([this] { return OutputPicker{.done = closing()}.frame({.width = 300}); }, {300, 200});
    EXPECT_NE(shown().findText("Salida de audio"), nullptr);
    EXPECT_EQ(shown().findAll([](const DisplayItem& i) { return i.symbol == "checkmark"; }).size(), 1u);
    const DisplayItem* check = shown().findSymbol("checkmark");
    const DisplayItem* current = shown().findText("Bocinas MacBook Pro");
    EXPECT_NEAR(check->frame.midY(), current->frame.midY(), 1);

    click({100, current->frame.midY()});
    EXPECT_EQ(fake.audio.writes,
              (std::vector<Write>{{0, Property::defaultOutput, 7}, {0, Property::defaultSystemOutput, 7}}));
    EXPECT_EQ(closedAnimated, std::vector<bool>{true});

    // The mark follows the system's default.
    fake.audio.defaultOutput = 9;
    fake.audio.fire(Property::defaultOutput);
    advance(0);
    EXPECT_NEAR(shown().findSymbol("checkmark")->frame.midY(),
                shown().findText("AirPods Pro de Ana")->frame.midY(), 1);

    // The close button writes nothing.
    fake.audio.writes.clear();
    const DisplayItem* close = shown().findSymbol("xmark");
    click({close->frame.midX(), close->frame.midY()});
    EXPECT_TRUE(fake.audio.writes.empty());
    EXPECT_EQ(closedAnimated, (std::vector<bool>{true, true}));
}

TEST_F(OutputChoosersTest, WithoutOutputsThePickerStillHasItsTitleAndCloseButton) {
    fake.audio.fail(0, fakes::FakeAudioHardware::Read::devices);
    show([this] { return OutputPicker{.done = closing()}; }, {300, 200});
    EXPECT_NE(shown().findText("Salida de audio"), nullptr);
    EXPECT_NE(shown().findSymbol("xmark"), nullptr);
    EXPECT_EQ(shown().findSymbol("checkmark"), nullptr);
}

}  // namespace
}  // namespace quorlix
