#pragma once
// Animations: how a changed value travels from its old state to its new one.
//
//     Animation::easeOut(0.25).delay(0.06)
//     Animation::spring(0.45, 0.62)                 // response 0.45 s, damping fraction 0.62
//     Animation::linear(10).delay(1.5).repeatForever(false)
//
// Springs are the platform's: a damped oscillator of unit mass with stiffness (2π / response)²
// and damping 4π · dampingFraction / response, solved in closed form. A spring that takes over
// from a running animation starts from where that one is, with its velocity.
//
// An AnimationTrack applies one animation to a vector of numbers (a frame, a colour, a shape's
// animatable data); the animator keeps one per changed property of a view.

#include "ui/shape.h"
#include "ui/types.h"

#include <memory>
#include <optional>
#include <vector>

namespace quorlix::ui {

// The closed-form motion of a spring towards 0 (the target), from displacement x0 and
// velocity v0: x(t) = x0 · a(t) + v0 · b(t), v(t) = x0 · c(t) + v0 · d(t).
struct Spring {
    double response = 0.5;
    double dampingFraction = 0.825;

    double stiffness() const;
    double damping() const;

    struct Basis {
        double a = 1, b = 0, c = 0, d = 1;
    };
    Basis basis(double t) const;
    double position(double x0, double v0, double t) const;
    double velocity(double x0, double v0, double t) const;
    // How near its target a motion comes to rest unless told otherwise (in the values' units).
    static constexpr double rest = 1e-3;
    // Whether a motion has come to rest: its energy is that of a displacement below `epsilon`
    // at rest. The energy never grows, so once settled a spring stays settled.
    bool isSettled(double x, double v, double epsilon = rest) const;
    // The first time the motion from (x0, v0) is settled.
    double settlingTime(double x0, double v0, double epsilon = rest) const;
    // The next two times (after 0) at which the motion from (x0, v0) turns back, its velocity
    // nought: where it stands farthest from its target each way. A damped motion turns at most
    // once; fewer times when it never turns.
    std::vector<double> turningTimes(double x0, double v0) const;

    friend bool operator==(const Spring&, const Spring&) = default;
};

class Animation {
public:
    enum class Curve { linear, easeIn, easeOut, easeInOut, spring };

    static Animation linear(double duration = 0.35);
    static Animation easeIn(double duration = 0.35);
    static Animation easeOut(double duration = 0.35);
    static Animation easeInOut(double duration = 0.35);
    static Animation spring(double response = 0.5, double dampingFraction = 0.825, double blendDuration = 0);
    // The platform's default animation: a critically damped spring.
    static Animation standard() { return spring(0.55, 1.0); }

    Animation delay(double seconds) const;
    Animation speed(double factor) const;
    // `count` runs in all; with `autoreverses` every second run goes backwards.
    Animation repeatCount(int count, bool autoreverses = true) const;
    Animation repeatForever(bool autoreverses = true) const;

    Curve curve() const { return curve_; }
    double duration() const { return duration_; }
    double delaySeconds() const { return delay_; }
    double speedFactor() const { return speed_; }
    const Spring& springParameters() const { return spring_; }
    double blendDuration() const { return blend_; }
    bool repeatsForever() const { return repeatForever_; }
    int repeatCountValue() const { return repeatCount_; }
    bool autoreverses() const { return autoreverses_; }

    // The eased fraction of a timing curve at `p` (0...1) and its derivative.
    double ease(double p) const;
    double easeSlope(double p) const;
    // Seconds one run takes (a spring: until it settles from a unit displacement).
    double runDuration() const;

    friend bool operator==(const Animation&, const Animation&) = default;

private:
    Curve curve_ = Curve::easeInOut;
    double duration_ = 0.35;
    Spring spring_;
    double blend_ = 0;
    double delay_ = 0;
    double speed_ = 1;
    int repeatCount_ = 1;
    bool repeatForever_ = false;
    bool autoreverses_ = false;
};

// One animation of a vector of numbers from `from` to `to`, started at `start` (monotonic
// seconds). A spring starts with `velocity`. During the animation's delay the track that it
// replaced, when given, goes on, and the spring takes over from that track's value and
// velocity at the end of the delay.
class AnimationTrack {
public:
    // A spring comes to rest within `rest` of its target (in the values' own units).
    AnimationTrack(Animation animation, AnimatableData from, AnimatableData to, AnimatableData velocity,
                   double start, std::shared_ptr<const AnimationTrack> replaced = nullptr,
                   double rest = Spring::rest);

    struct Sample {
        AnimatableData value;
        AnimatableData velocity;
        bool finished = false;
    };
    Sample sample(double now) const;

    const Animation& animation() const { return animation_; }
    const AnimatableData& target() const { return to_; }
    // The moments after `now` (monotonic) at which this motion stands farthest from where it
    // goes, each way: a spring's overshoot at its farthest, a repeating curve's ends. Values
    // between are nearer its target (or its start) than the values at these moments.
    std::vector<double> turningTimes(double now) const;
    // False for an animation that repeats forever.
    bool ends() const { return !animation_.repeatsForever(); }
    // The same motion moved by `delta` (a target changed without animation while it runs).
    std::shared_ptr<const AnimationTrack> shifted(const AnimatableData& delta) const;
    // The same motion held still from `now` for `seconds`, then going on from where it stood.
    std::shared_ptr<const AnimationTrack> postponed(double now, double seconds) const;

private:
    // The motion's own time at monotonic `now`, which stands still while it is held, and back.
    double clockAt(double now) const { return now < heldFrom_ ? now : std::max(heldFrom_, now - heldFor_); }
    double realAt(double clock) const { return clock < heldFrom_ ? clock : clock + heldFor_; }
    std::vector<double> turningClock(double now) const;
    void sampleSpring(double t, Sample& out) const;
    void sampleCurve(double t, Sample& out) const;
    // A spring whose response blends in from the replaced spring's: stepped over the blend.
    void stepBlend(double t, AnimatableData& x, AnimatableData& v) const;

    Animation animation_;
    AnimatableData from_, to_, velocity_;
    double start_ = 0;
    double rest_ = Spring::rest;
    std::shared_ptr<const AnimationTrack> replaced_;  // only while the delay runs
    std::optional<Spring> blendFrom_;
    double heldFrom_ = infinity;
    double heldFor_ = 0;
};

// Whether two animatable vectors differ enough to be worth animating.
bool differs(const AnimatableData& a, const AnimatableData& b);

}  // namespace quorlix::ui
