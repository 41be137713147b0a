#include "services/brightness_service.h"

#include "platform/platform.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace quorlix {

namespace {
std::unique_ptr<BrightnessService> sharedService;
}

BrightnessService& BrightnessService::shared() {
    if (!sharedService) sharedService = std::make_unique<BrightnessService>();
    return *sharedService;
}

void BrightnessService::resetShared() { sharedService.reset(); }

BrightnessService::BrightnessService() : BrightnessService(platform::installed().displayBrightness) {}

BrightnessService::BrightnessService(platform::DisplayBrightness* displays) : displays_(displays) {}

std::uint32_t BrightnessService::builtInDisplay() const {
    for (const auto& d : displays_->displays())
        if (d.isBuiltIn) return d.id;
    return 0;
}

void BrightnessService::start() {
    if (!displays_) {
        level = 0.0f;
        return;
    }
    display_ = builtInDisplay();
    if (display_ == 0) display_ = displays_->mainDisplay();

    std::optional<float> reading;
    if (displays_->canRead()) reading = displays_->brightness(display_);
    startReadSucceeded_ = reading.has_value();
    level = reading.value_or(0.0f);

    if (displays_->canNotify()) registration_ = displays_->listen(display_, [this] { changed(); });
}

void BrightnessService::changed() {
    const auto reading = readLevel();
    if (!reading) return;
    if (std::fabs(*reading - level.get()) <= changeThreshold) return;
    level = *reading;
    if (onChange) onChange(*reading);
}

bool BrightnessService::isSettable() const {
    return displays_ && displays_->canRead() && displays_->canWrite() && displays_->canNotify() &&
           startReadSucceeded_;
}

std::optional<float> BrightnessService::readLevel() const {
    if (!displays_ || !displays_->canRead()) return std::nullopt;
    return displays_->brightness(display_);
}

void BrightnessService::writeLevel(float value) {
    if (!displays_ || !displays_->canWrite() || std::isnan(value)) return;
    displays_->setBrightness(display_, std::clamp(value, 0.0f, 1.0f));
}

}  // namespace quorlix
