#pragma once
// An ordinary window hosting a root view: the settings and onboarding windows. Decorated by
// the window manager, of a fixed size unless resizable, optionally translucent (the views
// then draw the whole background) and optionally kept above other windows.
//
//     ui::qt::WindowHost settings(SettingsView{...}, {.title = "Quorlix", .size = {620, 720},
//                                                     .frameless = true, .translucent = true});
//     settings.onClose = [&] { ... };
//     settings.show();
//
// A frameless window draws its own close, minimise and (disabled) zoom buttons at the top
// left of its first 44 points, and moves with a press on its background (anywhere no control
// takes the press). Closing only hides a window (never deleted on close, and never holding up
// the application's quit): the same window and view tree come back with the next `show()`.
// A hidden window makes no frames (a looping animation in it costs nothing).
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
    bool floating = false;   // above ordinary windows
    bool frameless = false;  // no window manager decoration; buttons drawn by the views
    bool closeButtonOnly = false;  // of the drawn buttons, only the close button
    // The height is the root view's ideal one at `size.width`, taken again with each root.
    bool fitsContentHeight = false;
};

// The close, minimise and zoom buttons of a frameless window, in its top-left corner.
struct WindowButtons {
    std::function<void()> close;
    // None: the close button alone.
    std::function<void()> minimize;
    // The height of the strip they are centred in.
    static constexpr double stripHeight = 44;
    View body(Context& ctx) const;
};

class WindowHost {
public:
    WindowHost(View root, WindowOptions options, EnvironmentValues environment = {});
    ~WindowHost();
    WindowHost(const WindowHost&) = delete;
    WindowHost& operator=(const WindowHost&) = delete;

    ViewHost& host() { return *host_; }
    HostWidget& widget() { return *widget_; }
    // Replaces the views (under the drawn window buttons of a frameless window).
    void setRoot(View root);

    // Shows the window centred on its screen the first time, restores it when minimized,
    // and brings it to the front with the keyboard focus.
    void show();
    void close();
    void minimize();
    bool isVisible() const;
    bool isMinimized() const;
    // Leaves no control with the keyboard focus (the window keeps it).
    void clearFocus();

    // Told when the window closes (the user's close button included).
    std::function<void()> onClose;

private:
    View decorated(View root);
    void fitHeight();

    WindowOptions options_;
    std::unique_ptr<ViewHost> host_;
    std::unique_ptr<HostWidget> widget_;
    bool placed_ = false;
};

}  // namespace quorlix::ui::qt
