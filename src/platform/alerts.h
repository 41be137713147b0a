#pragma once
// A modal alert: a message, a line of detail and one button that dismisses it. Nothing else
// in the application takes input until it is dismissed. Main thread only.

#include <string>

namespace quorlix::platform {

struct Alert {
    std::string message;
    std::string informativeText;
};

class Alerts {
public:
    virtual ~Alerts() = default;
    // Shows `alert` and returns once the user has dismissed it.
    virtual void runModal(const Alert& alert) = 0;
};

}  // namespace quorlix::platform
