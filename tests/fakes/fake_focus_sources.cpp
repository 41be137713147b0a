#include "fakes/fake_focus_sources.h"

#include <algorithm>

namespace quorlix::fakes {

std::optional<std::string> FakeAccessibilityElement::text(const std::string& attribute) const {
    const auto it = texts.find(attribute);
    if (it == texts.end()) return std::nullopt;
    return it->second;
}

platform::AccessibilityElementRef FakeAccessibilityElement::element(const std::string& attribute) const {
    const auto it = elementAttributes.find(attribute);
    return it == elementAttributes.end() ? nullptr : it->second;
}

std::optional<std::vector<platform::AccessibilityElementRef>> FakeAccessibilityElement::elements(
    const std::string& attribute) const {
    if (attribute != "AXChildren") return std::nullopt;
    return children;
}

std::shared_ptr<FakeAccessibilityElement> FakeAccessibilityElement::described(
    const std::string& description, std::optional<std::int32_t> pid) {
    auto e = std::make_shared<FakeAccessibilityElement>();
    e->texts["AXDescription"] = description;
    e->pid = pid;
    return e;
}

FakeAccessibility::FakeAccessibility() : observers_(std::make_shared<Observers>()) {}

std::vector<std::int32_t> FakeAccessibility::runningApplications(const std::string& bundleIdentifier) const {
    const auto it = applications.find(bundleIdentifier);
    return it == applications.end() ? std::vector<std::int32_t>{} : it->second;
}

platform::AccessibilityElementRef FakeAccessibility::applicationElement(std::int32_t pid,
                                                                        double messagingTimeout) {
    timeouts.push_back(messagingTimeout);
    const auto it = applicationElements.find(pid);
    return it == applicationElements.end() ? nullptr : it->second;
}

std::optional<Subscription> FakeAccessibility::observe(std::int32_t pid,
                                                       const platform::AccessibilityElementRef& element,
                                                       const std::vector<std::string>& notifications,
                                                       std::function<void()> handler) {
    if (observersFail) return std::nullopt;
    const std::uint64_t id = observers_->nextId++;
    observers_->list.push_back({id, pid, element, notifications, std::move(handler)});
    std::weak_ptr<Observers> weak = observers_;
    return Subscription([weak, id] {
        if (auto o = weak.lock()) std::erase_if(o->list, [id](const Observer& x) { return x.id == id; });
    });
}

void FakeAccessibility::post(const platform::AccessibilityElementRef& element,
                             const std::string& notification) {
    std::vector<std::function<void()>> handlers;
    for (const Observer& o : observers_->list) {
        const bool wanted =
            std::find(o.notifications.begin(), o.notifications.end(), notification) != o.notifications.end();
        if (o.element == element && wanted) handlers.push_back(o.handler);
    }
    for (auto& h : handlers) h();
}

std::vector<std::int32_t> FakeAccessibility::observedProcesses() const {
    std::vector<std::int32_t> pids;
    for (const Observer& o : observers_->list) pids.push_back(o.pid);
    return pids;
}

}  // namespace quorlix::fakes
