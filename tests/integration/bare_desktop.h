#pragma once
// The bare desktop the scenes of Quorlix as a desktop application share: an X server of the
// test's own with a compositing manager, the real program, fresh XDG folders and session bus,
// the pointer moved with xdotool, and what is on screen read back from the server.
//
// With QUORLIX_SCREENSHOTS naming a folder, the scenes write their pictures there (the
// README's pictures come from here).

#include "desktop_session.h"
#include "desktop_windows.h"

#include <QImage>

#include <nlohmann/json.hpp>

#include <xcb/shape.h>
#include <xcb/xcb.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// Named, not file-local: every scene file's tests share the one fixture.
namespace quorlix::testing::bare_desktop {

namespace fs = std::filesystem;

inline constexpr int screenWidth = 1280;
inline constexpr int screenHeight = 720;
inline constexpr int centre = screenWidth / 2;

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

// A window of the user's at the top left of the screen, in the wallpaper's colour, telling where
// the presses that reached it were: the desktop's own top bar (GNOME keeps its clock at the top
// centre), managed by the window manager, or a program's window over the whole screen, placed
// by itself (override-redirect).
class PressedWindow {
public:
    PressedWindow(const std::string& display, int width, int height, bool placedByItself = false)
        : connection_(xcb_connect(display.c_str(), nullptr)) {
        if (xcb_connection_has_error(connection_)) return;
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
        const xcb_window_t window = xcb_generate_id(connection_);
        const std::uint32_t values[] = {wallpaper, placedByItself ? 1u : 0u, XCB_EVENT_MASK_BUTTON_PRESS};
        xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0,
                          static_cast<std::uint16_t>(width), static_cast<std::uint16_t>(height), 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT,
                          XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK, values);
        xcb_map_window(connection_, window);
        xcb_flush(connection_);
    }
    ~PressedWindow() { xcb_disconnect(connection_); }

    // Where the presses that reached it were, along it, in the order they came.
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
inline int brightPixels(const QImage& image, int left, int top, int right, int bottom, int level = 200) {
    int count = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x) count += qGray(image.pixel(x, y)) > level;
    return count;
}

// Whether a point is darker than the bare desktop in the same picture by `by`.
inline bool darkened(const QImage& image, int x, int y, int by) {
    return qGray(image.pixel(x, y)) < qGray(image.pixel(60, screenHeight / 2)) - by;
}

// The first dark row of a column, or -1.
inline int firstDarkRow(const QImage& image, int x) {
    for (int y = 0; y < image.height(); ++y)
        if (dark(image, x, y)) return y;
    return -1;
}

inline bool expanded(const QImage& image) { return expandedAround(image, centre); }

// Whether the process has loaded a shared object of that file name.
inline bool loads(pid_t process, const std::string& fileName) {
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

}  // namespace quorlix::testing::bare_desktop
