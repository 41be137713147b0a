#pragma once
// The focus sources a test drives: the desktop's do-not-disturb switch and a scripted
// accessibility tree with observers the test posts notifications to.

#include "platform/accessibility.h"
#include "platform/desktop_focus.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quorlix::fakes {

class FakeDesktopFocus final : public platform::DesktopFocus {
public:
    // None: this desktop has no switch.
    std::optional<bool> on;
    int reads = 0;
    // Runs inside each read (to make a read slow on the virtual clock, say).
    std::function<void()> duringRead;

    std::optional<bool> doNotDisturb() override {
        ++reads;
        if (duringRead) duringRead();
        return on;
    }
    Subscription observe(std::function<void()> handler) override {
        return changes_.connect(std::move(handler));
    }
    void notify() { changes_.emit(); }

private:
    Signal<> changes_;
};

class FakeAccessibilityElement final : public platform::AccessibilityElement {
public:
    std::map<std::string, std::string> texts;
    std::map<std::string, platform::AccessibilityElementRef> elementAttributes;
    // "AXChildren"; none when it cannot be read.
    std::optional<std::vector<platform::AccessibilityElementRef>> children;
    std::optional<std::int32_t> pid;

    std::optional<std::string> text(const std::string& attribute) const override;
    platform::AccessibilityElementRef element(const std::string& attribute) const override;
    std::optional<std::vector<platform::AccessibilityElementRef>> elements(
        const std::string& attribute) const override;
    std::optional<std::int32_t> processIdentifier() const override { return pid; }
    bool isEqual(const platform::AccessibilityElement& other) const override { return this == &other; }

    // An element whose description attribute "AXDescription" is `description`.
    static std::shared_ptr<FakeAccessibilityElement> described(
        const std::string& description, std::optional<std::int32_t> pid = std::nullopt);
};

class FakeAccessibility final : public platform::Accessibility {
public:
    FakeAccessibility();

    bool trusted = false;
    // False stands for Linux, which has no menu bar to read.
    bool menuBar = true;
    // Running applications by bundle identifier, in system order.
    std::map<std::string, std::vector<std::int32_t>> applications;
    // Application elements by process identifier.
    std::map<std::int32_t, std::shared_ptr<FakeAccessibilityElement>> applicationElements;
    // When set, no observer can be made.
    bool observersFail = false;
    // The messaging time-outs asked for, in order.
    std::vector<double> timeouts;

    bool hasMenuBar() const override { return menuBar; }
    bool isTrusted() const override { return trusted; }
    std::vector<std::int32_t> runningApplications(const std::string& bundleIdentifier) const override;
    platform::AccessibilityElementRef applicationElement(std::int32_t pid, double messagingTimeout) override;
    std::optional<Subscription> observe(std::int32_t pid, const platform::AccessibilityElementRef& element,
                                        const std::vector<std::string>& notifications,
                                        std::function<void()> handler) override;

    // Calls every live observer of `element` registered for `notification`.
    void post(const platform::AccessibilityElementRef& element, const std::string& notification);
    // The processes of the live observers, in the order the observers were made.
    std::vector<std::int32_t> observedProcesses() const;

private:
    struct Observer {
        std::uint64_t id;
        std::int32_t pid;
        platform::AccessibilityElementRef element;
        std::vector<std::string> notifications;
        std::function<void()> handler;
    };
    struct Observers {
        std::vector<Observer> list;
        std::uint64_t nextId = 1;
    };
    std::shared_ptr<Observers> observers_;
};

}  // namespace quorlix::fakes
