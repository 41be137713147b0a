#include "settings/live_value.h"

#include "platform/main_queue.h"
#include "ui/context.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace quorlix {

namespace {

// The digits after the point that `step` needs (0.25 needs 2); at most 9.
int decimalsOf(double step) {
    for (int d = 0; d < 9; ++d) {
        const double scaled = step * std::pow(10.0, d);
        if (std::abs(scaled - std::round(scaled)) < 1e-9 * std::max(1.0, scaled)) return d;
    }
    return 9;
}

// The largest doubles a 64-bit integer holds.
constexpr double wholeMax = 9223372036854774784.0;
constexpr double wholeMin = -9223372036854775808.0;

std::string integerText(long long n) {
    char text[32];
    std::snprintf(text, sizeof text, "%lld", n);
    return text;
}

}  // namespace

double snapped(double value, double step) {
    if (!(step > 0) || !std::isfinite(value) || !std::isfinite(step)) return value;
    const double steps = value / step;
    // Beyond 2^53 steps every double is already whole: nothing to snap.
    if (!std::isfinite(steps) || std::abs(steps) > 9007199254740992.0) return value;
    const long long k = std::llround(steps);
    const double scale = std::pow(10.0, decimalsOf(step));
    return std::round(static_cast<double>(k) * step * scale) / scale;
}

std::string wholeNumberText(double value) {
    if (std::isnan(value)) return "0";
    const double rounded = std::round(std::clamp(value, wholeMin, wholeMax));
    return integerText(static_cast<long long>(rounded));
}

std::string truncatedNumberText(double value) {
    if (std::isnan(value)) return "0";
    return integerText(static_cast<long long>(std::trunc(std::clamp(value, wholeMin, wholeMax))));
}

void PendingCommit::discard() {
    work.cancel();
    if (auto d = draft.lock()) d->set(std::nullopt);
    if (preview) preview(std::nullopt);
}

void LiveCommits::add(const std::shared_ptr<PendingCommit>& commit) {
    std::erase_if(commits_, [](const auto& c) { return c.expired(); });
    for (const auto& c : commits_)
        if (c.lock() == commit) return;
    commits_.push_back(commit);
}

void LiveCommits::discardAll() {
    for (const auto& weak : commits_)
        if (auto c = weak.lock(); c && c->work.isPending()) c->discard();
    commits_.clear();
}

ui::View LiveValue::body(ui::Context& ctx) const {
    const auto draft = ctx.state<std::optional<double>>(std::nullopt);
    const auto pending = ctx.state(std::make_shared<PendingCommit>());
    if (commits) commits->add(pending.get());

    const ui::Binding<double> stored = value;
    const double step = this->step;
    const auto preview = this->preview;
    const std::shared_ptr<PendingCommit> commit = pending.get();
    const ui::Binding<double> live([draft, stored] { return draft.get() ? *draft.get() : stored.get(); },
                                   [draft, stored, step, preview, commit](double v) {
                                       draft = v;
                                       if (preview) preview(v);
                                       commit->draft = draft.weak();
                                       commit->preview = preview;
                                       commit->work = platform::MainQueue::shared().after(
                                           commitDelay, [stored, step, preview, v, weakDraft = draft.weak()] {
                                               const double x = step > 0 ? snapped(v, step) : v;
                                               if (stored.get() != x) stored.set(x);
                                               if (auto d = weakDraft.lock()) d->set(std::nullopt);
                                               if (preview) preview(std::nullopt);
                                           });
                                   });
    return content(live, draft.get().has_value());
}

}  // namespace quorlix
