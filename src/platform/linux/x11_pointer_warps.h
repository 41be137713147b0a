#pragma once
// Tells of each time a program puts the pointer somewhere (a warp: keyboard pointer tools,
// remote desktops, `xdotool mousemove`), which no device reports as motion.
//
// Why the RECORD extension: it hands us every warp request of every client as the server
// takes it, and nothing else, so it costs nothing while the pointer rests and nothing while
// it moves by hand. Crossing events would miss a warp within one window (across the
// desktop's top bar onto the island) and would need an input window that takes the island's
// clicks from what lies under it; asking where the pointer is on a timer costs at rest.
//
// The recording has a connection of its own, which the server keeps busy while it records,
// read on Qt's event loop. Main thread only.

#include <xcb/xcb.h>

#include <functional>
#include <memory>
#include <string>

class QSocketNotifier;

namespace quorlix::platform {

class X11PointerWarps {
public:
    // Records the warps on the display `control` is connected to (named `display`, $DISPLAY
    // when empty): core ones and those of XInput 2 (major opcode `inputOpcode`). Nothing when
    // the server has no RECORD extension or refuses it.
    static std::unique_ptr<X11PointerWarps> start(xcb_connection_t* control, const std::string& display,
                                                  std::uint8_t inputOpcode, std::function<void()> warped);
    ~X11PointerWarps();
    X11PointerWarps(const X11PointerWarps&) = delete;
    X11PointerWarps& operator=(const X11PointerWarps&) = delete;

    // Tells of the warps recorded so far that have come in, without waiting for the event loop
    // to notice them.
    void read();

private:
    X11PointerWarps(xcb_connection_t* control, xcb_connection_t* data, std::uint32_t context,
                    unsigned int sequence, std::function<void()> warped);

    xcb_connection_t* control_;
    xcb_connection_t* data_;
    std::uint32_t context_;
    unsigned int sequence_;
    std::function<void()> warped_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace quorlix::platform
