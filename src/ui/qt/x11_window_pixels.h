#pragma once
// Parts of a picture put straight into a top-level window of the X server, past Qt's backing
// store. Each frame Qt's way costs what the few pixels that changed do not: the repaint
// manager's pass, the backing store cleared under the region, a painter copying the buffer
// into it and its flush. Here the rectangles go from the picture to the window in one request
// each. Only for a window that takes the picture's pixels as they are: 32 bits deep, its
// visual the picture's ARGB in the byte order of the server's images. Such a window exists
// through the server's Composite extension, which keeps its pixels while it is covered, so
// Qt's backing store, left behind, is never shown again unpainted. Main thread only.

#include <xcb/xcb.h>

#include <QImage>
#include <QRegion>

#include <cstdint>
#include <memory>
#include <vector>

class QWindow;

namespace quorlix::ui::qt {

// Qt's X connection, on the X11 platform only (the offscreen platform answers with none).
xcb_connection_t* x11Connection();

// Makes and maps a clear window of (x, y, width, height) that the server fills itself (a 32-bit
// visual, a transparent background, nothing drawn by the client), left alone by the window
// manager and hearing `events`. 0 where the server has no 32-bit visual.
xcb_window_t mapClearWindow(xcb_connection_t* c, int x, int y, int width, int height,
                            std::uint32_t events = 0);

class X11WindowPixels {
public:
    // Nothing off X11, or for a window whose pixels are not laid out as a premultiplied ARGB32
    // picture's (asked of the server once: two round trips).
    static std::unique_ptr<X11WindowPixels> open(const QWindow& window);
    ~X11WindowPixels();
    X11WindowPixels(const X11WindowPixels&) = delete;
    X11WindowPixels& operator=(const X11WindowPixels&) = delete;

    // Puts `rects` (device pixels) of `picture`, a premultiplied ARGB32 picture the size of the
    // window, at the same place in the window, and sends them.
    void put(const QImage& picture, const QRegion& rects);

private:
    X11WindowPixels(xcb_connection_t* c, xcb_window_t window);

    xcb_connection_t* c_;
    xcb_window_t window_;
    xcb_gcontext_t gc_;
    std::size_t maxRequestBytes_;
    std::vector<std::uint8_t> rows_;  // a rectangle's rows, side by side
};

}  // namespace quorlix::ui::qt
