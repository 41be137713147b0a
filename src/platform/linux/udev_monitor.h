#pragma once
// Hears the kernel's device events of one subsystem ("power_supply", "backlight") through
// udev, on the main thread's event loop. Where udev cannot be reached it stays silent, so its
// owners also look again on a timer of their own.

#include <functional>
#include <memory>

class QSocketNotifier;
struct udev;
struct udev_monitor;

namespace quorlix::platform {

class UdevMonitor {
public:
    // Calls `changed` once for every batch of events.
    UdevMonitor(const char* subsystem, std::function<void()> changed);
    ~UdevMonitor();
    UdevMonitor(const UdevMonitor&) = delete;
    UdevMonitor& operator=(const UdevMonitor&) = delete;

private:
    udev* udev_ = nullptr;
    udev_monitor* monitor_ = nullptr;
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace quorlix::platform
