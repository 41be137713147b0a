#pragma once
// The desktop on X11, through the window manager's standard (EWMH) properties on the root
// window: the active window (`_NET_ACTIVE_WINDOW`) and its process (`_NET_WM_PID`), the
// current workspace (`_NET_CURRENT_DESKTOP`), and the managed windows in stacking order
// (`_NET_CLIENT_LIST_STACKING`) with their types and states. The active window's own state
// (`_NET_WM_STATE`) is watched for it going into or out of full screen. Screen changes come
// from Qt.
//
// An application is named by its window's class (WM_CLASS), this one by its own identifier.
// Without a window manager that keeps these properties (a bare X server) nothing is in front
// and the window list cannot be read. Main thread only.

#include "platform/window_server.h"

#include <memory>
#include <string>

namespace quorlix::platform {

class X11WindowServer final : public WindowServer {
public:
    // On the display named `display` ($DISPLAY when empty).
    explicit X11WindowServer(const std::string& display = {});
    ~X11WindowServer() override;

    Subscription onScreenParametersChanged(std::function<void()> handler) override;
    Subscription onActiveSpaceChanged(std::function<void()> handler) override;
    Subscription onApplicationActivated(std::function<void()> handler) override;
    Subscription onFrontWindowChanged(std::function<void()> handler) override;
    std::optional<RunningApplication> frontmostApplication() const override;
    RunningApplication currentApplication() const override;
    std::optional<std::vector<OnScreenWindow>> onScreenWindows() const override;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace quorlix::platform
