// The island's output menu and the lock screen's output picker on fake audio devices.

#include "island/output_menu.h"
#include "island/output_picker.h"
#include "island_view_test_support.h"

namespace quorlix {
namespace {

using namespace ui;
using Write = fakes::FakeAudioHardware::Write;
using Property = platform::AudioProperty;

const std::string longName = "Pantalla de la sala de reuniones del segundo piso con nombre larguísimo";

class OutputChoosersTest : public testing::IslandViewTest {
protected:
    std::vector<bool> closes;  // whether each close came inside an animation

    void SetUp() override {
        fake.audio.add(7, {.name = "Bocinas", .transport = AudioOutput::builtIn});
        fake.audio.add(9, {.name = "AirPods Pro de Ana", .transport = AudioOutput::bluetooth});
        fake.audio.add(12, {.name = longName, .transport = AudioOutput::hdmi});
        fake.audio.defaultOutput = 7;
        volume.start();
    }
    std::function<void()> closing() {
        return [this] { closes.push_back(Transaction::current().animation != nullptr); };
    }
    void showMenu() {
        show([this] { return OutputMenu{.close = closing()}.id("menu"); }, {500, 200});
    }
    void click(Point p) {
        host->events().pointerPressed(p);
        host->events().pointerReleased(p);
        advance(0.2);
    }
    double brightness(const std::string& name) { return shown().findText(name)->textPaint->color.a; }
    void makeDefault(std::uint32_t id) {
        fake.audio.defaultOutput = id;
        fake.audio.fire(Property::defaultOutput);
        advance(0);
    }
};

TEST_F(OutputChoosersTest, TheMenuWritesBothDefaultsForAnotherRowAndNothingForTheCurrentOne) {
    showMenu();
    EXPECT_EQ(shown().findId("menu")->frame.height(), 3 * 29 + 10);
    EXPECT_LE(shown().findText(longName)->frame.width(), 236);
    EXPECT_TRUE(shown().findText(longName)->truncated);
    click({60, 5 + 14.5});  // the current row
    EXPECT_TRUE(fake.audio.writes.empty());
    click({60, 5 + 29 + 14.5});
    EXPECT_EQ(fake.audio.writes,
              (std::vector<Write>{{0, Property::defaultOutput, 9}, {0, Property::defaultSystemOutput, 9}}));
    EXPECT_EQ(closes.size(), 2u);

    fake.audio.remove(9);
    fake.audio.remove(12);
    showMenu();
    EXPECT_EQ(shown().findId("menu")->frame.height(), 39);
    fake.audio.remove(7);
    showMenu();
    EXPECT_EQ(shown().findId("menu")->frame.height(), 10);
}

TEST_F(OutputChoosersTest, TheMenuMarksTheCurrentAndTheNewerHoveredRow) {
    showMenu();
    EXPECT_EQ(brightness("Bocinas"), 1);
    EXPECT_NEAR(brightness("AirPods Pro de Ana"), 0.72, 1e-9);
    makeDefault(9);
    EXPECT_NEAR(brightness("Bocinas"), 0.72, 1e-9);
    EXPECT_EQ(brightness("AirPods Pro de Ana"), 1);

    // The next row entered before the last one is left.
    const auto rows = shown().findAll([](auto& i) { return i.interaction && i.interaction->hover; });
    const auto first = rows.at(0)->interaction, third = rows.at(2)->interaction;
    first->hover(true);
    third->hover(true);
    first->hover(false);
    advance(0.2);
    EXPECT_NEAR(brightness("Bocinas"), 0.72, 1e-9);
    EXPECT_EQ(brightness(longName), 1);
    EXPECT_EQ(
        shown().findAll([](auto& i) { return i.fill && i.fill->color == Color::white.opacity(0.12); }).size(),
        1u);
}

TEST_F(OutputChoosersTest, ThePickerRewritesEvenTheCurrentOutputAndClosesInAnAnimation) {
    show([this] { return OutputPicker{.done = closing()}.frame({.width = 300}); }, {300, 200});
    const auto checkedRow = [&] { return shown().findSymbol("checkmark")->frame.midY(); };
    const double current = shown().findText("Bocinas")->frame.midY();
    EXPECT_NEAR(checkedRow(), current, 1);
    click({100, current});
    EXPECT_EQ(fake.audio.writes,
              (std::vector<Write>{{0, Property::defaultOutput, 7}, {0, Property::defaultSystemOutput, 7}}));
    makeDefault(9);
    EXPECT_NEAR(checkedRow(), shown().findText("AirPods Pro de Ana")->frame.midY(), 1);

    fake.audio.writes.clear();
    const Rect close = shown().findSymbol("xmark")->frame;
    click({close.midX(), close.midY()});
    EXPECT_TRUE(fake.audio.writes.empty());
    EXPECT_EQ(closes, (std::vector<bool>{true, true}));
}

}  // namespace
}  // namespace quorlix
