// Quorlix as a desktop application, on an X server of the test's own with a compositing
// manager: the real program, fresh XDG folders and session bus, the pointer moved with
// xdotool, a media player already playing, and what is on screen read back from the server.
//
// With QUORLIX_SCREENSHOTS naming a folder, the pictures of the resting pill, the preview
// HUDs and the expanded island are written there (the README's pictures come from here).
// The lock screen's developer preview is checked here too: its windows on the desktop.
//
// The music page's test adds a private PulseAudio with two outputs and reads the default
// output back with pactl.

#include "desktop_session.h"
#include "desktop_windows.h"
#include "platform/private_pulse_server.h"
#include "platform/virtual_display.h"

#include <QImage>
#include <QUrl>

#include <nlohmann/json.hpp>

#include <xcb/xcb.h>

#include <gtest/gtest.h>

#include <algorithm>
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

// The desktop's own top bar (GNOME keeps its clock at the top centre), in the wallpaper's
// colour, telling whether it was clicked.
class TopBar {
public:
    explicit TopBar(const std::string& display) : connection_(xcb_connect(display.c_str(), nullptr)) {
        if (xcb_connection_has_error(connection_)) return;
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
        const xcb_window_t bar = xcb_generate_id(connection_);
        const std::uint32_t values[] = {wallpaper, XCB_EVENT_MASK_BUTTON_PRESS};
        xcb_create_window(connection_, XCB_COPY_FROM_PARENT, bar, screen->root, 0, 0, screenWidth, 32, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT,
                          XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, values);
        xcb_map_window(connection_, bar);
        xcb_flush(connection_);
    }
    ~TopBar() { xcb_disconnect(connection_); }

    // Whether a press reached the bar within `seconds`.
    bool pressed(double seconds = 5) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        while (std::chrono::steady_clock::now() < end) {
            while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
                const bool press = (event->response_type & 0x7f) == XCB_BUTTON_PRESS;
                std::free(event);
                if (press) return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }

private:
    xcb_connection_t* connection_;
};

// How many pixels of a rectangle are brighter than `level` (text and symbols on the lock
// screen's dark glass).
int brightPixels(const QImage& image, int left, int top, int right, int bottom, int level = 200) {
    int count = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x) count += qGray(image.pixel(x, y)) > level;
    return count;
}

// Whether a point is darker than the bare desktop in the same picture by `by`.
bool darkened(const QImage& image, int x, int y, int by) {
    return qGray(image.pixel(x, y)) < qGray(image.pixel(60, screenHeight / 2)) - by;
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

bool widthIs(const QImage& image, int width) {
    const auto w = islandWidth(image);
    return w && std::abs(*w - width) <= 2;
}

// A user's session of the test's own: an X server with a compositing manager, fresh HOME
// and XDG folders and a session bus, on which Quorlix is launched.
class Desktop : public ::testing::Test {
protected:
    std::optional<VirtualDisplay> display;
    // Made after the display, whose own temporary folder it then overrides.
    std::optional<fakes::TempHome> home;
    std::optional<SessionBus> bus;
    std::vector<std::unique_ptr<Variable>> variables;
    std::optional<Screen> screen;
    std::optional<ChildProcess> compositor;
    std::optional<ChildProcess> quorlix;

    void SetUp() override {
        for (const char* program : {"Xvfb", "xcompmgr", "xdotool", "dbus-daemon"})
            if (!installed(program)) GTEST_SKIP() << program << " is not installed";
        display.emplace(std::to_string(screenWidth) + "x" + std::to_string(screenHeight) + "x24");
        if (display->name().empty()) GTEST_SKIP() << "Xvfb could not start a display";
        home.emplace();
        bus.emplace(home->path());
        if (bus->address().empty()) GTEST_SKIP() << "dbus-daemon could not start a session bus";

        variables = sessionVariables(display->name(), home->path());
        variables.push_back(std::make_unique<Variable>("DBUS_SESSION_BUS_ADDRESS", bus->address()));

        screen.emplace(display->name());
        screen->paintWallpaper();
        compositor.emplace(std::vector<std::string>{"xcompmgr"},
                           std::vector<ChildProcess::Open>{{2, "/dev/null", O_WRONLY}});
    }

    // Starts Quorlix with `defaults` as its settings file, once any earlier one has ended. The
    // user has seen onboarding, unless `defaults` says otherwise.
    void launch(const std::string& defaults) {
        quorlix.reset();
        fs::create_directories(home->config());
        nlohmann::json settings = nlohmann::json::parse(defaults);
        if (!settings.contains("didShowWelcome")) settings["didShowWelcome"] = true;
        std::ofstream(home->config() / "com.halvik.quorlix.json") << settings.dump();
        const std::string output = (home->path() / "quorlix.out").string();
        quorlix.emplace(std::vector<std::string>{QUORLIX_EXECUTABLE},
                        std::vector<ChildProcess::Open>{{1, output, O_WRONLY | O_CREAT | O_APPEND},
                                                        {2, output, O_WRONLY | O_CREAT | O_APPEND}});
    }

    // Launches with the preview HUD `kind`, which shows 1.5 s later: the pill grows by `added`
    // points and, once sprung open, is saved as `picture`.
    void preview(const std::string& kind, int added, const char* picture) {
        launch(R"({"previewHUD": ")" + kind + R"("})");
        ASSERT_TRUE(eventually(*screen, [added](const QImage& image) { return widthIs(image, 84 + added); }))
            << "no " << kind << " HUD appeared\n"
            << output();
        save(settled(*screen), picture);
    }

    // What the program wrote to its standard output and error.
    std::string output() const { return fileText(home->path() / "quorlix.out"); }

    // Moves the pointer by a distance, as a mouse does (a program's jump to a place, a warp,
    // is another road to the island, tested on its own).
    static int movePointer(int dx, int dy) {
        return run({"xdotool", "mousemove_relative", "--", std::to_string(dx), std::to_string(dy)});
    }
};

TEST_F(Desktop, TheIslandFloatsAtTheTopCentreOpensUnderThePointerAndTakesLaterLaunches) {
    // The pointer below the island was there before Quorlix started.
    ASSERT_EQ(run({"xdotool", "mousemove", std::to_string(centre), "200"}), 0);
    // A volume HUD shows 1.5 s after launch, for 6 s.
    launch(R"({"previewHUD": "volume"})");

    // The preview HUD: the pill grown by 157 points beside the notch, once it has sprung open.
    ASSERT_TRUE(eventually(*screen, [](const QImage& image) { return widthIs(image, 84 + 157); }))
        << "no HUD appeared\n"
        << output();
    save(settled(*screen), "island-hud.png");

    // At rest: the 84 by 24 pill, 3 points below the top edge, centred.
    QImage pill;
    ASSERT_TRUE(eventually(*screen, [&](const QImage& image) {
        if (!widthIs(image, 84)) return false;
        pill = image;
        return true;
    })) << "the HUD did not end";
    const auto span = *darkSpan(pill, 15);
    EXPECT_NEAR((span.first + span.second + 1) / 2.0, centre, 1);
    EXPECT_NEAR(firstDarkRow(pill, centre), 3, 1);
    EXPECT_FALSE(dark(pill, centre, 3 + 24 + 2));
    save(settled(*screen), "island-resting.png");

    // The pointer moved onto the pill opens the island; moving away closes it again.
    ASSERT_EQ(movePointer(0, 12 - 200), 0);
    EXPECT_TRUE(eventually(
        *screen,
        [](const QImage& image) { return dark(image, centre, 120) && dark(image, centre - 160, 60); }, 10))
        << "the island did not open";
    save(settled(*screen), "island-expanded.png");
    ASSERT_EQ(movePointer(100 - centre, 600 - 12), 0);
    EXPECT_TRUE(eventually(
        *screen, [](const QImage& image) { return !dark(image, centre, 120); }, 10))
        << "the island did not close";

    // A second launch hands its address to the running one and ends: an agent now works, and
    // the resting island makes room for it.
    EXPECT_EQ(run({QUORLIX_EXECUTABLE, "quorlix://agent?agent=claude&event=working"}), 0);
    EXPECT_TRUE(eventually(*screen, [](const QImage& image) { return widthIs(image, 84 + 120); }))
        << "the running instance did not show the agent";
    EXPECT_TRUE(quorlix->running());
}

// The middle of the open island, where its page shows.
QImage pageOf(const QImage& screen) { return screen.copy(centre - 150, 40, 300, 120); }

// Whether two pictures of pages show the same page: their texts and symbols in the same
// places (the island's glass lets a little of the desktop through, which may change).
bool samePage(const QImage& a, const QImage& b) {
    int differing = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            differing += std::abs(qGray(a.pixel(x, y)) - qGray(b.pixel(x, y))) > 60;
    return differing < 20;
}

// The open island's page once two pictures in a row agree (its springs have come to rest),
// when it is none of `others`.
std::optional<QImage> restingPage(Screen& screen, const std::vector<QImage>& others) {
    QImage last;
    std::optional<QImage> found;
    eventually(screen, [&](const QImage& image) {
        const QImage page = pageOf(image);
        const bool resting = page == last;
        last = page;
        if (!resting ||
            std::any_of(others.begin(), others.end(), [&](const QImage& o) { return samePage(o, page); }))
            return false;
        found = page;
        return true;
    });
    return found;
}

bool expanded(const QImage& image) { return expandedAround(image, centre); }

TEST_F(Desktop, WarpsOntoTheIslandOpenItAndTiltsOfTheWheelTurnOnePageEach) {
    Screen& screen = *this->screen;
    ASSERT_EQ(run({"xdotool", "mousemove", std::to_string(centre), "400"}), 0);
    launch("{}");
    ASSERT_TRUE(eventually(screen, [](const QImage& image) { return widthIs(image, 84); }))
        << "the island did not appear\n"
        << output();

    // A program's jump onto the island (a warp, which no device reports as motion) opens it;
    // one away closes it.
    ASSERT_EQ(run({"xdotool", "mousemove", std::to_string(centre), "12"}), 0);
    ASSERT_TRUE(eventually(screen, expanded)) << "a warp onto the island did not open it";
    ASSERT_EQ(run({"xdotool", "mousemove", std::to_string(centre), "400"}), 0);
    EXPECT_TRUE(eventually(screen, [](const QImage& image) { return widthIs(image, 84); }))
        << "a warp away did not close it";

    // Open on the music page, each tilt of the wheel turns one page: twice forward (button 7
    // tilts right), twice back.
    ASSERT_EQ(run({"xdotool", "mousemove", std::to_string(centre), "12"}), 0);
    ASSERT_TRUE(eventually(screen, expanded));
    const auto tilt = [&](const char* button, const QImage& from) {
        EXPECT_EQ(run({"xdotool", "click", button}), 0);
        return restingPage(screen, {from});
    };
    const auto music = restingPage(screen, {});
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

// Opened by a click, the island only hovers under the pointer, however it got there: a click
// on it goes through to the desktop's top bar under it, and opens it.
TEST_F(Desktop, AClickOnTheClosedIslandGoesThroughToTheTopBarUnderIt) {
    TopBar bar(display->name());
    ASSERT_EQ(run({"xdotool", "mousemove", std::to_string(centre), "200"}), 0);
    launch(R"({"openMode": "click"})");
    ASSERT_TRUE(eventually(*screen, [](const QImage& image) { return widthIs(image, 84); }))
        << "the island did not appear\n"
        << output();
    ASSERT_EQ(run({"xdotool", "mousemove", std::to_string(centre), "12"}), 0);
    ASSERT_TRUE(eventually(*screen, [](const QImage& image) { return widthIs(image, 84 + 14); }))
        << "the pointer put onto the island did not hover it";
    ASSERT_EQ(run({"xdotool", "click", "1"}), 0);
    EXPECT_TRUE(bar.pressed()) << "the closed island took the click";
    EXPECT_TRUE(eventually(*screen, expanded)) << "the click did not open the island";
}

TEST_F(Desktop, TheChargerPreviewShowsTheBatteryHUD) { preview("battery", 157, "island-battery.png"); }

// Headphones reporting one battery: the device HUD with room for the bar and its number.
TEST_F(Desktop, TheHeadphonesPreviewShowsTheDeviceHUD) { preview("max", 130, "island-device.png"); }

// Where the tray's first file shows its name: the lowest bright row of the open island's page,
// on its left half (the empty tray's hint stands in the middle), or nothing.
std::optional<QPoint> trayItemName(const QImage& image) {
    for (int y = 200; y > 60; --y) {
        int count = 0;
        int sum = 0;
        for (int x = centre - 160; x < centre + 160; ++x)
            if (qGray(image.pixel(x, y)) > 200) ++count, sum += x;
        if (count == 0) continue;
        if (sum / count > centre - 40) return std::nullopt;
        return QPoint(sum / count, y - 3);
    }
    return std::nullopt;
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
    const fs::path received = home->path() / "received.txt";
    ChildProcess source({QUORLIX_DRAG_SOURCE, file.string(), "100", "400"},
                        {{1, received.string(), O_WRONLY | O_CREAT | O_TRUNC}, {2, "/dev/null", O_WRONLY}});
    ASSERT_TRUE(eventually(screen, [](const QImage& image) {
        return image.pixel(200, 500) == qRgb(0, 255, 0);
    })) << "the drag source did not show";

    // Press on it, pull the file to the closed island, then into the island it opens into.
    // Relative moves are the device's own (a warped pointer makes no raw motion), as a hand's.
    const auto pull = [](int dx, int dy) {
        EXPECT_EQ(movePointer(dx, dy), 0);
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

    // The island stays open on the tray; dragging the file from there onto the window hands
    // the window the file's address, and the file stays in the tray.
    std::optional<QPoint> name;
    ASSERT_TRUE(eventually(screen, [&](const QImage& image) {
        return (name = trayItemName(image)).has_value();
    })) << "the tray shows no file";
    ASSERT_EQ(run({"xdotool", "mousemove", std::to_string(name->x()), std::to_string(name->y())}), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ASSERT_EQ(run({"xdotool", "mousedown", "1"}), 0);
    for (int step = 0; step < 8; ++step) pull((200 - name->x()) / 8, (500 - name->y()) / 8);
    pull(3, 3);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ASSERT_EQ(run({"xdotool", "mouseup", "1"}), 0);

    EXPECT_EQ(firstLineOf(received),
              QUrl::fromLocalFile(QString::fromStdString(file.string())).toEncoded().toStdString());
    EXPECT_EQ(stored().size(), 1u) << stored().dump();
    EXPECT_TRUE(fs::exists(file));
    EXPECT_TRUE(quorlix->running());
}

TEST_F(Desktop, AMediaPlayerAlreadyPlayingIsShownByTheRestingIsland) {
    ChildProcess player({QUORLIX_MEDIA_PLAYER},
                        {{1, (home->path() / "player.out").string(), O_WRONLY | O_CREAT}});
    ASSERT_EQ(firstLineOf(home->path() / "player.out"), "ready") << "the player did not reach the bus";

    launch("{}");
    // From the first picture of the island on, the live activity shows within 2 s: the pill
    // with room for the artwork and the equalizer beside the notch.
    ASSERT_TRUE(eventually(
        *screen, [](const QImage& image) { return islandWidth(image).has_value(); }, 30))
        << "the island never appeared\n"
        << output();
    EXPECT_TRUE(eventually(
        *screen, [](const QImage& image) { return widthIs(image, 84 + 60); }, 2))
        << "the playing track has no live activity; island width " << islandWidth(screen->grab()).value_or(0);
    EXPECT_TRUE(quorlix->running());
}

TEST_F(Desktop, TheLockScreenPreviewShowsItsWindowsOnTheDesktop) {
    Screen& screen = *this->screen;
    // The card: 339 by 185, centred, its middle 70 % of the height down; its play button in
    // the middle of its control row, 24 points above its glass's bottom.
    const int cardTop = static_cast<int>(0.7 * screenHeight - 92.5);
    const int playY = cardTop + 185 - 4 - 24 - 15;
    const auto playButton = [&](const QImage& image) {
        return brightPixels(image, centre - 15, playY - 14, centre + 15, playY + 14);
    };
    // The glass darkens the desktop at the card's left edge, beside the progress row (and
    // only once the window has faded in, whatever its content draws meanwhile).
    const auto cardGlass = [&](const QImage& image) {
        return darkened(image, centre - 160, cardTop + 110, 15);
    };

    launch(R"({"previewLockScreen": true})");
    EXPECT_TRUE(eventually(screen, [&](const QImage& image) {
        return cardGlass(image) && playButton(image) > 40;
    })) << "no player card with the sample track";
    const int desktop = qGray(screen.grab().pixel(60, screenHeight / 2));

    launch(R"({"previewLockScreen": true, "previewOutputs": true})");
    EXPECT_TRUE(eventually(screen, [&](const QImage& image) {
        // The chooser's title in the top-left of the glass, no controls.
        return cardGlass(image) && playButton(image) == 0 &&
               brightPixels(image, centre - 160, cardTop + 10, centre - 40, cardTop + 30, 150) > 20;
    })) << "the card did not open on its output chooser";

    launch(R"({"previewLockScreen": true, "previewFullArtwork": true})");
    EXPECT_TRUE(eventually(screen, [&](const QImage& image) {
        // A veil over the whole desktop and the large clock above the artwork.
        const int clockY = static_cast<int>(0.16 * screenHeight);
        return qGray(image.pixel(screenWidth - 60, screenHeight - 40)) < desktop - 20 &&
               brightPixels(image, centre - 200, clockY - 20, centre + 200, clockY + 40) > 500;
    })) << "no full-artwork view";
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
