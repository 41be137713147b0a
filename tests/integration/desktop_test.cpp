// Quorlix as a desktop application, on an X server of the test's own with a compositing
// manager: the real program, fresh XDG folders, the pointer moved with xdotool, and what is
// on screen read back from the server.
//
// With QUORLIX_SCREENSHOTS naming a folder, the pictures of the resting pill, the preview
// HUD and the expanded island are written there (the README's pictures come from here).
//
// The music page's test adds a private session bus with a media player playing on it and a
// private PulseAudio with two outputs, and reads the default output back with pactl.

#include "desktop_session.h"
#include "platform/private_pulse_server.h"
#include "platform/virtual_display.h"

#include <QImage>

#include <nlohmann/json.hpp>

#include <xcb/xcb.h>

#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <optional>
#include <thread>

namespace quorlix::testing {
namespace {

namespace fs = std::filesystem;

constexpr int screenWidth = 1280;
constexpr int screenHeight = 720;
constexpr int centre = screenWidth / 2;
// The desktop behind the island, so the black island shows.
constexpr std::uint32_t wallpaper = 0x5c6473;

// What the X server shows, read from the root window.
class Screen {
public:
    explicit Screen(const std::string& display) : connection_(xcb_connect(display.c_str(), nullptr)) {
        if (xcb_connection_has_error(connection_)) return;
        root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
    }
    ~Screen() { xcb_disconnect(connection_); }

    void paintWallpaper() {
        xcb_change_window_attributes(connection_, root_, XCB_CW_BACK_PIXEL, &wallpaper);
        xcb_clear_area(connection_, 0, root_, 0, 0, 0, 0);
        xcb_flush(connection_);
    }

    QImage grab() {
        auto* reply = xcb_get_image_reply(connection_,
                                          xcb_get_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, root_, 0, 0,
                                                        screenWidth, screenHeight, ~0u),
                                          nullptr);
        if (!reply) return {};
        QImage image(xcb_get_image_data(reply), screenWidth, screenHeight, screenWidth * 4,
                     QImage::Format_RGB32);
        QImage copy = image.copy();
        std::free(reply);
        return copy;
    }

private:
    xcb_connection_t* connection_;
    xcb_window_t root_ = 0;
};

bool dark(const QImage& image, int x, int y) { return qGray(image.pixel(x, y)) < 40; }

// The island's extent along one row: first and last dark column, or nothing.
std::optional<std::pair<int, int>> darkSpan(const QImage& image, int y) {
    int first = -1;
    int last = -1;
    for (int x = 0; x < image.width(); ++x) {
        if (!dark(image, x, y)) continue;
        if (first < 0) first = x;
        last = x;
    }
    if (first < 0) return std::nullopt;
    return std::pair{first, last};
}

// The first dark row of a column, or -1.
int firstDarkRow(const QImage& image, int x) {
    for (int y = 0; y < image.height(); ++y)
        if (dark(image, x, y)) return y;
    return -1;
}

// Polls `condition` on fresh pictures for up to `seconds`.
template <class Condition>
bool eventually(Screen& screen, Condition condition, double seconds = 10) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
        if (condition(screen.grab())) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return condition(screen.grab());
}

// The screen once the island's springs have come to rest.
QImage settled(Screen& screen) {
    std::this_thread::sleep_for(std::chrono::milliseconds(800));
    return screen.grab();
}

void save(const QImage& image, const char* name) {
    const char* folder = std::getenv("QUORLIX_SCREENSHOTS");
    if (!folder || !*folder) return;
    // The top centre of the screen, where the island lives.
    image.copy(centre - 300, 0, 600, 230).save(QString::fromStdString((fs::path(folder) / name).string()));
}

// Quorlix on its own X server with a compositing manager, HOME and the XDG folders fresh.
class Desktop : public ::testing::Test {
protected:
    std::optional<VirtualDisplay> display;
    // Made after the display, whose own temporary folder it then overrides.
    std::optional<fakes::TempHome> home;
    std::vector<std::unique_ptr<Variable>> variables;
    std::optional<Screen> screen;
    std::optional<ChildProcess> compositor;
    std::optional<ChildProcess> quorlix;

    void SetUp() override {
        for (const char* program : {"Xvfb", "xcompmgr", "xdotool"})
            if (!installed(program)) GTEST_SKIP() << program << " is not installed";
        display.emplace(std::to_string(screenWidth) + "x" + std::to_string(screenHeight) + "x24");
        if (display->name().empty()) GTEST_SKIP() << "Xvfb could not start a display";
        home.emplace();

        const fs::path runtime = home->path() / "runtime";
        fs::create_directories(runtime);
        fs::permissions(runtime, fs::perms::owner_all);
        variables.push_back(std::make_unique<Variable>("DISPLAY", display->name()));
        variables.push_back(std::make_unique<Variable>("QT_QPA_PLATFORM", "xcb"));
        variables.push_back(std::make_unique<Variable>("XDG_RUNTIME_DIR", runtime.string()));
        // The X keyboard library Qt loads reads past the end of a string the strict checks
        // reject, and the session bus library leaves memory at exit: neither is ours.
        variables.push_back(std::make_unique<Variable>("ASAN_OPTIONS", "detect_leaks=0"));

        screen.emplace(display->name());
        screen->paintWallpaper();
        compositor.emplace(std::vector<std::string>{"xcompmgr"},
                           std::vector<ChildProcess::Open>{{2, "/dev/null", O_WRONLY}});
    }

    // Starts Quorlix with `defaults` as its settings file.
    void launch(const std::string& defaults) {
        fs::create_directories(home->config());
        std::ofstream(home->config() / "com.halvik.quorlix.json") << defaults;
        const std::string output = (home->path() / "quorlix.out").string();
        quorlix.emplace(std::vector<std::string>{QUORLIX_EXECUTABLE},
                        std::vector<ChildProcess::Open>{{1, output, O_WRONLY | O_CREAT | O_APPEND},
                                                        {2, output, O_WRONLY | O_CREAT | O_APPEND}});
    }
};

TEST_F(Desktop, TheIslandFloatsAtTheTopCentreOpensUnderThePointerAndTakesLaterLaunches) {
    Screen& screen = *this->screen;
    // A volume HUD shows 1.5 s after launch, for 6 s.
    launch(R"({"previewHUD": "volume"})");

    // The preview HUD: the pill grown by 157 points beside the notch, once it has sprung open.
    ASSERT_TRUE(eventually(screen, [](const QImage& image) {
        const auto span = darkSpan(image, 15);
        return span && std::abs(span->second - span->first + 1 - (84 + 157)) <= 2;
    })) << "no HUD appeared";
    save(settled(screen), "island-hud.png");

    // At rest: the 84 by 24 pill, 3 points below the top edge, centred.
    QImage pill;
    ASSERT_TRUE(eventually(screen, [&](const QImage& image) {
        const auto span = darkSpan(image, 15);
        if (!span || std::abs(span->second - span->first + 1 - 84) > 2) return false;
        pill = image;
        return true;
    })) << "the HUD did not end";
    const auto span = *darkSpan(pill, 15);
    EXPECT_NEAR(span.second - span.first + 1, 84, 2);
    EXPECT_NEAR((span.first + span.second + 1) / 2.0, centre, 1);
    EXPECT_NEAR(firstDarkRow(pill, centre), 3, 1);
    EXPECT_FALSE(dark(pill, centre, 3 + 24 + 2));
    save(settled(screen), "island-resting.png");

    // The pointer on the pill opens the island; moving away closes it again.
    ASSERT_EQ(run({"xdotool", "mousemove", std::to_string(centre), "12"}), 0);
    EXPECT_TRUE(eventually(
        screen, [](const QImage& image) { return dark(image, centre, 120) && dark(image, centre - 160, 60); },
        10))
        << "the island did not open";
    save(settled(screen), "island-expanded.png");
    ASSERT_EQ(run({"xdotool", "mousemove", "100", "600"}), 0);
    EXPECT_TRUE(eventually(
        screen, [](const QImage& image) { return !dark(image, centre, 120); }, 10))
        << "the island did not close";

    // A second launch hands its address to the running one and ends: an agent now works, and
    // the resting island makes room for it.
    EXPECT_EQ(run({QUORLIX_EXECUTABLE, "quorlix://agent?agent=claude&event=working"}), 0);
    EXPECT_TRUE(eventually(screen, [](const QImage& image) {
        const auto s = darkSpan(image, 15);
        return s && std::abs(s->second - s->first + 1 - (84 + 120)) <= 2;
    })) << "the running instance did not show the agent";
    EXPECT_TRUE(quorlix->running());
}

TEST_F(Desktop, AFileDraggedOntoTheClosedIslandOpensItOnTheTrayAndStaysThere) {
    Screen& screen = *this->screen;
    launch("{}");
    ASSERT_TRUE(eventually(screen, [](const QImage& image) {
        const auto span = darkSpan(image, 15);
        return span && std::abs(span->second - span->first + 1 - 84) <= 2;
    })) << "the island did not appear";

    // A file manager's window with the file, away from the island.
    const fs::path file = home->path() / "informe final.txt";
    std::ofstream(file) << "hola";
    ChildProcess source({QUORLIX_DRAG_SOURCE, file.string(), "100", "400"}, {{2, "/dev/null", O_WRONLY}});
    ASSERT_TRUE(eventually(screen, [](const QImage& image) {
        return image.pixel(200, 500) == qRgb(0, 255, 0);
    })) << "the drag source did not show";

    // Press on it, pull the file to the closed island, then into the island it opens into.
    // Relative moves are the device's own (a warped pointer makes no raw motion), as a hand's.
    const auto pull = [](int dx, int dy) {
        EXPECT_EQ(run({"xdotool", "mousemove_relative", "--", std::to_string(dx), std::to_string(dy)}), 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
    };
    ASSERT_EQ(run({"xdotool", "mousemove", "200", "500"}), 0);
    ASSERT_EQ(run({"xdotool", "mousedown", "1"}), 0);
    for (int step = 0; step < 8; ++step) pull((centre - 200) / 8, -(500 - 12) / 8);
    EXPECT_TRUE(eventually(
        screen, [](const QImage& image) { return dark(image, centre, 120) && dark(image, centre - 160, 60); },
        10))
        << "the island did not open";
    pull(0, 34);
    pull(0, 34);
    pull(5, 5);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ASSERT_EQ(run({"xdotool", "mouseup", "1"}), 0);

    const auto stored = [&] {
        std::ifstream in(home->config() / "com.halvik.quorlix.json");
        const auto defaults = nlohmann::json::parse(in, nullptr, false);
        if (!defaults.is_object() || !defaults.contains("tray.paths")) return nlohmann::json();
        return defaults["tray.paths"];
    };
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (stored().empty() && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ASSERT_EQ(stored().size(), 1u) << stored().dump();
    EXPECT_NE(stored()[0].get<std::string>().find("informe"), std::string::npos);
    EXPECT_TRUE(quorlix->running());
}

// Whether two pictures show about the same colour at (x, y).
bool same(const QImage& a, const QImage& b, int x, int y) {
    const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
    return std::abs(qRed(p) - qRed(q)) < 12 && std::abs(qGreen(p) - qGreen(q)) < 12 &&
           std::abs(qBlue(p) - qBlue(q)) < 12;
}

// The PulseAudio server's default output, or nothing.
std::string defaultSink() {
    std::string name = PrivatePulseServer::pactl("get-default-sink").value_or("");
    while (!name.empty() && std::isspace(static_cast<unsigned char>(name.back()))) name.pop_back();
    return name;
}

TEST_F(Desktop, TheMusicPagesOutputMenuMakesTheOtherOutputTheDefaultAndCloses) {
    for (const char* program : {"pulseaudio", "pactl", "dbus-daemon"})
        if (!installed(program)) GTEST_SKIP() << program << " is not installed";
    PrivatePulseServer pulse;
    if (!pulse.started()) GTEST_SKIP() << "No private PulseAudio daemon could start here: " << pulse.reason();
    const std::string before = defaultSink();
    ASSERT_TRUE(before == "a" || before == "b") << before;
    const std::string other = before == "a" ? "b" : "a";

    // A session bus of the test's own, with a player already playing on it.
    const fs::path socket = home->path() / "bus";
    ChildProcess bus({"dbus-daemon", "--session", "--nofork", "--address=unix:path=" + socket.string()},
                     {{1, "/dev/null", O_WRONLY}, {2, "/dev/null", O_WRONLY}});
    const auto waitFor = [](const fs::path& file) {
        for (int i = 0; i < 100 && !fs::exists(file); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        return fs::exists(file);
    };
    if (!waitFor(socket)) GTEST_SKIP() << "dbus-daemon did not start a session bus";
    Variable busAddress("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + socket.string());
    const fs::path ready = home->path() / "player-ready";
    ChildProcess player({QUORLIX_MPRIS_PLAYER, ready.string()}, {{2, "/dev/null", O_WRONLY}});
    ASSERT_TRUE(waitFor(ready)) << "the media player did not come on the bus";

    Screen& screen = *this->screen;
    launch(R"({"previewTab": "music", "islandWidth": 600})");
    // The wide page, 600 points wide, with the player's artwork tile (no artwork: the grey
    // placeholder) at its leading edge; the island's body is 140 points tall, so the tile is
    // 90 points square, 22 points in, centred in the page between 35 and 163 points down.
    const int left = centre - 300;
    ASSERT_TRUE(eventually(
        screen,
        [&](const QImage& image) {
            const auto span = darkSpan(image, 100);
            const int tile = qGray(image.pixel(left + 22 + 15, 99 - 30));
            return span && std::abs(span->second - span->first + 1 - 600) <= 2 && tile > 40 && tile < 90;
        },
        30))
        << "the music page did not show";

    // The output button ends the 200-point column beside the tile, on the page's last row.
    const QImage closed = screen.grab();
    ASSERT_EQ(
        run({"xdotool", "mousemove", std::to_string(left + 22 + 90 + 18 + 200 - 12), "152", "click", "1"}),
        0);
    ASSERT_TRUE(eventually(screen, [&](const QImage& image) {
        return !same(image, closed, centre + 150, 210);
    })) << "the output menu did not open";

    // The menu hangs 4 points under the button, with a row of 29 points per output, in the
    // server's order: "a", then "b".
    const int row = other == "a" ? 0 : 1;
    const int y = 163 + 4 + 5 + 29 * row + 14;
    ASSERT_EQ(run({"xdotool", "mousemove", std::to_string(centre + 60), std::to_string(y), "click", "1"}), 0);
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (defaultSink() != other && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(defaultSink(), other);
    EXPECT_TRUE(eventually(screen, [&](const QImage& image) {
        return same(image, closed, centre + 150, 210);
    })) << "the output menu did not close";
    EXPECT_TRUE(quorlix->running());
}

}  // namespace
}  // namespace quorlix::testing
