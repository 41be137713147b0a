#include "platform/linux/scroll_gesture.h"

namespace quorlix::platform {

ScrollDetail ScrollGesture::trackpad(double dx, double dy, bool natural, double now) {
    // Ended by a quiet moment that no timer noticed yet: this event starts afresh.
    const bool begins = !lastEvent_ || now - *lastEvent_ >= quietPeriod;
    lastEvent_ = now;
    natural_ = natural;
    return {.deltaX = dx,
            .deltaY = dy,
            .hasPreciseScrollingDeltas = true,
            .phase = begins ? ScrollPhase::began : ScrollPhase::changed,
            .isDirectionInvertedFromDevice = natural};
}

ScrollDetail ScrollGesture::wheel(double dx, double dy, bool natural) {
    return {.deltaX = dx, .deltaY = dy, .isDirectionInvertedFromDevice = natural};
}

std::optional<ScrollDetail> ScrollGesture::endIfQuiet(double now) {
    if (!lastEvent_ || now - *lastEvent_ < quietPeriod) return std::nullopt;
    lastEvent_.reset();
    return ScrollDetail{.hasPreciseScrollingDeltas = true,
                        .phase = ScrollPhase::ended,
                        .isDirectionInvertedFromDevice = natural_};
}

}  // namespace quorlix::platform
