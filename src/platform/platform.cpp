#include "platform/platform.h"

namespace quorlix::platform {

namespace {
Platform current;
}

void install(const Platform& platform) {
    current = platform;
    MainQueue::install(platform.mainQueue);
    Clock::install(platform.clock);
}

const Platform& installed() { return current; }

}  // namespace quorlix::platform
