#include "ui/animated_value.h"

#include "platform/clock.h"
#include "platform/main_queue.h"

namespace quorlix::ui {

namespace {
constexpr double frameInterval = 1.0 / 60;
}

AnimatedValue::AnimatedValue(double initial, std::function<void(double)> apply)
    : value_(initial), target_(initial), apply_(std::move(apply)) {}

void AnimatedValue::set(double target, const std::optional<Animation>& animation) {
    target_ = target;
    const double now = platform::Clock::shared().now();
    if (!animation) {
        track_.reset();
        frame_.cancel();
        value_ = target;
        if (apply_) apply_(value_);
        return;
    }
    AnimatableData velocity{0};
    if (track_) velocity = track_->sample(now).velocity;
    track_ = std::make_shared<const AnimationTrack>(*animation, AnimatableData{value_}, AnimatableData{target},
                                                    velocity, now, track_);
    step();
}

void AnimatedValue::step() {
    if (!track_) return;
    const auto s = track_->sample(platform::Clock::shared().now());
    value_ = s.value.at(0);
    if (s.finished) track_.reset();
    if (apply_) apply_(value_);
    if (track_) frame_ = platform::MainQueue::shared().after(frameInterval, [this] { step(); });
}

}  // namespace quorlix::ui
