#include "services/hud_center.h"

#include "foundation/app_settings.h"
#include "platform/clock.h"
#include "platform/main_queue.h"

#include <algorithm>
#include <cmath>

namespace quorlix {

namespace {

bool isProtecting(HUDContent::Case c) {
    return c == HUDContent::Case::alert || c == HUDContent::Case::battery;
}

bool isDisplaceable(HUDContent::Case c) {
    return c == HUDContent::Case::volume || c == HUDContent::Case::output ||
           c == HUDContent::Case::brightness;
}

}  // namespace

void HUDCenter::show(const HUDContent& content, double duration) {
    if (!(duration > 0)) duration = 0;  // negative and NaN alike
    const double now = platform::Clock::shared().now();

    const auto& shown = current.get();
    if (shown && isProtecting(shown->kind()) && isDisplaceable(content.kind()) && now < protectedUntil)
        return;

    if (isProtecting(content.kind())) protectedUntil = now + duration;

    const auto* newDevice = content.get<AudioDeviceInfo>();
    const auto* shownDevice = shown ? shown->get<AudioDeviceInfo>() : nullptr;
    const bool keepOpen = newDevice && shownDevice && newDevice->name == shownDevice->name;

    current = content;
    scheduleDetail(content, duration, keepOpen);

    hideTask = platform::MainQueue::shared().after(duration, [this] {
        current = std::nullopt;
        deviceDetail = false;
    });
}

void HUDCenter::scheduleDetail(const HUDContent& content, double duration, bool keepOpen) {
    detailTask.cancel();
    const auto* device = content.get<AudioDeviceInfo>();
    if (!device || !AppSettings::shared().deviceBatteryDetail.get() || !device->battery.hasPartLevels()) {
        deviceDetail = false;
        return;
    }
    const double shownFor = std::max(duration - 1.6, 1.5);
    // Two waits, one handle: replacing `detailTask` from inside its own step keeps a later
    // `show` able to cancel the second wait too.
    detailTask = platform::MainQueue::shared().after(keepOpen ? 0 : detailDelay, [this, shownFor] {
        deviceDetail = true;
        detailTask = platform::MainQueue::shared().after(shownFor, [this] { deviceDetail = false; });
    });
}

}  // namespace quorlix
