#pragma once
// Power sources a test sets directly, with change notices it sends itself.

#include "platform/power_sources.h"

#include <vector>

namespace quorlix::fakes {

class FakePowerSources final : public platform::PowerSources {
public:
    std::vector<platform::PowerSourceDescription> list;
    std::vector<platform::PowerSourceDescription> sources() override { return list; }
    Subscription observeChanges(std::function<void()> handler) override {
        return changes_.connect(std::move(handler));
    }
    // Sends a change notice.
    void notify() { changes_.emit(); }

    // A battery description with the keys the system writes.
    static platform::PowerSourceDescription battery(std::int64_t current, std::int64_t max, bool charging,
                                                    bool acPower) {
        return {{"Type", std::string("InternalBattery")},
                {"Current Capacity", current},
                {"Max Capacity", max},
                {"Is Charging", charging},
                {"Power Source State", std::string(acPower ? "AC Power" : "Battery Power")}};
    }

private:
    Signal<> changes_;
};

}  // namespace quorlix::fakes
