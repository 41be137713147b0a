#pragma once
// The accessibility interface on Linux: desktops expose no menu bar to read this way, so the
// process is never trusted and there is nothing to find or observe.

#include "platform/accessibility.h"

namespace quorlix::platform {

class UnavailableAccessibility final : public Accessibility {
public:
    bool hasMenuBar() const override { return false; }
    bool isTrusted() const override { return false; }
    std::vector<std::int32_t> runningApplications(const std::string&) const override { return {}; }
    AccessibilityElementRef applicationElement(std::int32_t, double) override { return nullptr; }
    std::optional<Subscription> observe(std::int32_t, const AccessibilityElementRef&,
                                        const std::vector<std::string>&, std::function<void()>) override {
        return std::nullopt;
    }
};

}  // namespace quorlix::platform
