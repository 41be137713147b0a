#pragma once
// An ordinary window hosting a root view: the settings and onboarding windows. Decorated by
// the window manager, of a fixed size unless resizable, optionally translucent (the views
// then draw the whole background) and optionally kept above other windows.
//
//     ui::qt::WindowHost settings(SettingsView{...}, {.title = "Quorlix", .size = {620, 720}});
//     settings.onClose = [&] { ... };
//     settings.show();
//
// Main thread only.

#include "ui/qt/host_widget.h"
#include "ui/view_host.h"

#include <functional>
#include <memory>
#include <string>

namespace quorlix::ui::qt {

struct WindowOptions {
    std::string title;
    Size size;
    bool resizable = false;
    bool translucent = false;
    bool floating = false;  // above ordinary windows
};

class WindowHost {
public:
    WindowHost(View root, WindowOptions options, EnvironmentValues environment = {});
    ~WindowHost();
    WindowHost(const WindowHost&) = delete;
    WindowHost& operator=(const WindowHost&) = delete;

    ViewHost& host() { return *host_; }
    HostWidget& widget() { return *widget_; }

    // Shows the window centred on its screen the first time, restores it when minimized,
    // and brings it to the front with the keyboard focus.
    void show();
    void close();
    bool isVisible() const;

    // Told when the window closes (the user's close button included).
    std::function<void()> onClose;

private:
    std::unique_ptr<ViewHost> host_;
    std::unique_ptr<HostWidget> widget_;
    bool placed_ = false;
};

}  // namespace quorlix::ui::qt
