// The settings window of the real program on an X server of the test's own with a
// compositing manager and fresh XDG folders: a second launch opens it, the pointer (xdotool)
// flips one of its switches and closes it with its drawn close button, and a third launch
// brings the same window back.
//
// With QUORLIX_SCREENSHOTS naming a folder, pictures of the window and of a search are
// written there (the README's pictures come from here).

#include "desktop_session.h"
#include "desktop_windows.h"
#include "platform/dbus_stand_in.h"

#include <QImage>

#include <xcb/xcb.h>
#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>

namespace quorlix::testing {
namespace {
// Its own names: the test program is compiled a few files at a time as one unit.
namespace settings_window {

namespace fs = std::filesystem;
using testing::StandInService;

constexpr int screenWidth = 1280;
constexpr int screenHeight = 900;

// The visible window 620 by 720 titled "Quorlix", if one is shown.
std::optional<std::string> settingsWindow() { return quorlixWindow(620, 720); }

// Whether the window manager is asked to leave the window undecorated (Motif hints).
bool undecorated(const std::string& window) {
    const std::string hints = output("xprop -id " + window + " _MOTIF_WM_HINTS 2>/dev/null");
    // flags, functions, decorations, ...: decorations given (flag 2) and none.
    unsigned flags = 0, functions = 0, decorations = 1;
    const auto eq = hints.find('=');
    if (eq == std::string::npos) return false;
    if (std::sscanf(hints.c_str() + eq + 1, " %x, %x, %x", &flags, &functions, &decorations) != 3)
        return false;
    return (flags & 2) && decorations == 0;
}

// The rows (top to bottom) where the switches that are on show their accent colour, in a
// column of the picture.
std::vector<int> switchesOn(const QImage& image, int x) {
    std::vector<int> centres;
    int start = -1;
    for (int y = 0; y <= image.height(); ++y) {
        const QColor c = y < image.height() ? image.pixelColor(x, y) : QColor();
        const bool accent =
            y < image.height() && c.blue() > 200 && c.red() < 60 && c.green() > 100 && c.green() < 170;
        if (accent && start < 0) start = y;
        if (!accent && start >= 0) {
            if (y - start >= 8) centres.push_back((start + y) / 2);
            start = -1;
        }
    }
    return centres;
}

std::optional<bool> storedSetting(const fs::path& file, const char* key) {
    std::ifstream in(file);
    const auto json = nlohmann::json::parse(in, nullptr, false);
    if (json.is_discarded() || !json.contains(key) || !json[key].is_boolean()) return std::nullopt;
    return json[key].get<bool>();
}

TEST(SettingsWindowDesktop, ASecondLaunchOpensItsSwitchesWriteTheSettingsAndItsCloseButtonHidesIt) {
    if (const auto missing = DesktopSession::missingProgram())
        GTEST_SKIP() << *missing << " is not installed";
    if (!installed("xprop")) GTEST_SKIP() << "xprop is not installed";
    DesktopSession session(std::to_string(screenWidth) + "x" + std::to_string(screenHeight) + "x24");
    ASSERT_TRUE(session.ready());
    const std::string& display = session.display.name();

    const fs::path settingsFile = session.home.config() / "com.halvik.quorlix.json";
    markWelcomeSeen(settingsFile);
    const auto quorlix = session.launch();
    // Running once it takes later launches.
    ASSERT_TRUE(waitFor([&] { return fs::exists(instanceSocket(session.runtime())); }))
        << "Quorlix did not start";
    EXPECT_FALSE(settingsWindow());

    // A second launch hands over and ends; the running one opens its settings.
    EXPECT_EQ(run({quorlixProgram()}), 0);
    std::optional<std::string> window;
    ASSERT_TRUE(waitFor([&] { return (window = settingsWindow()).has_value(); })) << "no settings window";
    EXPECT_TRUE(undecorated(*window));
    const Geometry g = *geometryOf(*window);
    const auto at = [&](int x, int y) { return std::to_string(g.x + x) + " " + std::to_string(g.y + y); };
    // The sidebar's row 172 points down ("Bandeja", or a section a search found) lights up
    // under the pointer, brighter at its right end than the sidebar beside it, and goes dark
    // again once the pointer has left the window: then the window has handled all that came
    // before, and drawn it. The pointer goes on moving meanwhile, so that a window that had
    // not taken it yet still sees it come.
    const auto lit = [&] {
        const QImage strip = grab(display, {g.x + 190, g.y + 172, 15, 1});
        return strip.isNull() ? 0 : qGray(strip.pixel(0, 0)) - qGray(strip.pixel(14, 0));
    };
    const auto pointerTo = [](int x, int y) {
        int nudge = 0;
        return [x, y, nudge]() mutable {
            EXPECT_EQ(run({"xdotool", "mousemove", std::to_string(x + nudge), std::to_string(y)}), 0);
            nudge = 1 - nudge;
        };
    };
    const auto handled = [&] {
        ASSERT_TRUE(waitFor([&] { return lit() > 2; }, {}, pointerTo(g.x + 105, g.y + 172)))
            << "the row never lit";
        ASSERT_TRUE(waitFor([&] { return lit() <= 0; }, {}, pointerTo(5, 5))) << "the row stayed lit";
    };
    handled();
    saveScreenshot(display, g, "settings-window.png");

    // A search, for the picture; then cleared again.
    ASSERT_EQ(run({"sh", "-c", "xdotool mousemove " + at(100, 59) + " click 1"}), 0);
    ASSERT_EQ(run({"xdotool", "type", "--delay", "30", "pantalla"}), 0);
    handled();
    saveScreenshot(display, g, "settings-search.png");
    ASSERT_EQ(run({"sh", "-c", "xdotool key ctrl+a BackSpace"}), 0);

    // Down to the end of the General pane, where "Ocultar en pantalla completa" is the
    // second-last switch that is on ("Ocultar en capturas de pantalla" below it is off).
    ASSERT_EQ(run({"sh", "-c", "xdotool mousemove " + at(420, 400) + " click --repeat 40 --delay 20 5"}), 0);
    handled();
    // Near the left end of the switches: the accent shows there while one is on (its knob is
    // at the right), the knob while it is off.
    const int column = 210 + 22 + 15 + (336 - 38) + 6;
    const std::vector<int> on = switchesOn(grab(display, g), column);
    ASSERT_GE(on.size(), 2u) << "no switches seen";
    saveScreenshot(display, g, "settings-switches.png");
    ASSERT_EQ(storedSetting(settingsFile, "hideInFullscreen").value_or(true), true);
    const int target = on[on.size() - 2];
    ASSERT_EQ(run({"sh", "-c", "xdotool mousemove " + at(column + 10, target) + " click 1"}), 0);
    EXPECT_TRUE(waitFor([&] { return storedSetting(settingsFile, "hideInFullscreen") == false; }))
        << "the switch did not write hideInFullscreen";
    std::vector<int> before;
    EXPECT_TRUE(waitFor([&] {
        before = switchesOn(grab(display, g), column);
        return before.size() == on.size() - 1;
    })) << "the switch did not turn off";

    // The drawn close button hides the window; the program goes on.
    ASSERT_EQ(run({"sh", "-c", "xdotool mousemove " + at(26, 22) + " click 1"}), 0);
    EXPECT_TRUE(waitFor([&] { return !settingsWindow(); })) << "the close button did not hide the window";
    EXPECT_TRUE(quorlix->running());

    // Another launch brings the same window back, as it was.
    EXPECT_EQ(run({quorlixProgram()}), 0);
    std::optional<std::string> again;
    ASSERT_TRUE(waitFor([&] { return (again = settingsWindow()).has_value(); }))
        << "the window did not come back";
    // The same views: scrolled as they were, the switch still off.
    EXPECT_EQ(geometryOf(*again)->width, 620);
    EXPECT_TRUE(waitFor([&] { return switchesOn(grab(display, g), column) == before; }))
        << "the window came back changed";
    EXPECT_EQ(storedSetting(settingsFile, "hideInFullscreen"), false);
    EXPECT_TRUE(quorlix->running());
}

// The account service owns its name on the (system) bus and never answers. The settings window
// asks it for the user's picture; SIGTERM then ends Quorlix at once, while the question is
// still unanswered: it never gets to its own time limit, after which it would go on to read
// ~/.face, which the test watches.
TEST(SettingsWindowDesktop, AnAccountServiceThatNeverAnswersHoldsNotTheQuit) {
    if (const auto missing = DesktopSession::missingProgram())
        GTEST_SKIP() << *missing << " is not installed";
    // The stand-in answers on a Qt thread of this process; made before the session sets the
    // programs' display.
    QtApplicationMember app;
    DesktopSession session(std::to_string(screenWidth) + "x" + std::to_string(screenHeight) + "x24");
    ASSERT_TRUE(session.ready());
    std::atomic<int> asked = 0;
    StandInService accounts(session.bus.connect(QStringLiteral("accounts")),
                            QStringLiteral("org.freedesktop.Accounts"));
    ASSERT_TRUE(accounts.isRegistered());
    accounts.handle(QStringLiteral("org.freedesktop.Accounts"), QStringLiteral("FindUserById"),
                    [&](const QDBusMessage&) {
                        ++asked;
                        return QDBusMessage();  // no answer, ever
                    });
    const fs::path home = std::getenv("HOME");
    std::ofstream(home / ".face") << "no es una imagen";
    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(::inotify_add_watch(watch, home.c_str(), IN_OPEN), 0);

    markWelcomeSeen(session.home.config() / "com.halvik.quorlix.json");
    const auto quorlix = session.launch();
    ASSERT_TRUE(waitFor([&] { return fs::exists(instanceSocket(session.runtime())); }))
        << "Quorlix did not start";
    EXPECT_EQ(run({quorlixProgram()}), 0);
    ASSERT_TRUE(waitFor([&] { return asked == 1; })) << "the settings never asked for the picture";

    ASSERT_EQ(::kill(quorlix->pid(), SIGTERM), 0);
    ASSERT_TRUE(waitFor([&] { return !quorlix->running(); })) << "Quorlix did not end";
    EXPECT_EQ(quorlix->exitStatus(), 0);
    EXPECT_EQ(asked, 1);
    // Nothing opened ~/.face: Quorlix ended before giving up on the service.
    alignas(inotify_event) char events[4096];
    bool faceOpened = false;
    for (ssize_t n; (n = ::read(watch, events, sizeof events)) > 0;) {
        for (ssize_t at = 0; at < n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(events + at);
            faceOpened = faceOpened || (event->len > 0 && std::string(event->name) == ".face");
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    ::close(watch);
    EXPECT_FALSE(faceOpened);
}

}  // namespace settings_window
}  // namespace
}  // namespace quorlix::testing
