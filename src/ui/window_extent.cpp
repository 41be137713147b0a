#include "ui/window_extent.h"

#include "ui/region.h"
#include "ui/view_graph.h"

#include <algorithm>
#include <cmath>

namespace quorlix::ui {

namespace {

// What a subtree draws, in its parent's space; nothing for a subtree faded out.
Rect drawn(const DisplayItem& item) { return item.opacity <= 0 ? Rect{} : item.visualBounds(); }

// Out to whole points, so the window's edges fall on pixels and a fraction's change moves
// nothing.
Rect roundedOut(const Rect& r) {
    const double x0 = std::floor(r.minX()), y0 = std::floor(r.minY());
    return {x0, y0, std::ceil(r.maxX()) - x0, std::ceil(r.maxY()) - y0};
}

// Whether `inner` lies within `outer`, but for `slack` along its edges.
bool holds(const Rect& outer, const Rect& inner, double slack = 0) {
    return inner.isEmpty() || (inner.minX() >= outer.minX() - slack && inner.minY() >= outer.minY() - slack &&
                               inner.maxX() <= outer.maxX() + slack && inner.maxY() <= outer.maxY() + slack);
}

}  // namespace

void WindowExtent::setLimit(const Rect& limit) {
    limit_ = limit;
    if (!rect_.isEmpty()) rect_ = fit(drawn_);
}

bool WindowExtent::setInputRegion(const std::vector<Rect>& areas, ViewGraph& graph, bool frameDue) {
    input_ = areas;
    return !rect_.isEmpty() && !frameDue && settle(graph);
}

bool WindowExtent::update(ViewGraph& graph) { return settle(graph); }

Rect WindowExtent::fit(const Rect& drawn) const {
    Rect r = drawn;
    for (const Rect& area : input_) r = unionOf(r, area);
    r = roundedOut(intersectionOf(r, limit_));
    // A window has a pixel at the least: one of the limit's.
    if (r.isEmpty()) return roundedOut(Rect(limit_.origin, {1, 1}));
    return r;
}

Rect WindowExtent::reach(ViewGraph& graph) {
    Rect r = unionOf(drawn(graph.shown()), drawn(graph.displayList()));
    for (const ViewGraph::Turn& turn : graph.turns()) r = unionOf(r, drawn(turn.list));
    return r;
}

bool WindowExtent::staysWithin(ViewGraph& graph, const Rect& end, const Rect& shown) {
    if (!holds(end, intersectionOf(shown, limit_), slack)) return false;
    const double now = graph.presentedAt();
    if (now < beyondUntil_) return false;
    for (const ViewGraph::Turn& turn : graph.turns())
        if (!holds(end, intersectionOf(drawn(turn.list), limit_), slack))
            beyondUntil_ = std::max(beyondUntil_, turn.at);
    return now >= beyondUntil_;
}

bool WindowExtent::settle(ViewGraph& graph) {
    const Rect target = drawn(graph.displayList());
    const Rect shown = drawn(graph.shown());
    drawn_ = unionOf(target, shown);
    const Rect end = fit(target);
    if (!graph.isAnimating()) return set(end);

    const bool moved = graph.updates() != update_;
    if (moved) {
        update_ = graph.updates();
        beyondUntil_ = 0;
    }
    // Grown at once to all the motion reaches: when the frame needs more room than the window
    // has, or a new layout sets off a motion that will need it. A motion that goes past where
    // it ends by no more than the slack grows the window only to where it ends.
    const auto grown = [&] {
        const Rect far = fit(reach(graph));
        return holds(end, far, slack) ? end : far;
    };
    if (rect_.isEmpty() || !holds(rect_, fit(drawn_), slack)) return set(grown());
    if (moved) {
        const Rect far = grown();
        if (!holds(rect_, far, slack)) return set(far);
    }
    // Shrunk once the rest of the motion stays within where it ends, never at the frame that
    // brought a new layout: the input region that goes with it is told after that frame.
    if (moved || rect_ == end || !staysWithin(graph, end, shown)) return false;
    return set(end);
}

bool WindowExtent::set(const Rect& extent) {
    if (extent == rect_) return false;
    rect_ = extent;
    return true;
}

}  // namespace quorlix::ui
