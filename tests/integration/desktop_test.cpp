// Quorlix as a desktop application on a bare desktop: where the island floats, how the
// pointer and the wheel open and turn it, whose clicks it takes, its help texts and the preview
// HUDs.

#include "bare_desktop.h"

namespace quorlix::testing::bare_desktop {
namespace {

TEST_F(Desktop, TheIslandFloatsAtTheTopCentreOpensUnderThePointerAndTakesLaterLaunches) {
    // The pointer below the island was there before Quorlix started.
    ASSERT_EQ(xdotool({"mousemove", std::to_string(centre), "200"}), 0);
    // A volume HUD shows 1.5 s after launch, for 6 s.
    launch(R"({"previewHUD": "volume"})");

    // The preview HUD: the pill grown by 157 points beside the notch, once it has sprung open.
    ASSERT_TRUE(shows([](const QImage& image) { return widthIs(image, 84 + 157); })) << "no HUD appeared";
    save("island-hud.png");

    // At rest: the 84 by 24 pill, 3 points below the top edge, centred.
    QImage pill;
    ASSERT_TRUE(shows([](const QImage& image) { return widthIs(image, 84); }, &pill))
        << "the HUD did not end";
    const auto span = *darkSpan(pill, 15);
    EXPECT_NEAR((span.first + span.second + 1) / 2.0, centre, 1);
    EXPECT_NEAR(firstDarkRow(pill, centre), 3, 1);
    EXPECT_FALSE(dark(pill, centre, 3 + 24 + 2));
    save("island-resting.png");
    // The calendars' module, beside the program (not in the folder it was started from), is
    // loaded once the island is up.
    EXPECT_TRUE(waitFor([&] { return loads(quorlix->pid(), "quorlix-calendar.so"); }))
        << "the calendar module was not loaded";

    // The pointer moved onto the pill opens the island; moving away closes it again.
    ASSERT_EQ(movePointer(0, 12 - 200), 0);
    EXPECT_TRUE(shows(expanded)) << "the island did not open";
    save("island-expanded.png");
    ASSERT_EQ(movePointer(100 - centre, 600 - 12), 0);
    EXPECT_TRUE(shows([](const QImage& image) { return !dark(image, centre, 120); }))
        << "the island did not close";

    // A second launch hands its address to the running one and ends: an agent now works, and
    // the resting island makes room for it.
    EXPECT_EQ(run({quorlixProgram(), "quorlix://agent?agent=claude&event=working"}), 0);
    EXPECT_TRUE(shows([](const QImage& image) { return widthIs(image, 84 + 120); }))
        << "the running instance did not show the agent";
    EXPECT_TRUE(quorlix->running());
}

// The middle of the open island, where its page shows.
constexpr Geometry pageArea = pageAreaAround(centre);

TEST_F(Desktop, WarpsOntoTheIslandOpenItAndTiltsOfTheWheelTurnOnePageEach) {
    ASSERT_EQ(xdotool({"mousemove", std::to_string(centre), "400"}), 0);
    launch("{}");
    ASSERT_TRUE(shows([](const QImage& image) { return widthIs(image, 84); })) << "the island did not appear";

    // A program's jump onto the island (a warp, which no device reports as motion) opens it;
    // one away closes it.
    ASSERT_EQ(xdotool({"mousemove", std::to_string(centre), "12"}), 0);
    ASSERT_TRUE(shows(expanded)) << "a warp onto the island did not open it";
    ASSERT_EQ(xdotool({"mousemove", std::to_string(centre), "400"}), 0);
    EXPECT_TRUE(shows([](const QImage& image) { return widthIs(image, 84); }))
        << "a warp away did not close it";

    // Open on the music page, each tilt of the wheel turns one page: twice forward (button 7
    // tilts right), twice back. A page counts once it has come to rest as another page.
    ASSERT_EQ(xdotool({"mousemove", std::to_string(centre), "12"}), 0);
    ASSERT_TRUE(shows(expanded));
    const auto restingPage = [&](const QImage* from) {
        QImage page;
        const auto rested = atRest(display(), pageArea, &page,
                                   [&](const QImage& image) { return !from || !samePage(*from, image); });
        return rested ? std::optional<QImage>(page) : std::nullopt;
    };
    const auto tilt = [&](const char* button, const QImage& from) {
        EXPECT_EQ(xdotool({"click", button}), 0);
        return restingPage(&from);
    };
    const auto music = restingPage(nullptr);
    ASSERT_TRUE(music);
    const auto weather = tilt("7", *music);
    ASSERT_TRUE(weather) << "the first tilt turned no page";
    const auto tray = tilt("7", *weather);
    ASSERT_TRUE(tray) << "the second tilt turned no page";
    EXPECT_FALSE(samePage(*tray, *music));
    const auto back = tilt("6", *tray);
    ASSERT_TRUE(back) << "a tilt back turned no page";
    EXPECT_TRUE(samePage(*back, *weather)) << "a tilt back did not lead to the weather";
    const auto first = tilt("6", *back);
    ASSERT_TRUE(first) << "a second tilt back turned no page";
    EXPECT_TRUE(samePage(*first, *music)) << "a second tilt back did not lead to the music";
    EXPECT_TRUE(quorlix->running());
}

// Opened by a click, the island only hovers under the pointer, however it got there; a click on
// the pill opens it and is the island's alone: the window under it (a bar along the top) never
// hears of it, while a click on the bar away from the island reaches the bar.
TEST_F(Desktop, AClickOnTheClosedIslandIsTheIslandsAlone) {
    PressedWindow bar(display(), screenWidth, 32);
    ASSERT_EQ(xdotool({"mousemove", std::to_string(centre), "200"}), 0);
    launch(R"({"openMode": "click"})");
    ASSERT_TRUE(shows([](const QImage& image) { return widthIs(image, 84); })) << "the island did not appear";
    ASSERT_EQ(xdotool({"mousemove", std::to_string(centre), "12"}), 0);
    ASSERT_TRUE(shows([](const QImage& image) { return widthIs(image, 84 + 14); }))
        << "the pointer put onto the island did not hover it";
    ASSERT_EQ(xdotool({"click", "1"}), 0);
    EXPECT_TRUE(shows(expanded)) << "the click did not open the island";
    // A click on the bar far from the island comes after the first in the bar's events.
    ASSERT_EQ(xdotool({"mousemove", "40", "12", "click", "1"}), 0);
    EXPECT_TRUE(waitFor([&] { return !bar.presses().empty() && bar.presses().back() < 100; }))
        << "a click on the bar away from the island did not reach it";
    EXPECT_EQ(bar.presses().size(), 1u) << "the click on the closed island also reached the bar under it";
}

// The island's help texts show on its own window, which never takes the focus, where the pointer
// rests: a pale box drawn just below it, over a tab its title, over a tray file its full path (far
// wider). They go with the island when the pointer leaves.
TEST_F(Desktop, HelpTextsShowBelowTheRestingPointerOverATabAndATrayFile) {
    const fs::path file = home().path() / "informe final del trimestre.txt";
    std::ofstream(file) << "hola";
    ASSERT_EQ(xdotool({"mousemove", std::to_string(centre), "400"}), 0);
    // Wide enough for tabs in its header: 18 points in, 30 wide, 34 apart.
    launch(R"({"islandWidth": 600, "tray.paths": [")" + file.string() + R"("]})");
    ASSERT_TRUE(shows([](const QImage& image) { return widthIs(image, 84); })) << "the island did not appear";
    const std::string focus = output("xdotool getwindowfocus 2>&1");
    // The width of the box's ground along its first row, inside its border, from the pointer on.
    const auto helpWidth = [&](int x, int y) {
        int width = 0;
        EXPECT_EQ(xdotool({"mousemove", std::to_string(x), std::to_string(y)}), 0);
        EXPECT_TRUE(waitFor([&] {
            const QImage shot = screen->grab();
            for (width = 0; qGray(shot.pixel(x + 4 + width, y + 17)) > 200; ++width) continue;
            return width > 20;
        })) << "no help text below "
            << x << ", " << y;
        return width;
    };
    ASSERT_EQ(xdotool({"mousemove", std::to_string(centre), "12"}), 0);
    ASSERT_TRUE(shows(expanded)) << "the island did not open";
    const int weatherTab = centre - 300 + 18 + 15 + 34, trayTab = weatherTab + 34;
    const int tab = helpWidth(weatherTab, 15);
    ASSERT_EQ(xdotool({"mousemove", std::to_string(trayTab), "15", "click", "1"}), 0);
    // On the tray's one file, the start of its name's second line.
    EXPECT_GT(helpWidth(centre - 260, 140), 3 * tab) << "not the file's full path";
    EXPECT_EQ(output("xdotool getwindowfocus 2>&1"), focus) << "the island took the focus";
    ASSERT_EQ(xdotool({"mousemove", "100", "600"}), 0);
    EXPECT_TRUE(shows([&](const QImage& image) { return qGray(image.pixel(centre - 260 + 4, 157)) < 200; }))
        << "the help text stayed";
}

TEST_F(Desktop, TheChargerPreviewShowsTheBatteryHUD) { preview("battery", 157, "island-battery.png"); }

// Headphones reporting one battery: the device HUD with room for the bar and its number.
TEST_F(Desktop, TheHeadphonesPreviewShowsTheDeviceHUD) { preview("max", 130, "island-device.png"); }

}  // namespace
}  // namespace quorlix::testing::bare_desktop
