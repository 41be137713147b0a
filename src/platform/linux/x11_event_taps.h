#pragma once
// The media-key tap on X11: passive grabs of the volume, mute and brightness keys on the root
// window, alone and with Shift, Alt or both, each also with Caps Lock and Num Lock on.
//
// A grabbed key reaches only us, and there is no handing it on afterwards, so a tap grabs
// only the keys it is told its handler can act on (`setWantedKeys`); the others stay with the
// system. Each key is taken on its own: one that another program already holds (the
// desktop's own media-key handler, or a brightness key on a machine without a backlight) is
// left to it, with one line in the log, and the rest are taken. The tap cannot be created
// when the display cannot be opened, when other programs hold every key, or in a Wayland
// session, where X clients see the keyboard only while one of their windows has the focus.
// The tap never disables itself.
//
// Each tap has its own connection to the display, read on Qt's event loop.

#include "platform/event_tap.h"

#include <string>

namespace quorlix::platform {

class X11EventTaps final : public EventTaps {
public:
    // On the display named `display` (empty: the one $DISPLAY names).
    explicit X11EventTaps(std::string display = {}, bool waylandSession = runningOnWayland());

    std::unique_ptr<EventTap> create(Handler handler) override;

    // Whether the desktop session is a Wayland one.
    static bool runningOnWayland();

private:
    std::string display_;
    bool wayland_;
};

}  // namespace quorlix::platform
