#include "platform/linux/scroll_gesture.h"

#include "platform/clock.h"
#include "platform/main_queue.h"

namespace quorlix::platform {

namespace {

// Timers and sums of seconds may fall this short of a wait that has passed.
constexpr double tolerance = 1e-6;

}  // namespace

void ScrollGesture::scroll(double dx, double dy, bool precise, bool natural) {
    const double now = Clock::shared().now();
    // A pause the wait has not noticed yet (a busy loop) still ends the gesture first.
    if (lastEvent_ && now - *lastEvent_ >= quietPeriod - tolerance) end();
    const bool begins = !lastEvent_;
    lastEvent_ = now;
    last_ = {.deltaX = dx,
             .deltaY = dy,
             .hasPreciseScrollingDeltas = precise,
             .phase = begins ? ScrollPhase::began : ScrollPhase::changed,
             .isDirectionInvertedFromDevice = natural};
    // One wait per quiet period, not one per scroll: it looks again if scrolls came meanwhile.
    if (!quietCheck_.isPending())
        quietCheck_ = MainQueue::shared().after(quietPeriod, [this] { endIfQuiet(); });
    emit_(last_);
}

void ScrollGesture::endIfQuiet() {
    if (!lastEvent_) return;
    const double quiet = Clock::shared().now() - *lastEvent_;
    if (quiet >= quietPeriod - tolerance) {
        end();
        return;
    }
    quietCheck_ = MainQueue::shared().after(quietPeriod - quiet, [this] { endIfQuiet(); });
}

void ScrollGesture::end() {
    lastEvent_.reset();
    quietCheck_.cancel();
    emit_({.hasPreciseScrollingDeltas = last_.hasPreciseScrollingDeltas,
           .phase = ScrollPhase::ended,
           .isDirectionInvertedFromDevice = last_.isDirectionInvertedFromDevice});
}

}  // namespace quorlix::platform
