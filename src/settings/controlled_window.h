#pragma once
// A window as the controller that owns it sees it: a view tree made once, brought forward on
// each showing and closed when the controller is done with it. The onboarding window and the
// move offer are made through a factory of their owner, which the view layer fills; tests
// hand in fakes. Main thread only.

#include <memory>

namespace quorlix {

class ControlledWindow {
public:
    virtual ~ControlledWindow() = default;
    // Shows the window in front of the others with the keyboard, the application activated.
    virtual void makeKeyAndOrderFront() = 0;
    // Takes the window off screen (its view disappears).
    virtual void close() = 0;
};

// Closes `window` and leaves its holder empty. The window itself, with its views, goes on the
// next turn of the main queue: this is often called from one of its own buttons, whose press
// must not be handled by a view that is already gone.
void closeAndRelease(std::unique_ptr<ControlledWindow>& window);

}  // namespace quorlix
