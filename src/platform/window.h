#pragma once
// The application's ordinary windows (the settings window, onboarding, the move offer): one
// view tree in a frameless, translucent window of fixed size, with its close, minimise and
// disabled zoom buttons (or its close button alone) drawn in its top strip. A press on its
// background moves it. Closing it only hides it: the same window, with the same views and
// their state, comes back when it is shown again. A window may float above the others, and
// may take the height its views ask for at the given width.
//
//     auto window = platform.windows->makeWindow({.title = "Quorlix", .size = {620, 720}});
//     window->setContent(SettingsView{...}, environment);
//     window->makeKeyAndOrderFront();
//
// Main thread only.

#include "platform/geometry.h"
#include "platform/hosted_view.h"
#include "platform/published.h"

#include <functional>
#include <memory>
#include <string>

namespace quorlix::platform {

struct WindowOptions {
    std::string title;
    // With `fitsContentHeight`, the height is the content's ideal one at this width.
    Size size;
    // Above ordinary windows.
    bool floating = false;
    // Only the close button is drawn (no minimise, no zoom).
    bool closeButtonOnly = false;
    // Sized, whenever its content is set, to the height the views ask for.
    bool fitsContentHeight = false;
};

class Window {
public:
    virtual ~Window() = default;

    // The view tree drawn in the window, laid out in its size with `environment`.
    virtual void setContent(const ui::View& root, const ui::EnvironmentValues& environment) = 0;
    // Shows the window (centred on the screen the first time), raises it and gives it the
    // keyboard.
    virtual void makeKeyAndOrderFront() = 0;
    virtual bool isVisible() const = 0;
    virtual bool isMiniaturized() const = 0;
    virtual void deminiaturize() = 0;
    // Hides the window, as its close button does.
    virtual void close() = 0;
    // Leaves no control with the keyboard focus, the search field included.
    virtual void clearFocus() = 0;
    // Told each time the window closes (its close button included).
    virtual Subscription onClose(std::function<void()> handler) = 0;
};

class Windows {
public:
    virtual ~Windows() = default;
    // A new window, not shown yet.
    virtual std::unique_ptr<Window> makeWindow(const WindowOptions& options) = 0;
};

}  // namespace quorlix::platform
