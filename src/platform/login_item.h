#pragma once
// Registration of the application as a login item (started when the user logs in).
// On Linux: an XDG autostart entry.

#include <optional>
#include <string>

namespace quorlix::platform {

class LoginItem {
public:
    virtual ~LoginItem() = default;
    virtual bool isEnabled() const = 0;
    // Each returns an error description on failure.
    virtual std::optional<std::string> registerItem() = 0;
    virtual std::optional<std::string> unregisterItem() = 0;
};

}  // namespace quorlix::platform
