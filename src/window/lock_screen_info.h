#pragma once
// What the lock screen knows beyond the services: the connected headphones' charge, read
// afresh at each lock. One instance, owned by the lock-screen controller and handed to every
// lock-screen view. Main thread only.

#include "platform/published.h"

#include <cstdint>
#include <optional>

namespace quorlix {

class LockScreenInfo final : public ObservableObject {
public:
    // Per cent; none when no headphones reported a level at the last reading.
    Published<std::optional<std::int64_t>> headphones{this, std::nullopt};
};

}  // namespace quorlix
