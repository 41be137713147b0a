#include "services/brightness_service.h"

namespace quorlix {

BrightnessService& BrightnessService::shared() {
    static BrightnessService service;
    return service;
}

void BrightnessService::start() {
    // No brightness interface: the level reads as 0 and no change is ever reported.
    level = 0.0f;
}

}  // namespace quorlix
