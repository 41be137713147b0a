#pragma once
// Other applications' interface elements, read through the accessibility interface: the
// menu bar's items with their texts and children, and notifications when they change.
//
// Reading needs the user's permission (`isTrusted`). Linux desktops offer no such tree of the
// menu bar, so the Linux backend is never trusted and finds nothing.

#include "platform/published.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quorlix::platform {

class AccessibilityElement;
using AccessibilityElementRef = std::shared_ptr<const AccessibilityElement>;

class AccessibilityElement {
public:
    virtual ~AccessibilityElement() = default;

    // The attribute's value when it can be read as text.
    virtual std::optional<std::string> text(const std::string& attribute) const = 0;
    // The attribute's value when it can be read as one element; null otherwise.
    virtual AccessibilityElementRef element(const std::string& attribute) const = 0;
    // The attribute's value when it can be read as a list of elements.
    virtual std::optional<std::vector<AccessibilityElementRef>> elements(
        const std::string& attribute) const = 0;
    // The process that draws the element.
    virtual std::optional<std::int32_t> processIdentifier() const = 0;
    // Whether both stand for the same interface element.
    virtual bool isEqual(const AccessibilityElement& other) const = 0;
};

class Accessibility {
public:
    virtual ~Accessibility() = default;

    // Whether this system draws a menu bar that can be read this way at all (Linux: no).
    virtual bool hasMenuBar() const { return true; }
    // Whether the user allows this process to read other applications' elements.
    virtual bool isTrusted() const = 0;
    // The process identifiers of the running applications with `bundleIdentifier`, in the
    // order the system lists them.
    virtual std::vector<std::int32_t> runningApplications(const std::string& bundleIdentifier) const = 0;
    // The element of the application run by process `pid`, whose reads give up after
    // `messagingTimeout` seconds; null when there is none.
    virtual AccessibilityElementRef applicationElement(std::int32_t pid, double messagingTimeout) = 0;
    // Calls `handler` on the main thread each time one of `notifications` is posted for
    // `element` (drawn by process `pid`), until the subscription ends; none when no observer
    // can be made.
    [[nodiscard]] virtual std::optional<Subscription> observe(std::int32_t pid,
                                                              const AccessibilityElementRef& element,
                                                              const std::vector<std::string>& notifications,
                                                              std::function<void()> handler) = 0;
};

}  // namespace quorlix::platform
