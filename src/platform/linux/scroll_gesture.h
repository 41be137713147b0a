#pragma once
// Gives X11's bare scroll deltas the shape of a trackpad gesture. X11 reports neither when
// the fingers touch down nor when they lift, so a trackpad's scroll begins with its first
// event after a quiet moment and ends once `quietPeriod` passes without one. Wheels have no
// phases, and X11 has no momentum (libinput does not coast), so none is reported.
//
// Deltas come in the platform's sign (positive `deltaY` scrolls up). Main thread only.

#include "platform/pointer_monitor.h"

#include <optional>

namespace quorlix::platform {

class ScrollGesture {
public:
    static constexpr double quietPeriod = 0.15;

    // A trackpad's scroll of (dx, dy) points at `now` (seconds).
    ScrollDetail trackpad(double dx, double dy, bool natural, double now);
    // A wheel's scroll of (dx, dy) lines.
    static ScrollDetail wheel(double dx, double dy, bool natural);
    // The end of the trackpad gesture, once it has been quiet long enough at `now`; then the
    // next trackpad event begins a new gesture.
    std::optional<ScrollDetail> endIfQuiet(double now);

private:
    std::optional<double> lastEvent_;
    bool natural_ = false;
};

}  // namespace quorlix::platform
