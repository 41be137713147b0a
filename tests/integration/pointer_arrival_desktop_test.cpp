// The pointer's arrival on the island, on an X server of the test's own with a compositing
// manager and no desktop of its own: a program's jumps onto the pill (one warp and no move
// after it), each after a jump away, and a HUD that grows the island under a pointer resting
// beside the pill since before it; and the open island's help box, which lets the pointer
// through. A player plays and a window of the user's covers the
// screen under the island from before Quorlix starts.

#include "bare_desktop.h"
#include "desktop_session.h"
#include "desktop_windows.h"

#include <nlohmann/json.hpp>

#include <xcb/shape.h>
#include <xcb/xcb.h>

#include <gtest/gtest.h>

#include <fstream>
#include <optional>

namespace quorlix::testing {
namespace {
// Its own names: the test program is compiled a few files at a time as one unit.
namespace pointer_arrival {

namespace fs = std::filesystem;

constexpr int width = 1280;
constexpr int height = 720;
constexpr int centre = width / 2;

// Whether a window of Quorlix as low as a line of text covers (x, y) of the screen,
// and the pointer passes through all of it: its input shape holds nothing.
struct SmallWindow {
    bool found = false;
    bool takesPointer = false;
};
SmallWindow smallWindowAt(const std::string& display, int x, int y) {
    SmallWindow seen;
    forEachQuorlixWindow(
        display, [&](xcb_connection_t* c, xcb_window_t window, const xcb_get_geometry_reply_t& g) {
            if (g.height >= 60 || x < g.x || y < g.y || x >= g.x + g.width || y >= g.y + g.height) return;
            auto* shape = xcb_shape_get_rectangles_reply(
                c, xcb_shape_get_rectangles(c, window, XCB_SHAPE_SK_INPUT), nullptr);
            seen = {true, !shape || xcb_shape_get_rectangles_rectangles_length(shape) > 0};
            std::free(shape);
        });
    return seen;
}

class PointerArrival : public ::testing::Test {
protected:
    std::optional<DesktopSession> session;
    std::optional<bare_desktop::PressedWindow> window;
    std::optional<ChildProcess> player;
    std::unique_ptr<ChildProcess> quorlix;

    // The session, its X server started with `serverOptions`, and a player playing.
    void start(const std::vector<std::string>& serverOptions = {}) {
        if (const auto missing = DesktopSession::missingProgram())
            GTEST_SKIP() << *missing << " is not installed";
        session.emplace(std::to_string(width) + "x" + std::to_string(height) + "x24", true, serverOptions);
        ASSERT_TRUE(session->ready());
        window.emplace(display(), width, height, true);
        const fs::path said = session->home.path() / "player.out";
        player.emplace(std::vector<std::string>{QUORLIX_MEDIA_PLAYER},
                       std::vector<ChildProcess::Open>{{1, said.string(), O_WRONLY | O_CREAT}});
        player->watch();
        ASSERT_TRUE(waitFor([&] { return firstLine(said) == "ready"; }))
            << "the player did not reach the bus";
    }

    const std::string& display() const { return session->display.name(); }

    // Starts Quorlix with `settings`, the pointer resting at (x, y) since before.
    void launch(nlohmann::json settings, int x, int y) {
        ASSERT_EQ(pointTo(x, y), 0);
        settings["didShowWelcome"] = true;
        fs::create_directories(session->home.config());
        std::ofstream(session->home.config() / "com.halvik.quorlix.json") << settings.dump();
        quorlix = session->launch();
    }

    // One jump of the pointer, as a program puts it somewhere: a warp, no move after it.
    static int pointTo(int x, int y) {
        return run({"xdotool", "mousemove", std::to_string(x), std::to_string(y)});
    }

    template <class Condition>
    ::testing::AssertionResult shows(Condition condition) {
        return waitFor([&] { return condition(grab(display(), {0, 0, width, height})); });
    }
    static bool expanded(const QImage& image) { return expandedAround(image, centre); }
};

// The playing track's live activity: the pill with room for its artwork and equalizer.
bool live(const QImage& image) { return widthIs(image, 84 + 60) && !dark(image, centre, 120); }

// On a server that records no client's requests (no RECORD, as a locked-down or nested server
// may be), the island hears of a jump from its own window's crossing alone, as of a tap on a
// touch screen: the toolkit drops the move that ends where its last one did, on the pill.
TEST_F(PointerArrival, EachJumpOntoThePillOpensTheIslandAndEachJumpAwayClosesIt) {
    start({"-extension", "RECORD"});
    if (IsSkipped() || HasFatalFailure()) return;
    launch(nlohmann::json::object(), centre, 600);
    ASSERT_TRUE(shows(live)) << "the playing track's island did not appear";
    for (int jump = 1; jump <= 3; ++jump) {
        SCOPED_TRACE("jump " + std::to_string(jump));
        ASSERT_EQ(pointTo(centre, 12), 0);
        ASSERT_TRUE(shows(expanded)) << "the jump onto the pill did not open the island";
        ASSERT_EQ(pointTo(centre, 600), 0);
        ASSERT_TRUE(shows(live)) << "the jump away did not close the island";
    }
    EXPECT_TRUE(quorlix->running());
}

// The HUD grows the closed island under the pointer, which rests 100 points right of the
// pill's middle since before Quorlix started: a click there is the window's under it.
TEST_F(PointerArrival, AClickBesideThePillUnderAHudReachesTheWindowBelowWhenThePointerRestedThere) {
    start();
    if (IsSkipped() || HasFatalFailure()) return;
    launch({{"previewHUD", "battery"}}, centre + 100, 12);
    ASSERT_TRUE(shows([](const QImage& image) { return widthIs(image, 84 + 157); })) << "no HUD appeared";
    const std::size_t before = window->presses().size();
    ASSERT_EQ(run({"xdotool", "click", "1"}), 0);
    EXPECT_TRUE(waitFor([&] { return window->presses().size() > before; }))
        << "the click under the HUD did not reach the window under it";
    EXPECT_TRUE(quorlix->running());
}

// The help box the open island shows below a pointer resting over a tab lets the pointer
// through: a click on it is the island's, under it.
TEST_F(PointerArrival, TheHelpBoxBelowARestingPointerTakesNoClick) {
    start();
    if (IsSkipped() || HasFatalFailure()) return;
    // Wide enough for tabs in its header: 18 points in, 30 wide, 34 apart.
    launch({{"islandWidth", 600}}, centre, 400);
    ASSERT_TRUE(shows(live)) << "the playing track's island did not appear";
    ASSERT_EQ(pointTo(centre, 12), 0);
    ASSERT_TRUE(shows(expanded)) << "the island did not open";
    const int weatherTab = centre - 300 + 18 + 15 + 34;
    ASSERT_EQ(pointTo(weatherTab, 15), 0);
    SmallWindow box;
    ASSERT_TRUE(waitFor([&] { return (box = smallWindowAt(display(), weatherTab + 8, 15 + 20)).found; }))
        << "no help box below the pointer";
    EXPECT_FALSE(box.takesPointer) << "the help box takes the clicks on it from the island";
    EXPECT_TRUE(quorlix->running());
}

}  // namespace pointer_arrival
}  // namespace
}  // namespace quorlix::testing
