#pragma once
// Power sources from the kernel's power-supply class (/sys/class/power_supply).
//
// Only the machine's own batteries count (a wireless mouse's or a UPS's do not), listed as
// one "InternalBattery" description: the charge from "capacity" (or the energy or charge
// counters), "Is Charging" from "status", and "AC Power" while a mains or USB supply is
// online. A machine with two batteries has them combined as the desktop shows them: the
// energy both hold over the energy both hold when full, charging while either charges. Changes are heard
// through udev and, in case a notice is missed, by reading again every 60 s. The root folder can be changed,
// so tests read a tree of their own.

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
