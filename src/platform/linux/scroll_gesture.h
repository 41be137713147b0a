#pragma once
// Gives X11's bare scroll deltas the shape of a gesture. X11 reports neither when fingers
// touch down nor when they lift, and a wheel has no gesture at all, so a scroll begins with
// its first event after a quiet moment and ends once `quietPeriod` passes without one:
// quick wheel clicks make one gesture, as one swipe of the fingers does. X11 has no momentum
// (libinput does not coast), so none is reported.
//
// The end is found by a wait on the main queue that runs only while a gesture does:
//
//     ScrollGesture gesture([this](const ScrollDetail& s) { emit(s); });
//     gesture.scroll(dx, dy, /*precise=*/true, natural);  // emits `began`, later `ended`
//
// Deltas come in the platform's sign (positive `deltaY` scrolls up). Main thread only.

#include "platform/pointer_monitor.h"
#include "platform/work_item.h"

#include <functional>
#include <optional>

namespace quorlix::platform {

class ScrollGesture {
public:
    static constexpr double quietPeriod = 0.15;

    // `emit` hears every scroll, and each gesture's end.
    explicit ScrollGesture(std::function<void(const ScrollDetail&)> emit) : emit_(std::move(emit)) {}

    // A scroll of (dx, dy): points of a trackpad when `precise`, else lines of a wheel.
    void scroll(double dx, double dy, bool precise, bool natural);

private:
    // Ends the gesture once it has been quiet long enough, else looks again when it may be.
    void endIfQuiet();
    void end();

    std::function<void(const ScrollDetail&)> emit_;
    // The time of the gesture's last scroll; nothing between gestures.
    std::optional<double> lastEvent_;
    ScrollDetail last_;
    WorkItem quietCheck_;
};

}  // namespace quorlix::platform
