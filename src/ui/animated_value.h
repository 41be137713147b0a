#pragma once
// One number that moves to each new value with an animation, frame by frame on the main
// queue, handing every step to `apply` (a window's opacity). Idle between changes.
//
//     AnimatedValue opacity(1, [&](double v) { window.setWindowOpacity(v); });
//     opacity.set(0, Animation::easeInOut(0.25));
//
// Main thread only.

#include "platform/work_item.h"
#include "ui/animation.h"

#include <functional>
#include <memory>
#include <optional>

namespace quorlix::ui {

class AnimatedValue {
public:
    AnimatedValue(double initial, std::function<void(double)> apply);

    // Goes to `target`, at once without an animation; a motion under way hands over its velocity.
    void set(double target, const std::optional<Animation>& animation = std::nullopt);
    double value() const { return value_; }
    double target() const { return target_; }
    bool isAnimating() const { return track_ != nullptr; }

private:
    void step();

    double value_;
    double target_;
    std::function<void(double)> apply_;
    std::shared_ptr<const AnimationTrack> track_;
    platform::WorkItem frame_;
};

}  // namespace quorlix::ui
