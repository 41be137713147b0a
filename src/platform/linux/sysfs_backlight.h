#pragma once
// Display brightness through the kernel's backlight devices (/sys/class/backlight).
//
// Each device is one display, numbered from 1 in order of preference: firmware interfaces,
// then platform ones, then raw ones, by name within each kind. A device counts as built in
// unless it is a monitor reached over DDC/CI. The level read is `actual_brightness` over
// `max_brightness`. Writes go through logind's `SetBrightness` on the caller's session, which
// needs no root; they are sent without waiting. While someone listens, `actual_brightness` is
// looked at when udev reports a backlight event (the firmware's own brightness keys), when
// logind has answered one of our writes, and every `pollSeconds`, since a write by anyone
// else raises no event at all.
//
// Without a backlight device (desktops, virtual machines) `displays()` is empty and the
// platform offers no brightness interface at all.

#include "platform/display_brightness.h"
#include "platform/listener_table.h"

#include <QDBusConnection>

#include <filesystem>
#include <map>
#include <memory>
#include <string>

class QObject;
class QTimer;

namespace quorlix::platform {

class UdevMonitor;

class SysfsBacklight final : public DisplayBrightness {
public:
    explicit SysfsBacklight(QDBusConnection systemBus, std::filesystem::path root = "/sys/class/backlight",
                            double pollSeconds = 0.5);
    ~SysfsBacklight() override;

    std::vector<Display> displays() const override;
    DisplayID mainDisplay() const override;
    bool canRead() const override { return true; }
    bool canWrite() const override;
    bool canNotify() const override { return true; }
    std::optional<float> brightness(DisplayID display) const override;
    bool setBrightness(DisplayID display, float value) override;
    [[nodiscard]] Subscription listen(DisplayID display, std::function<void()> changed) override;

private:
    struct Device {
        std::string name;
        std::filesystem::path folder;
        bool isBuiltIn = false;
    };

    const Device* device(DisplayID display) const;
    std::optional<long> readNumber(DisplayID display, const char* file) const;
    // Tells the listeners of every display whose level moved since last looked at.
    void check();

    QDBusConnection bus_;
    std::vector<Device> devices_;
    ListenerTable<DisplayID> listeners_;
    // The raw level each followed display had when last looked at.
    std::map<DisplayID, std::optional<long>> seen_;
    // Parent of the poll timer and of the pending replies, so none outlives the backend.
    std::unique_ptr<QObject> context_;
    QTimer* poll_ = nullptr;
    std::unique_ptr<UdevMonitor> udev_;
};

}  // namespace quorlix::platform
