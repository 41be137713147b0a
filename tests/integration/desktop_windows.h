#pragma once
// What the desktop tests read of the application's ordinary windows on the test's X server:
// which are shown (xdotool), where, and what they show; and the pictures they may save.

#include "fakes/wait_for.h"

#include <QImage>
#include <QString>

#include <xcb/xcb.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>

namespace quorlix::testing {

// The standard output of a program run to its end.
inline std::string output(const std::string& command) {
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

inline std::optional<Geometry> geometryOf(const std::string& window) {
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

// A visible window titled "Quorlix" of `width` (and `height`, unless 0), if one is shown.
inline std::optional<std::string> quorlixWindow(int width, int height = 0) {
    std::istringstream ids(output("xdotool search --onlyvisible --name '^Quorlix$' 2>/dev/null"));
    std::string id;
    while (std::getline(ids, id)) {
        const auto g = geometryOf(id);
        if (g && g->width == width && (height == 0 || g->height == height)) return id;
    }
    return std::nullopt;
}

// What the X server shows in a rectangle of the root window.
inline QImage grab(const std::string& display, const Geometry& g) {
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

// The desktop behind the island, so the black island shows.
constexpr std::uint32_t wallpaper = 0x5c6473;

// Paints the root window in the wallpaper's colour (the server keeps it between clients).
inline void paintWallpaper(const std::string& display) {
    xcb_connection_t* c = xcb_connect(display.c_str(), nullptr);
    if (!xcb_connection_has_error(c)) {
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
        xcb_change_window_attributes(c, root, XCB_CW_BACK_PIXEL, &wallpaper);
        xcb_clear_area(c, 0, root, 0, 0, 0, 0);
        // A round trip: the server has painted it before the connection goes.
        std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    }
    xcb_disconnect(c);
}

// The island on a picture of the screen's top: black on the wallpaper.
inline bool dark(const QImage& image, int x, int y) { return qGray(image.pixel(x, y)) < 40; }

// The island's extent along one row: first and last dark column, or nothing.
inline std::optional<std::pair<int, int>> darkSpan(const QImage& image, int y) {
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

// The width of the resting island's dark span, at the row through its middle.
inline std::optional<int> islandWidth(const QImage& image) {
    const auto span = darkSpan(image, 15);
    if (!span) return std::nullopt;
    return span->second - span->first + 1;
}

inline bool widthIs(const QImage& image, int width) {
    const auto w = islandWidth(image);
    return w && std::abs(*w - width) <= 2;
}

// Whether the island centred at `centre` is open: dark well below the resting island and
// beside it.
inline bool expandedAround(const QImage& image, int centre) {
    return dark(image, centre, 120) && dark(image, centre - 160, 60);
}

// The middle of the open island centred at `centre`, where its page shows.
constexpr Geometry pageAreaAround(int centre) { return {centre - 150, 40, 300, 120}; }

// Whether two pictures of pages show the same page: their texts and symbols in the same
// places (the island's glass lets a little of the desktop through, which may change).
inline bool samePage(const QImage& a, const QImage& b) {
    int differing = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            differing += std::abs(qGray(a.pixel(x, y)) - qGray(b.pixel(x, y))) > 60;
    return differing < 20;
}

// Whether a picture shows something: more than one colour.
inline bool drawn(const QImage& image) {
    if (image.isNull()) return false;
    const QRgb first = image.pixel(0, 0);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != first) return true;
    return false;
}

// How long a picture stays the same to count as at rest: several frames, so that a spring
// caught between two frames of a loaded machine does not pass for still.
inline constexpr std::chrono::milliseconds restingSpan{250};

// Waits until a rectangle of the screen shows something that `accept` takes, the same
// picture for `restingSpan`: what moves there (a spring, a transition) has come to rest.
// `picture` keeps it.
template <class Accept = bool (*)(const QImage&)>
::testing::AssertionResult atRest(
    const std::string& display, const Geometry& g, QImage* picture = nullptr,
    Accept accept = [](const QImage&) { return true; }) {
    QImage previous = grab(display, g);
    auto since = std::chrono::steady_clock::now();
    return waitFor([&] {
        QImage now = grab(display, g);
        if (!drawn(now) || now != previous) {
            previous = std::move(now);
            since = std::chrono::steady_clock::now();
            return false;
        }
        if (std::chrono::steady_clock::now() - since < restingSpan || !accept(previous)) return false;
        if (picture) *picture = previous;
        return true;
    });
}

// Calls `each(connection, window, geometry)` for every window of Quorlix's class that the X
// server `display` shows.
template <class Each>
void forEachQuorlixWindow(const std::string& display, Each each) {
    xcb_connection_t* c = xcb_connect(display.c_str(), nullptr);
    auto* tree =
        xcb_connection_has_error(c)
            ? nullptr
            : xcb_query_tree_reply(
                  c, xcb_query_tree(c, xcb_setup_roots_iterator(xcb_get_setup(c)).data->root), nullptr);
    for (int i = 0; tree && i < xcb_query_tree_children_length(tree); ++i) {
        const xcb_window_t window = xcb_query_tree_children(tree)[i];
        auto* shown = xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr);
        auto* name = xcb_get_property_reply(
            c, xcb_get_property(c, 0, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 64), nullptr);
        auto* g = xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr);
        // Its class follows the instance's name and its nought.
        if (shown && shown->map_state == XCB_MAP_STATE_VIEWABLE && name && g &&
            std::string_view(static_cast<const char*>(xcb_get_property_value(name)),
                             static_cast<std::size_t>(xcb_get_property_value_length(name)))
                .ends_with(std::string_view("\0Quorlix\0", 9)))
            each(c, window, *g);
        std::free(shown);
        std::free(name);
        std::free(g);
    }
    std::free(tree);
    xcb_disconnect(c);
}

// The size of the largest window of Quorlix's class that the X server `display` shows, if any:
// the island's, where no other window of Quorlix shows.
inline std::optional<std::pair<int, int>> islandWindowSize(const std::string& display) {
    std::optional<std::pair<int, int>> largest;
    forEachQuorlixWindow(display, [&](xcb_connection_t*, xcb_window_t, const xcb_get_geometry_reply_t& g) {
        if (!largest || g.width * g.height > largest->first * largest->second)
            largest = std::pair<int, int>{g.width, g.height};
    });
    return largest;
}

// Saves what a rectangle of the screen shows, once at rest, into the folder
// QUORLIX_SCREENSHOTS names, when it names one.
inline void saveScreenshot(const std::string& display, const Geometry& g, const char* name) {
    const char* folder = std::getenv("QUORLIX_SCREENSHOTS");
    if (!folder || !*folder) return;
    QImage picture;
    EXPECT_TRUE(atRest(display, g, &picture)) << name << " never came to rest";
    picture.save(QString::fromStdString((std::filesystem::path(folder) / name).string()));
}

}  // namespace quorlix::testing
