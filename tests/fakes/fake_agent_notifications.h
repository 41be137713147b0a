#pragma once
// Agent notifications the test posts by name; names in `refused` cannot be listened to.

#include "platform/agent_notifications.h"

#include <map>
#include <memory>
#include <set>
#include <string>

namespace quorlix::fakes {

class FakeAgentNotifications final : public platform::AgentNotifications {
public:
    std::set<std::string> refused;

    std::optional<Subscription> observe(const std::string& name, std::function<void()> handler) override;
    // Delivers the notification at once, as the main queue would.
    void post(const std::string& name);
    // Live subscriptions, over every name.
    std::size_t observerCount() const;

private:
    std::map<std::string, std::unique_ptr<Signal<>>> signals_;
};

}  // namespace quorlix::fakes
