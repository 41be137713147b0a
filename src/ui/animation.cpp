#include "ui/animation.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace quorlix::ui {

namespace {

constexpr double twoPi = 2 * std::numbers::pi;

struct Bezier {
    double x1, y1, x2, y2;
    static double at(double a, double b, double s) {
        // A cubic from 0 to 1 with control values a and b.
        const double u = 1 - s;
        return 3 * u * u * s * a + 3 * u * s * s * b + s * s * s;
    }
    static double slope(double a, double b, double s) {
        const double u = 1 - s;
        return 3 * u * u * a + 6 * u * s * (b - a) + 3 * s * s * (1 - b);
    }
    // The curve parameter whose x is `p`.
    double solve(double p) const {
        double s = p;
        for (int i = 0; i < 8; ++i) {
            const double err = at(x1, x2, s) - p;
            if (std::abs(err) < 1e-9) return s;
            const double d = slope(x1, x2, s);
            if (std::abs(d) < 1e-9) break;
            s = std::clamp(s - err / d, 0.0, 1.0);
        }
        double lo = 0, hi = 1;
        s = p;
        for (int i = 0; i < 60; ++i) {
            if (at(x1, x2, s) < p) lo = s;
            else hi = s;
            s = (lo + hi) / 2;
        }
        return s;
    }
};

Bezier bezierFor(Animation::Curve c) {
    switch (c) {
        case Animation::Curve::easeIn: return {0.42, 0, 1, 1};
        case Animation::Curve::easeOut: return {0, 0, 0.58, 1};
        case Animation::Curve::easeInOut: return {0.42, 0, 0.58, 1};
        default: return {1.0 / 3, 1.0 / 3, 2.0 / 3, 2.0 / 3};
    }
}

double component(const AnimatableData& d, std::size_t i) { return i < d.size() ? d[i] : 0.0; }

}  // namespace

// ---- Spring ----

double Spring::stiffness() const {
    const double w = twoPi / response;
    return w * w;
}

double Spring::damping() const { return 2 * twoPi * dampingFraction / response; }

Spring::Basis Spring::basis(double t) const {
    if (!(response > 0) || t <= 0) return {};
    const double w0 = twoPi / response;
    const double z = std::max(0.0, dampingFraction);
    if (std::abs(z - 1) < 1e-9) {
        const double e = std::exp(-w0 * t);
        return {e * (1 + w0 * t), e * t, -e * w0 * w0 * t, e * (1 - w0 * t)};
    }
    if (z < 1) {
        const double wd = w0 * std::sqrt(1 - z * z);
        const double e = std::exp(-z * w0 * t), c = std::cos(wd * t), s = std::sin(wd * t);
        return {e * (c + z * w0 / wd * s), e * s / wd, -e * w0 * w0 / wd * s, e * (c - z * w0 / wd * s)};
    }
    const double root = w0 * std::sqrt(z * z - 1);
    const double r1 = -z * w0 + root, r2 = -z * w0 - root;
    const double e1 = std::exp(r1 * t), e2 = std::exp(r2 * t), n = r1 - r2;
    return {(-r2 * e1 + r1 * e2) / n, (e1 - e2) / n, r1 * r2 * (e2 - e1) / n, (r1 * e1 - r2 * e2) / n};
}

double Spring::position(double x0, double v0, double t) const {
    const Basis b = basis(t);
    return x0 * b.a + v0 * b.b;
}

double Spring::velocity(double x0, double v0, double t) const {
    const Basis b = basis(t);
    return x0 * b.c + v0 * b.d;
}

bool Spring::isSettled(double x, double v, double epsilon) const {
    if (!(response > 0)) return true;
    return x * x + v * v / stiffness() < epsilon * epsilon;
}

double Spring::settlingTime(double x0, double v0, double epsilon) const {
    if (isSettled(x0, v0, epsilon)) return 0;
    auto settledAt = [&](double t) {
        const Basis b = basis(t);
        return isSettled(x0 * b.a + v0 * b.b, x0 * b.c + v0 * b.d, epsilon);
    };
    double hi = response > 0 ? response : 0.01;
    while (!settledAt(hi) && hi < 600) hi *= 2;
    double lo = 0;
    for (int i = 0; i < 60; ++i) {
        const double mid = (lo + hi) / 2;
        if (settledAt(mid)) hi = mid;
        else lo = mid;
    }
    return hi;
}

std::vector<double> Spring::turningTimes(double x0, double v0) const {
    std::vector<double> times;
    if (!(response > 0) || (x0 == 0 && v0 == 0)) return times;
    const double w0 = twoPi / response;
    const double z = std::max(0.0, dampingFraction);
    if (z < 1 - 1e-9) {
        // v(t) is a damped sine of the motion's own period: it is nought every half period.
        const double wd = w0 * std::sqrt(1 - z * z);
        double phase = std::atan2(v0 * wd, x0 * w0 * w0 + v0 * z * w0);
        if (phase <= 1e-9) phase += std::numbers::pi;
        times = {phase / wd, (phase + std::numbers::pi) / wd};
        return times;
    }
    double t = -1;
    if (z < 1 + 1e-9) {
        // v(t) = e^(-w0 t) (v0 - (x0 w0² + v0 w0) t).
        const double d = x0 * w0 * w0 + v0 * w0;
        if (d != 0) t = v0 / d;
    } else {
        // Two exponentials: v(t) is nought where e^((r1 - r2) t) = r2 (v0 - x0 r1) / (r1 (v0 - x0 r2)).
        const double root = w0 * std::sqrt(z * z - 1);
        const double r1 = -z * w0 + root, r2 = -z * w0 - root;
        const double den = r1 * (v0 - x0 * r2);
        const double ratio = den != 0 ? r2 * (v0 - x0 * r1) / den : -1;
        if (ratio > 0) t = std::log(ratio) / (r1 - r2);
    }
    if (t > 1e-9) times.push_back(t);
    return times;
}

// ---- Animation ----

Animation Animation::linear(double duration) {
    Animation a;
    a.curve_ = Curve::linear;
    a.duration_ = std::max(0.0, duration);
    return a;
}

Animation Animation::easeIn(double duration) {
    Animation a = linear(duration);
    a.curve_ = Curve::easeIn;
    return a;
}

Animation Animation::easeOut(double duration) {
    Animation a = linear(duration);
    a.curve_ = Curve::easeOut;
    return a;
}

Animation Animation::easeInOut(double duration) {
    Animation a = linear(duration);
    a.curve_ = Curve::easeInOut;
    return a;
}

Animation Animation::spring(double response, double dampingFraction, double blendDuration) {
    Animation a;
    a.curve_ = Curve::spring;
    a.spring_ = {std::max(0.0, response), std::max(0.0, dampingFraction)};
    a.blend_ = std::max(0.0, blendDuration);
    a.duration_ = 0;
    return a;
}

Animation Animation::delay(double seconds) const {
    Animation a = *this;
    a.delay_ = std::max(0.0, seconds);
    return a;
}

Animation Animation::speed(double factor) const {
    Animation a = *this;
    if (factor > 0) a.speed_ = factor;
    return a;
}

Animation Animation::repeatCount(int count, bool autoreverses) const {
    Animation a = *this;
    a.repeatCount_ = std::max(1, count);
    a.repeatForever_ = false;
    a.autoreverses_ = autoreverses;
    return a;
}

Animation Animation::repeatForever(bool autoreverses) const {
    Animation a = *this;
    a.repeatForever_ = true;
    a.autoreverses_ = autoreverses;
    return a;
}

double Animation::ease(double p) const {
    p = std::clamp(p, 0.0, 1.0);
    if (curve_ == Curve::linear) return p;
    if (curve_ == Curve::spring) return 1 - spring_.position(1, 0, p * runDuration());
    const Bezier b = bezierFor(curve_);
    return Bezier::at(b.y1, b.y2, b.solve(p));
}

double Animation::easeSlope(double p) const {
    p = std::clamp(p, 0.0, 1.0);
    if (curve_ == Curve::linear) return 1;
    if (curve_ == Curve::spring) return -spring_.velocity(1, 0, p * runDuration()) * runDuration();
    const Bezier b = bezierFor(curve_);
    const double s = b.solve(p);
    const double dx = Bezier::slope(b.x1, b.x2, s);
    return dx > 1e-9 ? Bezier::slope(b.y1, b.y2, s) / dx : 0;
}

double Animation::runDuration() const {
    if (curve_ == Curve::spring) return spring_.settlingTime(1, 0);
    return duration_;
}

// ---- AnimationTrack ----

AnimationTrack::AnimationTrack(Animation animation, AnimatableData from, AnimatableData to,
                               AnimatableData velocity, double start,
                               std::shared_ptr<const AnimationTrack> replaced, double rest)
    : animation_(std::move(animation)),
      from_(std::move(from)),
      to_(std::move(to)),
      velocity_(std::move(velocity)),
      start_(start),
      rest_(rest) {
    if (replaced && animation_.curve() == Animation::Curve::spring && animation_.blendDuration() > 0 &&
        replaced->animation().curve() == Animation::Curve::spring)
        blendFrom_ = replaced->animation().springParameters();
    if (replaced && animation_.delaySeconds() > 0) {
        // The old motion goes on during the delay; this one takes over where it stands then.
        const Sample handover = replaced->sample(start_ + animation_.delaySeconds());
        if (handover.value.size() == to_.size()) {
            from_ = handover.value;
            velocity_ = handover.velocity;
        }
        replaced_ = std::move(replaced);
    }
}

AnimationTrack::Sample AnimationTrack::sample(double now) const {
    now = clockAt(now);
    Sample out;
    const double t = (now - start_ - animation_.delaySeconds()) * animation_.speedFactor();
    if (t < 0) {
        if (replaced_) {
            out = replaced_->sample(now);
            out.finished = false;
            return out;
        }
        out.value = from_;
        out.velocity.assign(to_.size(), 0.0);
        return out;
    }
    if (animation_.curve() == Animation::Curve::spring && animation_.repeatCountValue() == 1 &&
        !animation_.repeatsForever())
        sampleSpring(t, out);
    else
        sampleCurve(t, out);
    return out;
}

void AnimationTrack::stepBlend(double t, AnimatableData& x, AnimatableData& v) const {
    const Spring to = animation_.springParameters();
    const double blend = animation_.blendDuration();
    const double end = std::min(t, blend);
    const int steps = std::max(1, static_cast<int>(std::ceil(end * 240)));
    const double dt = end / steps;
    for (int i = 0; i < steps; ++i) {
        const double f = std::min(1.0, (i + 0.5) * dt / blend);
        const Spring s{blendFrom_->response + (to.response - blendFrom_->response) * f,
                       blendFrom_->dampingFraction + (to.dampingFraction - blendFrom_->dampingFraction) * f};
        const Spring::Basis b = s.basis(dt);
        for (std::size_t k = 0; k < x.size(); ++k) {
            const double nx = x[k] * b.a + v[k] * b.b;
            v[k] = x[k] * b.c + v[k] * b.d;
            x[k] = nx;
        }
    }
}

void AnimationTrack::sampleSpring(double t, Sample& out) const {
    const Spring& spring = animation_.springParameters();
    const std::size_t n = to_.size();
    AnimatableData x(n), v(n);
    for (std::size_t i = 0; i < n; ++i) {
        x[i] = component(from_, i) - to_[i];
        v[i] = component(velocity_, i);
    }
    double rest = t;
    if (blendFrom_) {
        stepBlend(t, x, v);
        rest = std::max(0.0, t - animation_.blendDuration());
    }
    const Spring::Basis b = spring.basis(rest);
    out.value.resize(n);
    out.velocity.resize(n);
    bool settled = true;
    for (std::size_t i = 0; i < n; ++i) {
        const double xi = x[i] * b.a + v[i] * b.b;
        const double vi = (x[i] * b.c + v[i] * b.d) * animation_.speedFactor();
        out.value[i] = to_[i] + xi;
        out.velocity[i] = vi;
        if (!spring.isSettled(xi, vi / animation_.speedFactor(), rest_)) settled = false;
    }
    if (settled && (!blendFrom_ || t >= animation_.blendDuration())) {
        out.value = to_;
        out.velocity.assign(n, 0.0);
        out.finished = true;
    }
}

void AnimationTrack::sampleCurve(double t, Sample& out) const {
    const std::size_t n = to_.size();
    const double run = animation_.runDuration();
    const double runs = animation_.repeatsForever() ? infinity : animation_.repeatCountValue();
    if (run <= 0 || t >= run * runs) {
        out.value = to_;
        out.velocity.assign(n, 0.0);
        out.finished = true;
        return;
    }
    const double k = std::floor(t / run);
    double p = (t - k * run) / run;
    double direction = 1;
    if (animation_.autoreverses() && static_cast<long long>(k) % 2 == 1) {
        p = 1 - p;
        direction = -1;
    }
    const double e = animation_.ease(p);
    const double slope = animation_.easeSlope(p) / run * animation_.speedFactor() * direction;
    out.value.resize(n);
    out.velocity.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double span = to_[i] - component(from_, i);
        out.value[i] = component(from_, i) + span * e;
        out.velocity[i] = span * slope;
    }
}

std::vector<double> AnimationTrack::turningTimes(double now) const {
    std::vector<double> times = turningClock(clockAt(now));
    for (double& t : times) t = realAt(t);
    return times;
}

std::vector<double> AnimationTrack::turningClock(double now) const {
    std::vector<double> times;
    const double begins = start_ + animation_.delaySeconds();
    const double speed = animation_.speedFactor();
    const double t = (now - begins) * speed;
    if (t < 0 && replaced_)
        for (const double at : replaced_->turningTimes(now))
            if (at < begins) times.push_back(at);
    const double from = std::max(t, 0.0);
    if (animation_.curve() == Animation::Curve::spring && animation_.repeatCountValue() == 1 &&
        !animation_.repeatsForever()) {
        // The component that moves most leads: the others follow the same spring, near enough.
        const Sample s = sample(realAt(begins + from / speed));
        const Spring& spring = animation_.springParameters();
        double x = 0, v = 0, most = -1;
        for (std::size_t i = 0; i < to_.size() && i < s.value.size(); ++i) {
            const double xi = s.value[i] - to_[i], vi = s.velocity[i] / speed;
            const double energy = xi * xi + vi * vi / spring.stiffness();
            if (energy > most) most = energy, x = xi, v = vi;
        }
        for (const double after : spring.turningTimes(x, v)) times.push_back(begins + (from + after) / speed);
        return times;
    }
    // A curve runs from its start to its end and no farther: a repeating one turns at the ends
    // of its runs.
    const double run = animation_.runDuration();
    if (run <= 0 || !(animation_.repeatsForever() || animation_.repeatCountValue() > 1)) return times;
    const double runs = animation_.repeatsForever() ? infinity : animation_.repeatCountValue();
    const double k = std::floor(from / run);
    for (double next = k + 1; next <= k + 2 && next <= runs; ++next)
        times.push_back(begins + next * run / speed);
    return times;
}

std::shared_ptr<const AnimationTrack> AnimationTrack::shifted(const AnimatableData& delta) const {
    auto moved = std::make_shared<AnimationTrack>(*this);
    for (std::size_t i = 0; i < delta.size(); ++i) {
        if (i < moved->from_.size()) moved->from_[i] += delta[i];
        if (i < moved->to_.size()) moved->to_[i] += delta[i];
    }
    if (replaced_) moved->replaced_ = replaced_->shifted(delta);
    return moved;
}

std::shared_ptr<const AnimationTrack> AnimationTrack::postponed(double now, double seconds) const {
    auto later = std::make_shared<AnimationTrack>(*this);
    // The motion's own time stands at what it is now until `seconds` have passed.
    later->heldFrom_ = clockAt(now);
    later->heldFor_ = now + seconds - later->heldFrom_;
    return later;
}

bool differs(const AnimatableData& a, const AnimatableData& b) {
    if (a.size() != b.size()) return true;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::abs(a[i] - b[i]) > 1e-9) return true;
    return false;
}

}  // namespace quorlix::ui
