// The settings window of the real program on an X server of the test's own with a
// compositing manager and fresh XDG folders: a second launch opens it, the pointer (xdotool)
// flips one of its switches and closes it with its drawn close button, and a third launch
// brings the same window back.
//
// With QUORLIX_SCREENSHOTS naming a folder, pictures of the window and of a search are
// written there (the README's pictures come from here).

#include "desktop_session.h"
#include "platform/virtual_display.h"

#include <QImage>

#include <xcb/xcb.h>
#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>
#include <thread>

namespace quorlix::testing {
namespace {

namespace fs = std::filesystem;

constexpr int screenWidth = 1280;
constexpr int screenHeight = 900;

// The standard output of a program run to its end.
std::string output(const std::string& command) {
    std::string out;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
        ::pclose(pipe);
    }
    return out;
}

struct Geometry {
    int x = 0, y = 0, width = 0, height = 0;
};

std::optional<Geometry> geometryOf(const std::string& window) {
    std::istringstream shell(output("xdotool getwindowgeometry --shell " + window + " 2>/dev/null"));
    Geometry g;
    std::string line;
    int found = 0;
    while (std::getline(shell, line)) {
        const auto eq = line.find('=');
        if (eq == std::string::npos) continue;
        const std::string key = line.substr(0, eq);
        const int value = std::atoi(line.c_str() + eq + 1);
        if (key == "X")
            g.x = value, ++found;
        else if (key == "Y")
            g.y = value, ++found;
        else if (key == "WIDTH")
            g.width = value, ++found;
        else if (key == "HEIGHT")
            g.height = value, ++found;
    }
    if (found < 4) return std::nullopt;
    return g;
}

// The visible window 620 by 720 titled "Quorlix", if one is shown.
std::optional<std::string> settingsWindow() {
    std::istringstream ids(output("xdotool search --onlyvisible --name '^Quorlix$' 2>/dev/null"));
    std::string id;
    while (std::getline(ids, id)) {
        const auto g = geometryOf(id);
        if (g && g->width == 620 && g->height == 720) return id;
    }
    return std::nullopt;
}

template <class Condition>
bool eventually(Condition condition, double seconds = 15) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return condition();
}

// What the X server shows in a rectangle of the root window.
QImage grab(const std::string& display, const Geometry& g) {
    xcb_connection_t* c = xcb_connect(display.c_str(), nullptr);
    QImage copy;
    if (!xcb_connection_has_error(c)) {
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
        auto* reply = xcb_get_image_reply(
            c,
            xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, root, static_cast<std::int16_t>(g.x),
                          static_cast<std::int16_t>(g.y), static_cast<std::uint16_t>(g.width),
                          static_cast<std::uint16_t>(g.height), ~0u),
            nullptr);
        if (reply) {
            copy = QImage(xcb_get_image_data(reply), g.width, g.height, g.width * 4, QImage::Format_RGB32)
                       .copy();
            std::free(reply);
        }
    }
    xcb_disconnect(c);
    return copy;
}

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

void save(const QImage& image, const char* name) {
    const char* folder = std::getenv("QUORLIX_SCREENSHOTS");
    if (!folder || !*folder) return;
    image.save(QString::fromStdString((fs::path(folder) / name).string()));
}

TEST(SettingsWindowDesktop, ASecondLaunchOpensItsSwitchesWriteTheSettingsAndItsCloseButtonHidesIt) {
    for (const char* program : {"Xvfb", "xcompmgr", "xdotool", "xprop"})
        if (!installed(program)) GTEST_SKIP() << program << " is not installed";
    VirtualDisplay display(std::to_string(screenWidth) + "x" + std::to_string(screenHeight) + "x24");
    if (display.name().empty()) GTEST_SKIP() << "Xvfb could not start a display";

    fakes::TempHome home;
    const fs::path runtime = home.path() / "runtime";
    fs::create_directories(runtime);
    fs::permissions(runtime, fs::perms::owner_all);
    Variable displayName("DISPLAY", display.name());
    Variable qtPlatform("QT_QPA_PLATFORM", "xcb");
    Variable runtimeDir("XDG_RUNTIME_DIR", runtime.string());
    Variable sanitizer("ASAN_OPTIONS", "detect_leaks=0");
    ChildProcess compositor({"xcompmgr"}, {{2, "/dev/null", O_WRONLY}});

    const fs::path settingsFile = home.config() / "com.halvik.quorlix.json";
    const std::string log = (home.path() / "quorlix.out").string();
    ChildProcess quorlix({QUORLIX_EXECUTABLE},
                         {{1, log, O_WRONLY | O_CREAT | O_APPEND}, {2, log, O_WRONLY | O_CREAT | O_APPEND}});
    // Running once its settings are on disk.
    ASSERT_TRUE(eventually([&] { return fs::exists(settingsFile); })) << "Quorlix did not start";
    EXPECT_FALSE(settingsWindow());

    // A second launch hands over and ends; the running one opens its settings.
    EXPECT_EQ(run({QUORLIX_EXECUTABLE}), 0);
    std::optional<std::string> window;
    ASSERT_TRUE(eventually([&] { return (window = settingsWindow()).has_value(); })) << "no settings window";
    EXPECT_TRUE(undecorated(*window));
    const Geometry g = *geometryOf(*window);
    std::this_thread::sleep_for(std::chrono::milliseconds(800));
    save(grab(display.name(), g), "settings-window.png");

    // A search, for the picture; then cleared again.
    const auto at = [&](int x, int y) { return std::to_string(g.x + x) + " " + std::to_string(g.y + y); };
    ASSERT_EQ(run({"sh", "-c", "xdotool mousemove " + at(100, 59) + " click 1"}), 0);
    ASSERT_EQ(run({"xdotool", "type", "--delay", "30", "pantalla"}), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(800));
    save(grab(display.name(), g), "settings-search.png");
    ASSERT_EQ(run({"sh", "-c", "xdotool key ctrl+a BackSpace"}), 0);

    // Down to the end of the General pane, where "Ocultar en pantalla completa" is the
    // second-last switch that is on ("Ocultar en capturas de pantalla" below it is off).
    ASSERT_EQ(run({"sh", "-c", "xdotool mousemove " + at(420, 400) + " click --repeat 40 --delay 20 5"}), 0);
    // Near the left end of the switches: the accent shows there while one is on (its knob is
    // at the right), the knob while it is off.
    const int column = 210 + 22 + 15 + (336 - 38) + 6;
    std::vector<int> on;
    ASSERT_TRUE(eventually([&] {
        on = switchesOn(grab(display.name(), g), column);
        return on.size() >= 2;
    })) << "no switches seen";
    save(grab(display.name(), g), "settings-switches.png");
    ASSERT_EQ(storedSetting(settingsFile, "hideInFullscreen").value_or(true), true);
    const int target = on[on.size() - 2];
    ASSERT_EQ(run({"sh", "-c", "xdotool mousemove " + at(column + 10, target) + " click 1"}), 0);
    EXPECT_TRUE(eventually([&] { return storedSetting(settingsFile, "hideInFullscreen") == false; }))
        << "the switch did not write hideInFullscreen";
    std::vector<int> before;
    EXPECT_TRUE(eventually([&] {
        before = switchesOn(grab(display.name(), g), column);
        return before.size() == on.size() - 1;
    })) << "the switch did not turn off";

    // The drawn close button hides the window; the program goes on.
    ASSERT_EQ(run({"sh", "-c", "xdotool mousemove " + at(26, 22) + " click 1"}), 0);
    EXPECT_TRUE(eventually([&] { return !settingsWindow(); })) << "the close button did not hide the window";
    EXPECT_TRUE(quorlix.running());

    // Another launch brings the same window back, as it was.
    EXPECT_EQ(run({QUORLIX_EXECUTABLE}), 0);
    std::optional<std::string> again;
    ASSERT_TRUE(eventually([&] { return (again = settingsWindow()).has_value(); }))
        << "the window did not come back";
    // The same views: scrolled as they were, the switch still off.
    EXPECT_EQ(geometryOf(*again)->width, 620);
    EXPECT_TRUE(eventually([&] { return switchesOn(grab(display.name(), g), column) == before; }))
        << "the window came back changed";
    EXPECT_EQ(storedSetting(settingsFile, "hideInFullscreen"), false);
    EXPECT_TRUE(quorlix.running());
}

}  // namespace
}  // namespace quorlix::testing
