#pragma once
// What the desktop tests read of the application's ordinary windows on the test's X server:
// which are shown (xdotool), where, and what they show; and the pictures they may save.

#include <QImage>
#include <QString>

#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
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

// Whether a pixel is as dark as the island's black.
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

// Whether the island centred at `centre` is open: dark well below the resting island and
// beside it.
inline bool expandedAround(const QImage& image, int centre) {
    return dark(image, centre, 120) && dark(image, centre - 160, 60);
}

// Saves a picture into the folder QUORLIX_SCREENSHOTS names, when it names one.
inline void saveScreenshot(const QImage& image, const char* name) {
    const char* folder = std::getenv("QUORLIX_SCREENSHOTS");
    if (!folder || !*folder) return;
    image.save(QString::fromStdString((std::filesystem::path(folder) / name).string()));
}

}  // namespace quorlix::testing
