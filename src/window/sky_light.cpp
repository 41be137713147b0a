#include "window/sky_light.h"

#include "platform/key_log.h"
#include "platform/platform.h"

#include <memory>
#include <string>

namespace quorlix {

namespace {
std::unique_ptr<SkyLight> instance;
}

SkyLight::SkyLight(platform::LockScreenSpace* space) {
    if (space && space->create()) {
        space_ = space;
        return;
    }
    KeyLog::system(std::string(unavailableMessage));
}

SkyLight& SkyLight::shared() {
    if (!instance) instance.reset(new SkyLight(platform::installed().lockScreenSpace));
    return *instance;
}

bool SkyLight::exists() { return instance != nullptr; }

void SkyLight::resetShared() { instance.reset(); }

void SkyLight::moveToLockScreen(platform::PanelWindow& window) {
    if (space_) space_->add(window);
}

}  // namespace quorlix
