#include "fakes/fake_agent_notifications.h"

namespace quorlix::fakes {

std::optional<Subscription> FakeAgentNotifications::observe(const std::string& name,
                                                            std::function<void()> handler) {
    if (refused.count(name) != 0) return std::nullopt;
    auto& signal = signals_[name];
    if (!signal) signal = std::make_unique<Signal<>>();
    return signal->connect(std::move(handler));
}

void FakeAgentNotifications::post(const std::string& name) {
    const auto it = signals_.find(name);
    if (it != signals_.end()) it->second->emit();
}

std::size_t FakeAgentNotifications::observerCount() const {
    std::size_t count = 0;
    for (const auto& [name, signal] : signals_) count += signal->subscriberCount();
    return count;
}

}  // namespace quorlix::fakes
