#include "ui/qt/x11_window_pixels.h"

#include <QtGui/qguiapplication_platform.h>
#include <QGuiApplication>
#include <QWindow>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace quorlix::ui::qt {

namespace {

// The visual of `id` on any screen of the server, if it is there.
const xcb_visualtype_t* visualOf(xcb_connection_t* c, xcb_visualid_t id, std::uint8_t depth) {
    for (auto screen = xcb_setup_roots_iterator(xcb_get_setup(c)); screen.rem; xcb_screen_next(&screen))
        for (auto d = xcb_screen_allowed_depths_iterator(screen.data); d.rem; xcb_depth_next(&d)) {
            if (d.data->depth != depth) continue;
            for (auto v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v))
                if (v.data->visual_id == id) return v.data;
        }
    return nullptr;
}

// Whether the server's images of depth 32 hold a pixel in 32 bits, rows padded to 32 bits,
// least significant byte first: a premultiplied ARGB32 picture's layout on this machine.
bool takesArgb32(xcb_connection_t* c) {
    const xcb_setup_t* setup = xcb_get_setup(c);
    if (QSysInfo::ByteOrder != QSysInfo::LittleEndian || setup->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST)
        return false;
    for (auto f = xcb_setup_pixmap_formats_iterator(setup); f.rem; xcb_format_next(&f))
        if (f.data->depth == 32) return f.data->bits_per_pixel == 32 && f.data->scanline_pad == 32;
    return false;
}

}  // namespace

xcb_connection_t* x11Connection() {
    if (!qGuiApp || QGuiApplication::platformName() != QLatin1String("xcb")) return nullptr;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* c = x11 ? x11->connection() : nullptr;
    return c && !xcb_connection_has_error(c) ? c : nullptr;
}

std::unique_ptr<X11WindowPixels> X11WindowPixels::open(const QWindow& window) {
    xcb_connection_t* c = x11Connection();
    if (!c || !takesArgb32(c)) return nullptr;
    const auto id = static_cast<xcb_window_t>(window.winId());
    const auto geometryCookie = xcb_get_geometry(c, id);
    const auto attributesCookie = xcb_get_window_attributes(c, id);
    xcb_get_geometry_reply_t* geometry = xcb_get_geometry_reply(c, geometryCookie, nullptr);
    xcb_get_window_attributes_reply_t* attributes =
        xcb_get_window_attributes_reply(c, attributesCookie, nullptr);
    const xcb_visualtype_t* visual =
        geometry && attributes && geometry->depth == 32 ? visualOf(c, attributes->visual, 32) : nullptr;
    std::free(geometry);
    std::free(attributes);
    if (!visual || visual->_class != XCB_VISUAL_CLASS_TRUE_COLOR || visual->red_mask != 0xff0000 ||
        visual->green_mask != 0xff00 || visual->blue_mask != 0xff)
        return nullptr;
    return std::unique_ptr<X11WindowPixels>(new X11WindowPixels(c, id));
}

X11WindowPixels::X11WindowPixels(xcb_connection_t* c, xcb_window_t window)
    : c_(c), window_(window), gc_(xcb_generate_id(c)) {
    xcb_create_gc(c_, gc_, window_, 0, nullptr);
    // The request's length is counted in words; the image request's own fields take six.
    maxRequestBytes_ = static_cast<std::size_t>(xcb_get_maximum_request_length(c_)) * 4 - 24;
}

X11WindowPixels::~X11WindowPixels() {
    // Only while the application's connection is still the one it was made on.
    if (x11Connection() == c_) xcb_free_gc(c_, gc_);
}

void X11WindowPixels::put(const QImage& picture, const QRegion& rects) {
    const QRect bounds = picture.rect();
    const std::size_t stride = static_cast<std::size_t>(picture.bytesPerLine());
    for (const QRect& asked : rects) {
        const QRect r = asked.intersected(bounds);
        if (r.isEmpty()) continue;
        const std::size_t rowBytes = static_cast<std::size_t>(r.width()) * 4;
        // A rectangle taller than one request holds goes in bands of rows.
        const int band = static_cast<int>(std::max<std::size_t>(1, maxRequestBytes_ / rowBytes));
        for (int top = r.top(); top <= r.bottom(); top += band) {
            const int height = std::min(band, r.bottom() + 1 - top);
            const std::uint8_t* first = picture.constScanLine(top) + static_cast<std::size_t>(r.left()) * 4;
            const std::uint8_t* data = first;
            // Rows of the whole width lie one after the other in the picture already.
            if (rowBytes != stride) {
                rows_.resize(rowBytes * static_cast<std::size_t>(height));
                for (int y = 0; y < height; ++y)
                    std::memcpy(rows_.data() + rowBytes * static_cast<std::size_t>(y),
                                first + stride * static_cast<std::size_t>(y), rowBytes);
                data = rows_.data();
            }
            xcb_put_image(c_, XCB_IMAGE_FORMAT_Z_PIXMAP, window_, gc_, static_cast<std::uint16_t>(r.width()),
                          static_cast<std::uint16_t>(height), static_cast<std::int16_t>(r.left()),
                          static_cast<std::int16_t>(top), 0, 32,
                          static_cast<std::uint32_t>(rowBytes * height), data);
        }
    }
    xcb_flush(c_);
}

xcb_window_t mapClearWindow(xcb_connection_t* c, int x, int y, int width, int height, std::uint32_t events) {
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    xcb_visualid_t visual = 0;
    for (auto d = xcb_screen_allowed_depths_iterator(screen); d.rem && !visual; xcb_depth_next(&d))
        if (d.data->depth == 32)
            if (auto v = xcb_depth_visuals_iterator(d.data); v.rem) visual = v.data->visual_id;
    if (!visual) return 0;
    const xcb_colormap_t colormap = xcb_generate_id(c);
    xcb_create_colormap(c, XCB_COLORMAP_ALLOC_NONE, colormap, screen->root, visual);
    // Values in the order of their mask bits.
    const std::uint32_t values[] = {0, 0, 1, events, colormap};
    const xcb_window_t window = xcb_generate_id(c);
    xcb_create_window(c, 32, window, screen->root, static_cast<std::int16_t>(x), static_cast<std::int16_t>(y),
                      static_cast<std::uint16_t>(width), static_cast<std::uint16_t>(height), 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, visual,
                      XCB_CW_BACK_PIXEL | XCB_CW_BORDER_PIXEL | XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK |
                          XCB_CW_COLORMAP,
                      values);
    xcb_free_colormap(c, colormap);
    xcb_map_window(c, window);
    return window;
}

}  // namespace quorlix::ui::qt
