// Quorlix in a Wayland session, as Debian's desktop starts one: a compositor (weston, nested
// in an X server of the test's own) with its XWayland, a private session bus and PulseAudio,
// and Quorlix started through XWayland for a user who has finished onboarding. A Wayland program
// of the user's lies maximised under the island from before Quorlix starts.
//
// An X client there hears of the pointer only over its own windows, so the resting island
// must take the pointer over its shape. The pointer is moved on the outer X server, whose
// moves the compositor follows by their distance only: pushed into a corner first, it is
// then where the test says.

#include "compositor_desktop.h"
#include "desktop_windows.h"
#include "event_log.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <fstream>
#include <regex>

namespace quorlix::testing {
namespace {
// Its own names: the test program is compiled a few files at a time as one unit.
namespace weston {

namespace fs = std::filesystem;

constexpr int width = 1512;
constexpr int height = 982;
constexpr int centre = width / 2;
constexpr const char* socketName = "wl-test";

class WaylandDesktop : public CompositorDesktop {
protected:
    std::optional<ChildProcess> compositor;
    // The display XWayland serves, ":N".
    std::string xwayland;

    void SetUp() override {
        startSession(width, height, {"weston"});
        if (IsSkipped() || HasFatalFailure()) return;

        // No panel of the compositor's own over the top of the screen, and a plain desktop.
        // Its log goes to its standard error, which a failed wait shows.
        const fs::path config = session->home.path() / "weston.ini";
        std::ofstream(config) << "[shell]\npanel-position=none\nbackground-color=0xff5c6473\n";
        const fs::path log = session->home.path() / "weston.log";
        compositor
            .emplace(std::vector<std::string>{"weston", "--backend=x11-backend.so", "--xwayland",
                                              "--width=" + std::to_string(width),
                                              "--height=" + std::to_string(height),
                                              std::string("--socket=") + socketName,
                                              "--config=" + config.string()},
                     std::vector<ChildProcess::Open>{{1, "/dev/null", O_WRONLY},
                                                     {2, log.string(), O_WRONLY | O_CREAT | O_TRUNC}})
            .watch();
        const std::regex listening("xserver listening on display (:[0-9]+)");
        ASSERT_TRUE(waitFor([&] {
            const std::string text = fileText(log);
            std::smatch match;
            if (std::regex_search(text, match, listening)) xwayland = match[1];
            return !xwayland.empty();
        })) << "weston named no XWayland display";
    }

    const std::string& display() const { return session->display.name(); }

    // Starts Quorlix through XWayland with `settings` as its settings file.
    void launch(nlohmann::json settings) {
        CompositorDesktop::launch({xwayland, {}, socketName}, std::move(settings));
    }

    // Moves the pointer to (x, y) of the session's screen: into the top-left corner, then on.
    // XWayland here may apply the last move once more with the next press or wheel, so the
    // last move is a single point.
    static void pointTo(int x, int y) {
        ASSERT_EQ(run({"xdotool", "mousemove_relative", "--", "-5000", "-5000"}), 0);
        ASSERT_EQ(run({"xdotool", "mousemove_relative", "--", std::to_string(x - 1), std::to_string(y)}), 0);
        ASSERT_EQ(run({"xdotool", "mousemove_relative", "--", "1", "0"}), 0);
    }

    // Waits for the resting island to show, with the pointer away from it and still: the
    // island's first frame shows without the compositor being given a reason to repaint.
    ::testing::AssertionResult appears() {
        pointTo(centre, 400);
        return shows(resting);
    }

    // The program of the user's under the island: a Wayland one, maximised.
    void openTheUsersProgram() {
        const Variable wayland("WAYLAND_DISPLAY", socketName);
        program.emplace("wayland", session->home.path());
        ASSERT_TRUE(program->ready()) << "the program under the island did not come up";
    }

    // Nothing beside or below the island takes the pointer from the program under it: a move,
    // a click and a wheel notch beside the pill, and 100 and 300 points down the screen, all
    // inside the island's open rectangle, reach the program.
    void expectNothingDeadAroundTheIsland(const char* after) {
        program->expectReachedAt(
            {{centre + 90, 15}, {centre, 100}, {centre, 300}}, [](int px, int py) { pointTo(px, py); },
            after);
    }

    std::optional<EventLog> program;
    // Waits for the session's screen to show what `condition` looks for.
    template <class Condition>
    ::testing::AssertionResult shows(Condition condition) {
        return waitFor([&] { return condition(grab(display(), {0, 0, width, height})); });
    }
    // Waits, the pointer resting where it was put, for the screen to show what `condition`
    // looks for. The compositor picks the surface under a pointer as it moves: one put on the
    // island before the island's input shape reached the compositor (a busy machine) stays
    // with the desktop under it until it moves again, so it is nudged a point back and forth
    // while waiting, as a hand on the mouse does.
    template <class Condition>
    ::testing::AssertionResult showsUnderHand(Condition condition) {
        int nudge = 0;
        return waitFor([&] {
            const std::string step = nudge++ % 2 ? "-1" : "1";
            EXPECT_EQ(run({"xdotool", "mousemove_relative", "--", step, "0"}), 0);
            return condition(grab(display(), {0, 0, width, height}));
        });
    }
    static bool resting(const QImage& image) {
        const auto w = islandWidth(image);
        return w && *w < 120 && !dark(image, centre, 120);
    }
    static bool expanded(const QImage& image) { return expandedAround(image, centre); }
};

TEST_F(WaylandDesktop, TheIslandAnswersThePointerOverItsShapeAndAReturningUserSeesNoOnboarding) {
    // The output's level, set before Quorlix starts.
    ASSERT_TRUE(PrivatePulseServer::pactl("set-sink-volume @DEFAULT_SINK@ 50%"));
    openTheUsersProgram();
    if (HasFatalFailure()) return;
    launch(nlohmann::json::object());
    ASSERT_TRUE(appears()) << "the island did not appear";
    rememberThePill(15, resting);

    // A volume HUD comes and goes; the program under the island keeps the pointer around it.
    // The volume is set again until a HUD shows: Quorlix hears of the sound server only once
    // the island shows.
    int level = 0;
    EXPECT_TRUE(waitFor([&] {
        PrivatePulseServer::pactl("set-sink-volume @DEFAULT_SINK@ " + std::to_string(60 + level++ % 2 * 5) +
                                  "%");
        return islandWidth(grab(display(), {0, 0, width, height})) > 150;
    })) << "no volume HUD came";
    EXPECT_TRUE(pillOnlyWhereItRests()) << "as the volume HUD went";
    EXPECT_TRUE(atRest(display(), {0, 0, width, height}, nullptr, resting)) << "the volume HUD did not go";
    expectNothingDeadAroundTheIsland("after a volume HUD");

    // Hovering opens it, the pointer still once it arrived by one move or a hand's quick path;
    // leaving closes it, and the program has the pointer back. Three times each: an arrival the
    // island missed was missed now and then.
    const std::pair<const char*, int> arrivals[] = {{"one move", 388}, {"a quick path", 13}};
    pointTo(centre, 400);
    for (const auto& [arrival, step] : arrivals)
        for (int round = 1; round <= 3; ++round) {
            SCOPED_TRACE(std::string(arrival) + ", round " + std::to_string(round));
            ASSERT_EQ(quickPathUp(step, 388 / step), 0);
            EXPECT_TRUE(shows(expanded)) << "the pointer onto the island and still there did not open it";
            pointTo(centre, 400);
            EXPECT_TRUE(pillOnlyWhereItRests()) << "as the open island closed";
            EXPECT_TRUE(showsUnderHand(resting)) << "the pointer away did not close the island";
            EXPECT_TRUE(atRest(display(), {0, 0, width, height}, nullptr, resting))
                << "the island did not come to rest";
        }
    expectNothingDeadAroundTheIsland("after the island opened and closed");
    // Left for the program under it, the open island leaves it the pointer, and the room it
    // took as soon as it looks closed.
    program->expectKeepsThePointerFromTheIsland(
        [this] {
            pointTo(centre, 12);
            return showsUnderHand(expanded);
        },
        12, [this] { return pillLooksClosed(); }, [] { pointTo(centre - 136, 150); },
        [this] {
            return atRest(display(), {0, 0, width, height}, nullptr, resting);
        });
    ASSERT_TRUE(PrivatePulseServer::pactl("set-sink-volume @DEFAULT_SINK@ 50%"));

    // Nothing asked for a permission that cannot be given: no onboarding came with the island.
    {
        const Variable x("DISPLAY", xwayland);
        EXPECT_FALSE(quorlixWindow(460, 560)) << "a returning user was shown onboarding";
    }

    // Opened by a click: over the resting island the pointer only hovers, and a wheel there
    // changes the volume; a click opens it.
    launch({{"openMode", "click"}});
    ASSERT_TRUE(appears()) << "the island did not appear";
    pointTo(centre, 12);
    ASSERT_TRUE(showsUnderHand([](const QImage& image) { return islandWidth(image) == 84 + 14; }))
        << "the pointer onto the island did not hover it";
    const std::size_t hovered = program->mark();
    ASSERT_EQ(run({"xdotool", "click", "4"}), 0);
    EXPECT_TRUE(waitFor([] {
        return std::abs(PrivatePulseServer::defaultSinkVolume().value_or(0) - 0.54) < 0.005;
    })) << "a wheel over the island did not raise the volume by a step, but to "
        << PrivatePulseServer::defaultSinkVolume().value_or(-1) << "; the program under it heard "
        << program->since(hovered);
    // The step's HUD comes and goes: the click is for the hovered island at rest.
    EXPECT_TRUE(shows([](const QImage& image) { return islandWidth(image) > 150; }))
        << "the step showed no HUD";
    ASSERT_TRUE(showsUnderHand([](const QImage& image) { return islandWidth(image) == 84 + 14; }))
        << "the step's HUD did not go";
    ASSERT_EQ(run({"xdotool", "click", "1"}), 0);
    EXPECT_TRUE(shows(expanded)) << "a click on the island did not open it; the program under it heard "
                                 << program->since(hovered);
    EXPECT_TRUE(quorlix->running());
}

}  // namespace weston
}  // namespace
}  // namespace quorlix::testing
