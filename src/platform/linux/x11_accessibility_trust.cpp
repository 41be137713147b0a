#include "platform/linux/x11_accessibility_trust.h"

#include "platform/linux/x11_event_taps.h"

#include <xcb/xcb.h>

namespace quorlix::platform {

X11AccessibilityTrust::X11AccessibilityTrust(std::string display) : display_(std::move(display)) {}

bool X11AccessibilityTrust::isProcessTrusted() const {
    // The session is read at each call, as the tap reads it when it is made.
    if (X11EventTaps::runningOnWayland()) return false;
    // A display once reached stays so for as long as this process lives (losing its server
    // ends the process's windows with it): the onboarding asks every second, and a connection
    // made and closed each time cost the server a client's set-up.
    if (reached_) return true;
    xcb_connection_t* c = xcb_connect(display_.empty() ? nullptr : display_.c_str(), nullptr);
    const bool reached = !xcb_connection_has_error(c);
    xcb_disconnect(c);
    if (reached) reached_ = true;
    return reached;
}

bool X11AccessibilityTrust::canBeGranted() const { return !X11EventTaps::runningOnWayland(); }

}  // namespace quorlix::platform
