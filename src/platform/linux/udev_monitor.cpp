#include "platform/linux/udev_monitor.h"

#include <QSocketNotifier>

#include <libudev.h>

namespace quorlix::platform {

UdevMonitor::UdevMonitor(const char* subsystem, std::function<void()> changed) {
    udev_ = udev_new();
    if (!udev_) return;
    monitor_ = udev_monitor_new_from_netlink(udev_, "udev");
    if (!monitor_ || udev_monitor_filter_add_match_subsystem_devtype(monitor_, subsystem, nullptr) < 0 ||
        udev_monitor_enable_receiving(monitor_) < 0)
        return;
    notifier_ = std::make_unique<QSocketNotifier>(udev_monitor_get_fd(monitor_), QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this, changed = std::move(changed)] {
        bool any = false;
        while (udev_device* device = udev_monitor_receive_device(monitor_)) {
            udev_device_unref(device);
            any = true;
        }
        if (any) changed();
    });
}

UdevMonitor::~UdevMonitor() {
    notifier_.reset();
    if (monitor_) udev_monitor_unref(monitor_);
    if (udev_) udev_unref(udev_);
}

}  // namespace quorlix::platform
