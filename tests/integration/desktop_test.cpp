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
#include "platform/held_file.h"
#include "platform/private_pulse_server.h"

#include <QImage>
#include <QUrl>

#include <nlohmann/json.hpp>

#include <xcb/shape.h>
#include <xcb/xcb.h>

#include <signal.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <optional>

namespace quorlix::testing {
namespace {
// Its own names: the test program is compiled a few files at a time as one unit.
namespace bare_desktop {

namespace fs = std::filesystem;

constexpr int screenWidth = 1280;
constexpr int screenHeight = 720;
constexpr int centre = screenWidth / 2;

// What the X server shows, read from the root window.
class Screen {
public:
    explicit Screen(const std::string& display) : connection_(xcb_connect(display.c_str(), nullptr)) {
        if (xcb_connection_has_error(connection_)) return;
        root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
    }
    ~Screen() { xcb_disconnect(connection_); }

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

    // The top-level window the pointer is in.
    xcb_window_t pointerWindow() {
        auto* reply = xcb_query_pointer_reply(connection_, xcb_query_pointer(connection_, root_), nullptr);
        const xcb_window_t window = reply ? reply->child : xcb_window_t{XCB_WINDOW_NONE};
        std::free(reply);
        return window;
    }

    // Whether `window` takes the pointer at (x, y) of the screen: its input region holds it.
    bool takesPointer(xcb_window_t window, int x, int y) {
        auto* at = xcb_translate_coordinates_reply(
            connection_,
            xcb_translate_coordinates(connection_, root_, window, static_cast<std::int16_t>(x),
                                      static_cast<std::int16_t>(y)),
            nullptr);
        if (!at) return false;
        const int wx = at->dst_x, wy = at->dst_y;
        std::free(at);
        auto* shape = xcb_shape_get_rectangles_reply(
            connection_, xcb_shape_get_rectangles(connection_, window, XCB_SHAPE_SK_INPUT), nullptr);
        if (!shape) return false;
        const xcb_rectangle_t* rectangles = xcb_shape_get_rectangles_rectangles(shape);
        const int count = xcb_shape_get_rectangles_rectangles_length(shape);
        const bool inside = std::any_of(rectangles, rectangles + count, [&](const xcb_rectangle_t& r) {
            return wx >= r.x && wy >= r.y && wx < r.x + r.width && wy < r.y + r.height;
        });
        std::free(shape);
        return inside;
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

    // Where the presses that reached the bar were, along it, in the order they came.
    const std::vector<int>& presses() {
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
            if ((event->response_type & 0x7f) == XCB_BUTTON_PRESS)
                presses_.push_back(reinterpret_cast<xcb_button_press_event_t*>(event)->event_x);
            std::free(event);
        }
        return presses_;
    }

private:
    xcb_connection_t* connection_;
    std::vector<int> presses_;
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

bool expanded(const QImage& image) { return expandedAround(image, centre); }

// Whether the process has loaded a shared object of that file name.
bool loads(pid_t process, const std::string& fileName) {
    std::ifstream maps("/proc/" + std::to_string(process) + "/maps");
    for (std::string line; std::getline(maps, line);)
        if (line.ends_with("/" + fileName)) return true;
    return false;
}

// A user's session of the test's own: an X server with a compositing manager, fresh HOME
// and XDG folders and a bus, on which Quorlix is launched. Every wait watches them all.
class Desktop : public ::testing::Test {
protected:
    std::optional<DesktopSession> session;
    std::optional<Screen> screen;
    std::unique_ptr<ChildProcess> quorlix;

    void SetUp() override {
        if (const auto missing = DesktopSession::missingProgram())
            GTEST_SKIP() << *missing << " is not installed";
        session.emplace(std::to_string(screenWidth) + "x" + std::to_string(screenHeight) + "x24");
        ASSERT_TRUE(session->ready());
        paintWallpaper(session->display.name());
        screen.emplace(session->display.name());
    }

    const std::string& display() const { return session->display.name(); }
    const fakes::TempHome& home() const { return session->home; }

    // Starts Quorlix with `defaults` as its settings file, once any earlier one has ended. The
    // user has seen onboarding, unless `defaults` says otherwise.
    void launch(const std::string& defaults) {
        quorlix.reset();
        fs::create_directories(home().config());
        nlohmann::json settings = nlohmann::json::parse(defaults);
        if (!settings.contains("didShowWelcome")) settings["didShowWelcome"] = true;
        std::ofstream(home().config() / "com.halvik.quorlix.json") << settings.dump();
        quorlix = session->launch();
    }

    // Waits for a picture of the screen that `condition` accepts; `seen` keeps it.
    template <class Condition>
    ::testing::AssertionResult shows(Condition condition, QImage* seen = nullptr) {
        return waitFor([&] {
            const QImage image = screen->grab();
            if (!condition(image)) return false;
            if (seen) *seen = image;
            return true;
        });
    }

    // Saves the screen's top centre, where the island lives, once its springs have come to
    // rest, into the folder QUORLIX_SCREENSHOTS names.
    void save(const char* name) { saveScreenshot(display(), {centre - 300, 0, 600, 230}, name); }

    // Launches with the preview HUD `kind`, which shows 1.5 s later: the pill grows by `added`
    // points and, once sprung open, is saved as `picture`.
    void preview(const std::string& kind, int added, const char* picture) {
        launch(R"({"previewHUD": ")" + kind + R"("})");
        ASSERT_TRUE(shows([added](const QImage& image) { return widthIs(image, 84 + added); }))
            << "no " << kind << " HUD appeared";
        save(picture);
    }

    void dropFromFileWindow(const fs::path& said);

    // A setting as the settings file holds it; null when it holds none.
    nlohmann::json storedSetting(const std::string& key) const {
        std::ifstream in(home().config() / "com.halvik.quorlix.json");
        const auto defaults = nlohmann::json::parse(in, nullptr, false);
        if (!defaults.is_object() || !defaults.contains(key)) return nlohmann::json();
        return defaults[key];
    }

    // Runs xdotool to its end; its exit status.
    static int xdotool(const std::vector<std::string>& arguments) {
        std::vector<std::string> command{"xdotool"};
        command.insert(command.end(), arguments.begin(), arguments.end());
        return run(command);
    }

    // Moves the pointer by a distance, as a mouse does (a program's jump to a place, a warp,
    // is another road to the island, tested on its own).
    static int movePointer(int dx, int dy) {
        return xdotool({"mousemove_relative", "--", std::to_string(dx), std::to_string(dy)});
    }
};

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
    TopBar bar(display());
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

// The lines of a file that read `line`.
int linesReading(const fs::path& file, const std::string& line) {
    std::ifstream in(file);
    int count = 0;
    for (std::string read; std::getline(in, read);) count += read == line;
    return count;
}

// The last line of a file that starts with `prefix`, or an empty one.
std::string lastLineStarting(const fs::path& file, const std::string& prefix) {
    std::ifstream in(file);
    std::string last;
    for (std::string read; std::getline(in, read);)
        if (read.starts_with(prefix)) last = read;
    return last;
}

// A file manager's window of the test's own, away from the island, holding `files`: it tells
// in `said` how its drags go, and writes to `received` what is dropped on it.
std::unique_ptr<ChildProcess> fileWindow(const std::vector<fs::path>& files, const fs::path& said,
                                         const fs::path& received) {
    std::vector<std::string> arguments{QUORLIX_DRAG_SOURCE};
    for (const auto& file : files) arguments.push_back(file.string());
    arguments.insert(arguments.end(), {"100", "400"});
    auto window = std::make_unique<ChildProcess>(
        arguments, std::vector<ChildProcess::Open>{{1, received.string(), O_WRONLY | O_CREAT | O_TRUNC},
                                                   {2, said.string(), O_WRONLY | O_CREAT | O_TRUNC}});
    window->watch();
    return window;
}

// Drags the files of the window `fileWindow` made from it onto the closed island, then into
// the island it opens into, and lets go there once the island has said it takes them.
void Desktop::dropFromFileWindow(const fs::path& said) {
    ASSERT_TRUE(shows([](const QImage& image) { return image.pixel(200, 500) == qRgb(0, 255, 0); }))
        << "the drag source did not show";
    // Relative moves are the device's own (a warped pointer makes no raw motion), as a hand's.
    ASSERT_EQ(xdotool({"mousemove", "200", "500"}), 0);
    ASSERT_EQ(xdotool({"mousedown", "1"}), 0);
    ASSERT_EQ(movePointer((centre - 200) / 8, -(500 - 12) / 8), 0);
    ASSERT_TRUE(waitFor([&] { return linesReading(said, "drag started") == 1; })) << "no drag";
    for (int step = 1; step < 8; ++step) ASSERT_EQ(movePointer((centre - 200) / 8, -(500 - 12) / 8), 0);
    EXPECT_TRUE(shows(expanded)) << "the island did not open";
    for (const auto& [dx, dy] : {std::pair{0, 34}, {0, 34}, {5, 5}}) ASSERT_EQ(movePointer(dx, dy), 0);
    ASSERT_TRUE(waitFor([&] { return lastLineStarting(said, "drop ") == "drop accepted"; }))
        << "the island never took the drop";
    ASSERT_EQ(xdotool({"mouseup", "1"}), 0);
}

TEST_F(Desktop, AFileDraggedOntoTheClosedIslandOpensItOnTheTrayAndStaysThere) {
    launch("{}");
    ASSERT_TRUE(shows([](const QImage& image) { return widthIs(image, 84); })) << "the island did not appear";

    const fs::path file = home().path() / "informe final.txt";
    std::ofstream(file) << "hola";
    const fs::path received = home().path() / "received.txt";
    const fs::path said = home().path() / "drag.log";
    const auto source = fileWindow({file}, said, received);
    ASSERT_NO_FATAL_FAILURE(dropFromFileWindow(said));

    const auto stored = [&] { return storedSetting("tray.paths"); };
    ASSERT_TRUE(waitFor([&] { return !stored().empty(); })) << "the tray kept nothing";
    ASSERT_EQ(stored().size(), 1u) << stored().dump();
    EXPECT_NE(stored()[0].get<std::string>().find("informe"), std::string::npos);

    // The island stays open on the tray; dragging the file from there onto the window hands
    // the window the file's address, and the file stays in the tray.
    std::optional<QPoint> name;
    ASSERT_TRUE(shows([&](const QImage& image) { return (name = trayItemName(image)).has_value(); }))
        << "the tray shows no file";
    const int overBefore = linesReading(said, "drag over");
    ASSERT_EQ(xdotool({"mousemove", std::to_string(name->x()), std::to_string(name->y())}), 0);
    ASSERT_EQ(xdotool({"mousedown", "1"}), 0);
    for (int step = 0; step < 8; ++step)
        ASSERT_EQ(movePointer((200 - name->x()) / 8, (500 - name->y()) / 8), 0);
    // The window has answered one move over it when it sees the next: the island, which drags,
    // has heard that the window takes the file. A drag tells of one move at a time and merges
    // those that come meanwhile, so the pointer keeps moving a little, as a hand does, until then.
    int wiggle = 0;
    ASSERT_TRUE(waitFor([&] {
        if (linesReading(said, "drag over") >= overBefore + 2) return true;
        movePointer(wiggle++ % 2 == 0 ? 3 : -3, 0);
        return false;
    })) << "the drag never reached the window";
    ASSERT_EQ(xdotool({"mouseup", "1"}), 0);

    ASSERT_TRUE(waitFor([&] { return firstLine(received).has_value(); }))
        << "nothing was dropped on the window";
    EXPECT_EQ(firstLine(received),
              QUrl::fromLocalFile(QString::fromStdString(file.string())).toEncoded().toStdString());
    EXPECT_EQ(stored().size(), 1u) << stored().dump();
    EXPECT_TRUE(fs::exists(file));
    EXPECT_TRUE(quorlix->running());
}

// How many pixels of the open island's page are of about `colour`.
int pagePixels(const QImage& image, QRgb colour) {
    int count = 0;
    for (int y = 30; y < 200; ++y)
        for (int x = centre - 175; x < centre + 175; ++x) {
            const QRgb p = image.pixel(x, y);
            count += std::abs(qRed(p) - qRed(colour)) < 25 && std::abs(qGreen(p) - qGreen(colour)) < 25 &&
                     std::abs(qBlue(p) - qBlue(colour)) < 25;
        }
    return count;
}

TEST_F(Desktop, AFifoDroppedWithTwoPicturesHoldsBackNeitherTheirThumbnailsNorTheQuit) {
    launch("{}");
    ASSERT_TRUE(shows([](const QImage& image) { return widthIs(image, 84); })) << "the island did not appear";

    // A FIFO that nothing ever writes to, dropped first, then two pictures of their own colours.
    const fs::path fifo = home().path() / "tubo.png";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const auto picture = [&](const char* name, QRgb colour) {
        QImage image(64, 64, QImage::Format_RGB32);
        image.fill(colour);
        const fs::path file = home().path() / name;
        EXPECT_TRUE(image.save(QString::fromStdString(file.string())));
        return file;
    };
    constexpr QRgb red = qRgb(220, 30, 30), blue = qRgb(30, 60, 230);
    const fs::path said = home().path() / "drag.log";
    const auto source = fileWindow({fifo, picture("roja.png", red), picture("azul.png", blue)}, said,
                                   home().path() / "received.txt");
    ASSERT_NO_FATAL_FAILURE(dropFromFileWindow(said));

    // Each picture shows its thumbnail (50 points square) on the tray.
    EXPECT_TRUE(shows([&](const QImage& image) {
        return pagePixels(image, red) > 1500 && pagePixels(image, blue) > 1500;
    })) << "the pictures' thumbnails did not come";

    // Quorlix quits at SIGTERM while the FIFO's writer side has never been opened: nothing of
    // its quit waits on the FIFO. Its settings are written before it ends.
    ASSERT_EQ(::kill(quorlix->pid(), SIGTERM), 0);
    ASSERT_TRUE(waitFor([&] { return !quorlix->running(); })) << "Quorlix did not end";
    EXPECT_EQ(quorlix->exitStatus(), 0);
    EXPECT_EQ(storedSetting("tray.paths").size(), 3u) << storedSetting("tray.paths").dump();
}

TEST_F(Desktop, AFileWhoseOpeningHangsIsToldApartOffTheMainThread) {
    launch("{}");
    ASSERT_TRUE(shows([](const QImage& image) { return widthIs(image, 84); })) << "the island did not appear";

    // A file on a mount that stopped answering, dropped with a note: telling its type for its
    // icon opens it, which hangs wherever it happens.
    const fs::path hung = home().path() / "montaje.txt";
    std::ofstream(hung) << "hola";
    const fs::path note = home().path() / "nota.txt";
    std::ofstream(note) << "hola";
    HeldFile held(hung, quorlix->pid());
    if (!held.ready()) GTEST_SKIP() << "fanotify is not allowed here";
    const fs::path said = home().path() / "drag.log";
    const auto source = fileWindow({hung, note}, said, home().path() / "received.txt");
    ASSERT_NO_FATAL_FAILURE(dropFromFileWindow(said));

    // A thread of Quorlix waits on the file; its main thread never opened it, and goes on: it
    // quits at SIGTERM with both files in the tray.
    ASSERT_TRUE(waitFor([&] { return held.heldOpenings() > 0; })) << "nothing opened the file";
    EXPECT_EQ(held.openedByMainThread(), 0);
    ASSERT_EQ(::kill(quorlix->pid(), SIGTERM), 0);
    ASSERT_TRUE(waitFor([&] { return !quorlix->running(); })) << "Quorlix did not end";
    EXPECT_EQ(quorlix->exitStatus(), 0);
    EXPECT_EQ(storedSetting("tray.paths").size(), 2u) << storedSetting("tray.paths").dump();
}

// A terminal that closes or a session that ends (SIGHUP) quits Quorlix as SIGTERM does.
TEST_F(Desktop, SighupAndSigtermQuitQuorlixWithItsSettingsWritten) {
    for (const int signal : {SIGHUP, SIGTERM}) {
        SCOPED_TRACE(signal == SIGHUP ? "SIGHUP" : "SIGTERM");
        launch("{}");
        ASSERT_TRUE(shows([](const QImage& image) { return widthIs(image, 84); }))
            << "the island did not appear";
        ASSERT_EQ(::kill(quorlix->pid(), signal), 0);
        ASSERT_TRUE(waitFor([&] { return !quorlix->running(); })) << "Quorlix did not end";
        EXPECT_EQ(quorlix->exitStatus(), 0) << "ended by the signal itself";
        // Written at the first launch, off the main thread.
        EXPECT_EQ(storedSetting("didMigrateFromTarsel"), true);
    }
}

// A settings file of 8 GiB (a hole, as a damaged disk or a stray copy leaves one) is moved
// aside without being read: Quorlix starts with its defaults and writes a settings file anew.
TEST_F(Desktop, ASettingsFileOfGibibytesIsMovedAsideUnreadAndQuorlixStartsWithItsDefaults) {
    const fs::path settings = home().config() / "com.halvik.quorlix.json";
    fs::create_directories(home().config());
    std::ofstream(settings) << R"({"didShowWelcome": true, "openMode": "click"})";
    constexpr std::uintmax_t size = std::uintmax_t{8} << 30;
    fs::resize_file(settings, size);
    quorlix = session->launch();
    // Written at start, off the main thread, into a new file.
    ASSERT_TRUE(waitFor([&] { return storedSetting("didMigrateFromTarsel") == true; }))
        << "no settings were written";
    EXPECT_TRUE(storedSetting("openMode").is_null());
    std::vector<fs::path> aside;
    for (const auto& entry : fs::directory_iterator(home().config()))
        if (entry.path().filename().string().starts_with("com.halvik.quorlix.json.corrupt-"))
            aside.push_back(entry.path());
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(fs::file_size(aside[0]), size);
    EXPECT_TRUE(quorlix->running());
}

TEST_F(Desktop, AMediaPlayerAlreadyPlayingIsShownByTheRestingIsland) {
    const fs::path said = home().path() / "player.out";
    ChildProcess player({QUORLIX_MEDIA_PLAYER}, {{1, said.string(), O_WRONLY | O_CREAT}});
    player.watch();
    ASSERT_TRUE(waitFor([&] { return firstLine(said) == "ready"; })) << "the player did not reach the bus";

    launch("{}");
    // The resting island shows the live activity: the pill with room for the artwork and the
    // equalizer beside the notch.
    EXPECT_TRUE(shows([](const QImage& image) { return widthIs(image, 84 + 60); }))
        << "the playing track has no live activity; island width " << islandWidth(screen->grab()).value_or(0);
    EXPECT_TRUE(quorlix->running());
}

// How many pixels of the resting island's left or right wing (beside the notch, whose middle
// is the screen's centre) are of a colour.
template <class IsColour>
int wingPixels(const QImage& image, bool left, IsColour isColour) {
    const auto span = darkSpan(image, 15);
    if (!span) return 0;
    int count = 0;
    const int from = left ? span->first : centre + 30, to = left ? centre - 30 : span->second;
    for (int y = 3; y < 28; ++y)
        for (int x = from; x <= to; ++x) count += isColour(image.pixel(x, y));
    return count;
}
bool reddish(QRgb p) { return qRed(p) > 150 && qRed(p) > qGreen(p) + 80 && qRed(p) > qBlue(p) + 80; }
bool bluish(QRgb p) { return qBlue(p) > 150 && qBlue(p) > qRed(p) + 80 && qBlue(p) > qGreen(p) + 60; }

TEST_F(Desktop, APlayerThatKeepsItsTrackIdChangesArtworkAndAccentWithEachFile) {
    // Two files with their covers, played one after the other under one track id (as mpv's
    // MPRIS plugin does for every file).
    const auto cover = [&](const char* name, QRgb colour) {
        const fs::path file = home().path() / name;
        QImage image(64, 64, QImage::Format_RGB32);
        image.fill(colour);
        image.save(QString::fromStdString(file.string()));
        return QUrl::fromLocalFile(QString::fromStdString(file.string())).toString().toStdString();
    };
    const std::string red = cover("roja.png", qRgb(220, 30, 30));
    const std::string blue = cover("azul.png", qRgb(30, 60, 230));
    const fs::path said = home().path() / "player.out";
    ChildProcess player({QUORLIX_MEDIA_PLAYER, "Primera", red, "Segunda", blue},
                        {{1, said.string(), O_WRONLY | O_CREAT}});
    player.watch();
    ASSERT_TRUE(waitFor([&] { return firstLine(said) == "ready"; }, {&player}))
        << "the player did not reach the bus";

    launch("{}");
    ASSERT_TRUE(shows([](const QImage& image) { return wingPixels(image, true, reddish) > 20; }))
        << "the first file's cover is not shown";

    ASSERT_EQ(kill(player.pid(), SIGUSR1), 0);
    EXPECT_TRUE(shows([](const QImage& image) {
        return wingPixels(image, true, bluish) > 20 && wingPixels(image, true, reddish) == 0 &&
               wingPixels(image, false, bluish) > 0;
    })) << "the cover and the accent of the second file are not shown";
    std::ifstream lines(said);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(lines), {}), "ready\nchanged\n");
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
    EXPECT_TRUE(shows([&](const QImage& image) { return cardGlass(image) && playButton(image) > 40; }))
        << "no player card with the sample track";
    const int desktop = qGray(screen.grab().pixel(60, screenHeight / 2));

    launch(R"({"previewLockScreen": true, "previewOutputs": true})");
    EXPECT_TRUE(shows([&](const QImage& image) {
        // The chooser's title in the top-left of the glass, no controls.
        return cardGlass(image) && playButton(image) == 0 &&
               brightPixels(image, centre - 160, cardTop + 10, centre - 40, cardTop + 30, 150) > 20;
    })) << "the card did not open on its output chooser";

    launch(R"({"previewLockScreen": true, "previewFullArtwork": true})");
    EXPECT_TRUE(shows([&](const QImage& image) {
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

// How many missing glyphs' boxes a picture shows: shapes of bright pixels, the size of a
// letter, that fill their bounds (the densest glyph of a script leaves gaps; an emoji is not
// bright all over).
int boxes(const QImage& image) {
    std::vector<bool> seen(static_cast<std::size_t>(image.width() * image.height()));
    // Whether `p` is a bright pixel not yet seen; it is seen now.
    const auto take = [&](QPoint p) {
        const auto at = static_cast<std::size_t>(p.y() * image.width() + p.x());
        if (!image.rect().contains(p) || seen[at]) return false;
        seen[at] = true;
        return qGray(image.pixel(p)) > 100;
    };
    int found = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            // The shape's pixels, touching sideways or up and down, and its bounds.
            std::vector<QPoint> shape;
            if (take({x, y})) shape.emplace_back(x, y);
            QRect bounds;
            for (std::size_t i = 0; i < shape.size(); ++i) {
                bounds |= QRect(shape[i], QSize(1, 1));
                for (const QPoint step : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)})
                    if (take(shape[i] + step)) shape.push_back(shape[i] + step);
            }
            found += bounds.width() >= 5 && bounds.height() >= 8 &&
                     shape.size() == static_cast<std::size_t>(bounds.width() * bounds.height());
        }
    return found;
}

TEST_F(Desktop, TheMusicPagesOutputMenuMakesTheOtherOutputTheDefaultAndCloses) {
    for (const char* program : {"pulseaudio", "pactl"})
        if (!installed(program)) GTEST_SKIP() << program << " is not installed";
    PrivatePulseServer pulse;
    ASSERT_TRUE(pulse.ready());
    const std::string before = defaultSink();
    ASSERT_TRUE(before == "a" || before == "b") << before;
    const std::string other = before == "a" ? "b" : "a";

    // A player already playing on the session's bus, a track titled in Japanese, Arabic and emoji.
    const fs::path ready = home().path() / "player-ready";
    ChildProcess player({QUORLIX_MPRIS_PLAYER, ready.string(), "夜に駆ける مرحبا 💔✨"},
                        {{2, (home().path() / "player.log").string(), O_WRONLY | O_CREAT | O_TRUNC}});
    player.watch();
    ASSERT_TRUE(waitFor([&] { return fs::exists(ready); })) << "the media player did not come on the bus";

    launch(R"({"previewTab": "music", "islandWidth": 600})");
    // The wide page, 600 points wide, with the player's artwork tile (no artwork: the grey
    // placeholder) at its leading edge; the island's body is 140 points tall, so the tile is
    // 90 points square, 22 points in, centred in the page between 35 and 163 points down.
    const int left = centre - 300;
    QImage closed;
    ASSERT_TRUE(shows(
        [&](const QImage& image) {
            const auto span = darkSpan(image, 100);
            const int tile = qGray(image.pixel(left + 22 + 15, 99 - 30));
            return span && std::abs(span->second - span->first + 1 - 600) <= 2 && tile > 40 && tile < 90;
        },
        &closed))
        << "the music page did not show";
    // The title heads the 200-point column beside the tile (18 points from it), high in the page.
    const int column = left + 22 + 90 + 18;
    QImage title;
    ASSERT_TRUE(atRest(display(), {column - 10, 25, 220, 70}, &title, [](const QImage& image) {
        return brightPixels(image, 0, 0, image.width(), image.height()) > 30;
    })) << "the music page's title never came to rest";
    EXPECT_EQ(boxes(title), 0) << "characters drawn as boxes";
    int coloured = 0;
    for (int y = 0; y < title.height(); ++y)
        for (int x = 0; x < title.width(); ++x) coloured += QColor(title.pixel(x, y)).hsvSaturation() > 120;
    EXPECT_GT(coloured, 20) << "no emoji drawn in colour";
    save("music-scripts.png");

    // The output button ends the 200-point column beside the tile, on the page's last row:
    // the island's window takes the click.
    ASSERT_EQ(xdotool({"mousemove", std::to_string(column + 200 - 12), "152", "click", "1"}), 0);
    const xcb_window_t island = screen->pointerWindow();
    ASSERT_NE(island, XCB_WINDOW_NONE);
    ASSERT_TRUE(shows([&](const QImage& image) { return !same(image, closed, centre + 150, 210); }))
        << "the output menu did not open";

    // The menu hangs 4 points under the button, with a row of 29 points per output, in the
    // server's order: "a", then "b". It is clicked once it has sprung open (two pictures in
    // a row alike) and the island's window takes the pointer over it.
    const int row = other == "a" ? 0 : 1;
    const int y = 163 + 4 + 5 + 29 * row + 14;
    ASSERT_TRUE(atRest(display(), {centre - 100, 150, 400, 120})) << "the output menu never came to rest";
    ASSERT_TRUE(waitFor([&] { return screen->takesPointer(island, centre + 60, y); }))
        << "the island's window does not take the pointer over the menu";
    ASSERT_EQ(xdotool({"mousemove", std::to_string(centre + 60), std::to_string(y), "click", "1"}), 0);
    EXPECT_TRUE(waitFor([&] { return defaultSink() == other; }))
        << "the default output is still " << defaultSink();
    EXPECT_TRUE(shows([&](const QImage& image) { return same(image, closed, centre + 150, 210); }))
        << "the output menu did not close";
    EXPECT_TRUE(quorlix->running());
}

}  // namespace bare_desktop
}  // namespace
}  // namespace quorlix::testing
