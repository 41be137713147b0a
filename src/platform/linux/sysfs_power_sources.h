#pragma once
// Power sources from the kernel's power-supply class (/sys/class/power_supply).
//
// Only the machine's own batteries are listed (a wireless mouse's or a UPS's are not), as
// "InternalBattery" descriptions: the charge from "capacity" (or the energy or charge
// counters), "Is Charging" from "status", and "AC Power" while a mains or USB supply is
// online. Changes are heard through udev and, in case a notice is missed, by reading again
// every 60 s. The root folder can be changed, so tests read a tree of their own.

#include "platform/power_sources.h"
#include "platform/work_item.h"

#include <filesystem>
#include <memory>

namespace quorlix::platform {

class UdevMonitor;

class SysfsPowerSources final : public PowerSources {
public:
    explicit SysfsPowerSources(std::filesystem::path root = "/sys/class/power_supply");
    ~SysfsPowerSources() override;

    std::vector<PowerSourceDescription> sources() override;
    Subscription observeChanges(std::function<void()> handler) override;

    static constexpr double pollInterval = 60;

private:
    void schedulePoll();

    std::filesystem::path root_;
    Signal<> changes_;
    std::unique_ptr<UdevMonitor> udev_;
    WorkItem poll_;
};

}  // namespace quorlix::platform
