#pragma once
// The application's ordinary windows on Linux: the view layer's window host, frameless and
// translucent, drawing its own window buttons, moved by its background, hidden on close.

#include "platform/window.h"

namespace quorlix::platform {

class QtWindows final : public Windows {
public:
    std::unique_ptr<Window> makeWindow(const WindowOptions& options) override;
};

}  // namespace quorlix::platform
