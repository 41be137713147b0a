// Quorlix on GNOME Shell, Debian's desktop, with its bar along the top edge and its clock at
// the top centre: once as the X11 session's window manager and compositor on an X server of
// the test's own, once as a Wayland compositor nested in one, with Quorlix through the
// XWayland it starts. A private session bus, PulseAudio and settings (GSettings in a key
// file: no notification banners, a plain desktop in the wallpaper's colour) come first, as
// on a user's desktop; GNOME starts in its overview, which Escape leaves. A program of the
// user's (an X one in the X11 session, a Wayland one in the other) lies maximised under the
// island from before Quorlix starts.
//
// With QUORLIX_SCREENSHOTS naming a folder, the resting pill under GNOME's bar is written
// there (the README's picture comes from here).

#include "compositor_desktop.h"
#include "desktop_windows.h"
#include "event_log.h"

#include <nlohmann/json.hpp>

#include <xcb/xcb.h>

#include <gtest/gtest.h>

#include <QPoint>

#include <fstream>
#include <regex>

namespace quorlix::testing {
namespace {
// Its own names: the test program is compiled a few files at a time as one unit.
namespace gnome {

namespace fs = std::filesystem;

constexpr int width = 1512;
constexpr int height = 982;
constexpr int centre = width / 2;
// GNOME's bar along the top edge, and the pill hanging 3 points below it.
constexpr int bar = 32;
constexpr int pillTop = bar + 3;
constexpr int pillMiddle = pillTop + 12;

// The top of the work area the desktop publishes on an X display, once it publishes one.
std::optional<int> workAreaTop(const std::string& display) {
    xcb_connection_t* c = xcb_connect(display.c_str(), nullptr);
    std::optional<int> top;
    if (!xcb_connection_has_error(c)) {
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
        const char name[] = "_NET_WORKAREA";
        auto* atom = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, sizeof name - 1, name), nullptr);
        if (atom) {
            auto* reply = xcb_get_property_reply(
                c, xcb_get_property(c, 0, root, atom->atom, XCB_ATOM_CARDINAL, 0, 4), nullptr);
            if (reply && xcb_get_property_value_length(reply) >= 16)
                top = static_cast<int>(static_cast<const std::uint32_t*>(xcb_get_property_value(reply))[1]);
            std::free(reply);
            std::free(atom);
        }
    }
    xcb_disconnect(c);
    return top;
}

// The columns of the bar's middle where something bright (the clock's text) is drawn.
int clockColumns(const QImage& image) {
    int columns = 0;
    for (int x = centre - 150; x < centre + 150; ++x)
        for (int y = 0; y < bar; ++y)
            if (qGray(image.pixel(x, y)) > 150) {
                ++columns;
                break;
            }
    return columns;
}

bool isWallpaper(QRgb pixel) {
    const auto near = [](int a, int b) { return std::abs(a - b) <= 3; };
    return near(qRed(pixel), (wallpaper >> 16) & 0xff) && near(qGreen(pixel), (wallpaper >> 8) & 0xff) &&
           near(qBlue(pixel), wallpaper & 0xff);
}

// The resting pill, wholly below the bar: what lies under the pill's shadow between the two,
// the pill's dark span through its middle, and no island below it.
bool restingBelowTheBar(const QImage& image) {
    const auto span = darkSpan(image, pillMiddle);
    return span && span->second - span->first + 1 < 120 && !dark(image, centre, bar + 1) &&
           !dark(image, centre, 120);
}
// GNOME's calendar, opened from the clock: its grey panel hangs below the bar, over the
// program under the island.
bool calendarShown(const QImage& image) {
    const QRgb p = image.pixel(centre - 250, 200);
    return qGray(p) > 30 && qGray(p) < 80 && std::abs(qBlue(p) - qRed(p)) < 8;
}
bool expanded(const QImage& image) { return expandedAround(image, centre); }
// The resting pill grown under the pointer.
bool hovered(const QImage& image) {
    const auto span = darkSpan(image, pillMiddle);
    return span && std::abs(span->second - span->first + 1 - (84 + 14)) <= 2;
}

// The middle of the settings button (a grey gear) at the right end of the open 600-point
// island's header, if it is drawn.
std::optional<QPoint> gear(const QImage& image) {
    int count = 0, sumX = 0, sumY = 0;
    for (int y = pillTop; y < pillTop + 32; ++y)
        for (int x = centre + 300 - 60; x < centre + 300; ++x)
            // Grey on the black island, not the bluish desktop nor the program's light ground
            // beyond its rounded corner.
            if (const QRgb p = image.pixel(x, y);
                qGray(p) > 80 && qGray(p) < 200 && std::abs(qBlue(p) - qRed(p)) < 8) {
                ++count;
                sumX += x;
                sumY += y;
            }
    if (count < 10) return std::nullopt;
    return QPoint(sumX / count, sumY / count);
}

class GnomeDesktop : public CompositorDesktop {
protected:
    std::optional<ChildProcess> shell;
    // The X display Quorlix runs on, and its authority file in a Wayland session.
    std::string x;
    std::string xauthority;
    bool waylandSession = false;

    void SetUp() override {
        startSession(width, height, {"gnome-shell"});
        if (IsSkipped() || HasFatalFailure()) return;

        // GNOME's settings, in the key file it reads them from: a plain desktop, and no banner
        // (a session run as root announces itself in one, at the top centre).
        const fs::path settings = session->home.config() / "glib-2.0" / "settings";
        fs::create_directories(settings);
        std::ofstream(settings / "keyfile") << "[org/gnome/desktop/notifications]\n"
                                               "show-banners=false\n"
                                               "[org/gnome/desktop/background]\n"
                                               "picture-uri=''\npicture-uri-dark=''\n"
                                               "color-shading-type='solid'\nprimary-color='#5c6473'\n";
        keyfile_.emplace("GSETTINGS_BACKEND", "keyfile");
    }

    const std::string& outer() const { return session->display.name(); }
    fs::path shellLog() const { return session->home.path() / "gnome-shell.log"; }

    // GNOME Shell as the X session's window manager and compositor.
    void startX11() {
        startShell({"gnome-shell", "--x11", "--replace"});
        x = outer();
        waitForShell();
    }

    // GNOME Shell as a Wayland compositor in a window of the X server, as large as its screen,
    // with the XWayland it starts for X programs.
    void startWayland() {
        waylandSession = true;
        const Variable mode("MUTTER_DEBUG_DUMMY_MODE_SPECS",
                            std::to_string(width) + "x" + std::to_string(height));
        startShell({"gnome-shell", "--nested", "--wayland"});
        const std::regex listening("Using public X11 display (:[0-9]+)");
        ASSERT_TRUE(waitFor([&] {
            const std::string text = fileText(shellLog());
            std::smatch match;
            if (std::regex_search(text, match, listening)) x = match[1];
            for (const auto& entry : fs::directory_iterator(session->runtime()))
                if (entry.path().filename().string().starts_with(".mutter-Xwaylandauth."))
                    xauthority = entry.path().string();
            return !x.empty() && !xauthority.empty();
        })) << "GNOME Shell named no XWayland display";
        const Variable display("DISPLAY", x);
        const Variable authority("XAUTHORITY", xauthority);
        waitForShell();
    }

    // Starts Quorlix on the shell's X display with `settings` as its settings file.
    void launch(nlohmann::json settings) {
        CompositorDesktop::launch({x, waylandSession ? xauthority : "", waylandSession ? "wayland-0" : ""},
                                  std::move(settings));
    }

    QImage screenshot() const { return grab(outer(), {0, 0, width, height}); }
    template <class Condition>
    ::testing::AssertionResult shows(Condition condition) {
        return waitFor([&] { return condition(screenshot()); });
    }
    // Waits for the screen to show what `condition` looks for, the pointer nudged a point back
    // and forth meanwhile, as a hand on the mouse does: a compositor picks the window under the
    // pointer as it moves, and a pointer put on the island before the island's input shape
    // reached the compositor stays with what lay there before until it moves again.
    template <class Condition>
    ::testing::AssertionResult showsUnderHand(Condition condition) {
        int nudge = 0;
        return waitFor([&] {
            EXPECT_EQ(run({"xdotool", "mousemove_relative", "--", nudge++ % 2 ? "-1" : "1", "0"}), 0);
            return condition(screenshot());
        });
    }
    // Moves the pointer to (x, y) of the screen.
    void pointTo(int px, int py) const {
        ASSERT_EQ(run({"xdotool", "mousemove", std::to_string(px), std::to_string(py)}), 0);
    }

    // The program of the user's under the island, maximised: an X one in the X11 session, a
    // Wayland one in the other. The user has clicked the desktop before: until a first click,
    // the nested shell hands a Wayland program no move of the pointer.
    void openTheUsersProgram() {
        ASSERT_EQ(run({"xdotool", "click", "1"}), 0);
        const Variable display("DISPLAY", x);
        std::optional<Variable> authority, wayland;
        if (waylandSession) {
            authority.emplace("XAUTHORITY", xauthority);
            wayland.emplace("WAYLAND_DISPLAY", "wayland-0");
        }
        program.emplace(waylandSession ? "wayland" : "x11", session->home.path());
        ASSERT_TRUE(program->ready()) << "the program under the island did not come up";
    }

    // Nothing beside or below the island takes the pointer from the program under it: a move,
    // a click and a wheel notch beside the pill, and 100 and 300 points down the screen, all
    // inside the island's open rectangle, reach the program.
    void expectNothingDeadAroundTheIsland(const char* after) {
        program->expectReachedAt(
            {{centre + 90, pillMiddle}, {centre, 100}, {centre, 300}},
            [this](int px, int py) { pointTo(px, py); }, after);
    }

    // The scene both sessions play: the pill under GNOME's bar, GNOME's clock as readable as
    // without Quorlix, hover opening and leaving closing it, a click on the open island's
    // settings button reaching Quorlix, and in click mode a wheel notch over the pill changing
    // the volume.
    void playTheScene(const char* picture) {
        ASSERT_TRUE(PrivatePulseServer::pactl("set-sink-volume @DEFAULT_SINK@ 50%"));
        pointTo(centre, 400);
        QImage before;
        ASSERT_TRUE(atRest(outer(), {0, 0, width, height}, &before)) << "GNOME never came to rest";
        const int clock = clockColumns(before);
        ASSERT_GT(clock, 30) << "no clock at the bar's middle";
        openTheUsersProgram();
        if (HasFatalFailure()) return;

        // Wide enough for the open island's header, which holds the settings button.
        launch({{"islandWidth", 600}});
        EXPECT_TRUE(shows(restingBelowTheBar)) << "the pill did not come to rest below GNOME's bar";
        // The clock, drawn again as the minute turns, keeps all of its text.
        EXPECT_TRUE(shows([&](const QImage& image) { return std::abs(clockColumns(image) - clock) <= 4; }))
            << "the island hides GNOME's clock";
        saveScreenshot(outer(), {centre - 300, 0, 600, 230}, picture);
        rememberThePill(pillMiddle, restingBelowTheBar);

        // A volume HUD comes and goes; the program under the island keeps the pointer around it.
        // The volume is set again until a HUD shows: Quorlix hears of the sound server only once
        // the island shows.
        int level = 0;
        EXPECT_TRUE(waitFor([&] {
            PrivatePulseServer::pactl("set-sink-volume @DEFAULT_SINK@ " +
                                      std::to_string(60 + level++ % 2 * 5) + "%");
            const auto span = darkSpan(screenshot(), pillMiddle);
            return span && span->second - span->first + 1 > 150;
        })) << "no volume HUD came";
        EXPECT_TRUE(pillOnlyWhereItRests()) << "as the volume HUD went";
        // What lies below the bar with the island at rest, to be seen again once it has closed:
        // nothing the open island drew may stay on the screen.
        QImage resting;
        EXPECT_TRUE(atRest(outer(), {0, 0, width, height}, &resting, restingBelowTheBar))
            << "the volume HUD did not go";
        // Down to where the open island reaches, above the pointer (which the nested shell draws).
        const QRect belowTheBar(0, bar, width, 330 - bar);
        expectNothingDeadAroundTheIsland("after a volume HUD");

        // The first row below the bar, at the pill: a click there reaches the program or opens
        // the island, and is never lost between the two.
        const std::size_t belowBar = program->mark();
        pointTo(centre, bar);
        ASSERT_EQ(run({"xdotool", "click", "1"}), 0);
        EXPECT_TRUE(waitFor([&] { return program->heard("press", belowBar) || expanded(screenshot()); }))
            << "a click on the row below the bar neither reached the program nor opened the island";
        pointTo(centre, 400);
        EXPECT_TRUE(showsUnderHand(restingBelowTheBar)) << "the pointer away did not close the island";

        // A hand's quick path that ends on the pill opens it.
        ASSERT_EQ(quickPathUp(12, 30), 0);  // to 40, on the pill
        EXPECT_TRUE(shows(expanded)) << "a quick path onto the pill did not open it";
        pointTo(centre, 400);
        EXPECT_TRUE(showsUnderHand(restingBelowTheBar)) << "the pointer away did not close the island";
        EXPECT_TRUE(atRest(outer(), {0, 0, width, height}, nullptr, restingBelowTheBar))
            << "the island did not come to rest";

        // Hovering opens it, the pointer still once it arrived; leaving closes it, and the program
        // has the pointer back.
        pointTo(centre, pillMiddle);
        EXPECT_TRUE(shows(expanded)) << "the pointer moved onto the pill and still there did not open it";
        pointTo(centre, 400);
        EXPECT_TRUE(pillOnlyWhereItRests()) << "as the open island closed";
        EXPECT_TRUE(showsUnderHand(restingBelowTheBar)) << "the pointer away did not close the island";
        QImage closed;
        EXPECT_TRUE(atRest(outer(), {0, 0, width, height}, &closed, restingBelowTheBar))
            << "the island did not come to rest";
        // Up to what antialiasing gives an edge a fraction of a pixel away: the resting pill
        // after a closing and after a HUD differ that much along their edges now and then.
        const auto alike = [](const QImage& a, const QImage& b) {
            if (a.size() != b.size()) return false;
            for (int y = 0; y < a.height(); ++y)
                for (int x = 0; x < a.width(); ++x) {
                    const QColor p = a.pixelColor(x, y), q = b.pixelColor(x, y);
                    if (std::max({std::abs(p.red() - q.red()), std::abs(p.green() - q.green()),
                                  std::abs(p.blue() - q.blue())}) > 16)
                        return false;
                }
            return true;
        };
        EXPECT_TRUE(alike(closed.copy(belowTheBar), resting.copy(belowTheBar)))
            << "the open island left some of its drawing on the screen once closed";

        expectNothingDeadAroundTheIsland("after the island opened and closed");
        // Left for the program under it, the open island leaves it the pointer, and the room it
        // took as soon as it looks closed.
        program->expectKeepsThePointerFromTheIsland(
            [this] {
                pointTo(centre, pillMiddle);
                return showsUnderHand(expanded);
            },
            pillMiddle, [this] { return pillLooksClosed(); }, [this] { pointTo(centre - 136, 150); },
            [this] {
                return atRest(outer(), {0, 0, width, height}, nullptr, restingBelowTheBar);
            });

        // GNOME's clock, over the island, is GNOME's: a click opens its calendar.
        pointTo(centre, bar / 2);
        ASSERT_EQ(run({"xdotool", "click", "1"}), 0);
        EXPECT_TRUE(shows(calendarShown)) << "a click on GNOME's clock did not open its calendar";
        {
            const Variable display("DISPLAY", outer());
            EXPECT_EQ(run({"xdotool", "key", "Escape"}), 0);
        }
        pointTo(centre, 400);
        EXPECT_TRUE(shows(restingBelowTheBar)) << "GNOME's calendar did not close";

        // A click on the open island's settings button (the header's right end, a gear) is
        // Quorlix's: its settings window opens.
        pointTo(centre, pillMiddle);
        ASSERT_TRUE(showsUnderHand(expanded)) << "the pointer onto the pill did not open it again";
        QImage open;
        ASSERT_TRUE(atRest(outer(), {0, 0, width, height}, &open, [](const QImage& image) {
            return expanded(image) && gear(image).has_value();
        })) << "the open island showed no settings button";
        const QPoint button = *gear(open);
        pointTo(button.x(), button.y());
        ASSERT_EQ(run({"xdotool", "click", "1"}), 0);
        {
            const Variable display("DISPLAY", x);
            std::optional<Variable> authority;
            if (waylandSession) authority.emplace("XAUTHORITY", xauthority);
            EXPECT_TRUE(waitFor([] { return quorlixWindow(620, 720).has_value(); }))
                << "a click on the open island's settings button did not reach Quorlix";
        }

        // Opened by a click, the pill only hovers under the pointer: a wheel notch over it changes
        // the volume, and a click opens it. The notch and the click are the island's alone, never
        // also the program's under it.
        ASSERT_TRUE(PrivatePulseServer::pactl("set-sink-volume @DEFAULT_SINK@ 50%"));
        launch({{"openMode", "click"}});
        pointTo(centre, 400);
        ASSERT_TRUE(shows(restingBelowTheBar)) << "the pill did not come back";
        pointTo(centre, pillMiddle);
        ASSERT_TRUE(showsUnderHand(hovered)) << "the pointer onto the pill did not hover it";
        const std::size_t onThePill = program->mark();
        ASSERT_EQ(run({"xdotool", "click", "4"}), 0);
        EXPECT_TRUE(waitFor([] {
            return std::abs(PrivatePulseServer::defaultSinkVolume().value_or(0) - 0.54) < 0.005;
        })) << "a wheel notch over the pill did not raise the volume by a step: "
            << PrivatePulseServer::defaultSinkVolume().value_or(-1);
        // The volume HUD the notch brought goes, and the pill hovers under the pointer again: a
        // window that changes size under the pointer may miss a click in the compositor's frame
        // between its new place and its new picture.
        EXPECT_TRUE(atRest(outer(), {0, 0, width, height}, nullptr, hovered)) << "the volume HUD did not go";
        ASSERT_EQ(run({"xdotool", "click", "1"}), 0);
        EXPECT_TRUE(shows(expanded)) << "a click on the pill did not open it";
        // A move away reaches the program after whatever it heard of the pill's notch and click.
        const std::size_t away = program->mark();
        int nudge = 0;
        EXPECT_TRUE(waitFor([&] {
            pointTo(centre + nudge++ % 2, 500);
            return program->heard("motion", away);
        })) << "the program under the island heard no move";
        EXPECT_FALSE(program->heard("scroll", onThePill) || program->heard("press", onThePill))
            << "the pill's wheel notch or click also reached the program under it: "
            << program->since(onThePill);
        EXPECT_TRUE(quorlix->running());
    }

    std::optional<EventLog> program;

private:
    void startShell(const std::vector<std::string>& command) {
        const Variable display("DISPLAY", outer());
        // Without a session manager of its own, and without the accessibility bus.
        const Variable bridge("NO_AT_BRIDGE", "1");
        shell
            .emplace(command,
                     std::vector<ChildProcess::Open>{{1, shellLog().string(), O_WRONLY | O_CREAT | O_TRUNC},
                                                     {2, shellLog().string(), O_WRONLY | O_CREAT}})
            .watch();
    }

    // Waits for the shell's bar and leaves the overview it starts in: the desktop shows at the
    // screen's left edge, where the overview has a margin of its own colour.
    void waitForShell() {
        ASSERT_TRUE(waitFor([&] { return workAreaTop(x) == bar; })) << "GNOME published no bar";
        ASSERT_TRUE(waitFor([&] {
            if (isWallpaper(screenshot().pixel(4, height / 2))) return true;
            // On the session's own screen: the nested shell hears its keys from there too.
            const Variable display("DISPLAY", outer());
            EXPECT_EQ(run({"xdotool", "key", "Escape"}), 0);
            return false;
        })) << "GNOME did not leave its overview";
    }

    std::optional<Variable> keyfile_;
};

TEST_F(GnomeDesktop, OnTheX11SessionTheIslandHangsBelowTheBarAndAnswersThePointer) {
    startX11();
    playTheScene("island-gnome.png");
}

TEST_F(GnomeDesktop, OnTheWaylandSessionTheIslandHangsBelowTheBarAndAnswersThePointer) {
    startWayland();
    playTheScene("island-gnome-wayland.png");
}

}  // namespace gnome
}  // namespace
}  // namespace quorlix::testing
