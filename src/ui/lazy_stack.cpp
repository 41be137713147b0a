// Lazy stacks: a row or column of many items, of which only those inside the visible part of
// the scroll view around it have elements (built, laid out, drawn and hit). The items are
// taken to be as long along the axis as the first one, so the stack's length is known without
// building the others.

#include "ui/block_pool.h"
#include "ui/element.h"
#include "ui/stack_axis.h"
#include "ui/state.h"
#include "ui/views.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>

namespace quorlix::ui {

namespace {

using detail::across;
using detail::along;
using detail::make;
using detail::makeSize;
double along(Point p, Axis a) { return a == Axis::horizontal ? p.x : p.y; }
Point makePoint(Axis a, double main, double cross) {
    return a == Axis::horizontal ? Point{main, cross} : Point{cross, main};
}

// One item's place in the stack: its content, the item's index, and the keys of state its
// content used outside views of its own (dropped with it).
class LazySlotElement final : public Element {
public:
    LazySlotElement(const BuildScope& scope, std::size_t index) : Element(scope, "LazySlot"), index(index) {}
    void collectKeys(std::vector<std::uint64_t>& out) const override {
        Element::collectKeys(out);
        out.insert(out.end(), keys.begin(), keys.end());
    }
    std::size_t index;
    std::unordered_set<std::uint64_t> keys;

protected:
    Size measure(const ProposedSize& p) override { return child() ? child()->sizeThatFits(p) : Size{}; }
    void placeChildren(Size size) override {
        if (child()) child()->place({{0, 0}, size});
    }
};

// The first item built in a tree of its own, for its size: the stack answers its length
// before knowing which items show.
struct Probe {
    explicit Probe(FontEngine& fonts) : services(fonts), store(std::make_shared<Invalidation>()) {
        services.store = &store;
        top.identity = Identity{0};
        store.beginFrame();
    }
    TreeServices services;
    StateStore store;
    ViewRecord top;
    std::unique_ptr<Element> element;
};

class LazyStackElement final : public Element {
public:
    LazyStackElement(const BuildScope& scope, Axis axis, int alignment, double spacing, LazyItems items)
        : Element(scope, axis == Axis::horizontal ? "LazyHStack" : "LazyVStack"),
          scope_(scope),
          axis_(axis),
          alignment_(alignment),
          spacing_(spacing),
          items_(std::move(items)) {}

    // What shows follows where the scroll view around it stands.
    bool placesAtEveryRender() const override { return true; }

protected:
    Size measure(const ProposedSize& p) override {
        if (items_.count == 0) return {};
        const Size item = itemSize(make(axis_, std::nullopt, p.along(cross())));
        const double n = static_cast<double>(items_.count);
        return makeSize(axis_, n * along(item, axis_) + (n - 1) * spacing_, across(item, axis_));
    }

    void placeChildren(Size size) override {
        if (items_.count == 0) return;
        const Size item = itemSize(make(axis_, std::nullopt, across(size, axis_)));
        const double step = along(item, axis_) + spacing_;
        const Rect visible = visibleBounds(size);
        const double start = along(visible.origin, axis_);
        const double end = start + along(visible.size, axis_);
        // The items that reach into [start, end): the first whose end passes the start, the
        // last that begins before the end.
        std::size_t first = 1, last = 0;  // none
        if (end > start && step > 0 && end > 0) {
            const double length = along(item, axis_);
            first = static_cast<std::size_t>(std::max(0.0, std::floor((start - length) / step) + 1));
            last = std::min(items_.count - 1,
                            static_cast<std::size_t>(std::max(0.0, std::ceil(end / step) - 1)));
        }
        keep(first, last);
        for (auto& c : children) {
            const auto& slot = static_cast<const LazySlotElement&>(*c);
            const Size s = c->sizeThatFits(make(axis_, std::nullopt, across(size, axis_)));
            const double free = across(size, axis_) - across(s, axis_);
            const double cross = alignment_ == 0 ? 0 : alignment_ == 2 ? free : free / 2;
            c->place({makePoint(axis_, static_cast<double>(slot.index) * step, cross), s});
        }
    }

private:
    Axis cross() const { return axis_ == Axis::horizontal ? Axis::vertical : Axis::horizontal; }

    Size itemSize(const ProposedSize& p) {
        if (!services) return {};
        if (!probe_) {
            probe_ = std::make_unique<Probe>(services->fonts);
            probe_->services.textLayouts = services->textLayouts;
            const BuildingFor building(&probe_->services, &probe_->top);
            const BuildScope scope{scope_.environment, scope_.identity.child(items_.id(0)), &probe_->services,
                                   nullptr};
            probe_->element = buildElement(items_.view(0).node(), scope);
        }
        return probe_->element->sizeThatFits(p);
    }

    // The part of the stack a scroll view around it shows; all of it without one.
    Rect visibleBounds(Size size) const {
        const Rect whole{{0, 0}, size};
        for (const Element* e = parent; e; e = e->parent) {
            if (!e->showsPartOfContent()) continue;
            const Rect shown = e->toSpaceOf(*this).mapBounds({{0, 0}, e->frame.size});
            const double x0 = std::max(shown.x(), whole.x()), y0 = std::max(shown.y(), whole.y());
            const double x1 = std::min(shown.x() + shown.width(), whole.width());
            const double y1 = std::min(shown.y() + shown.height(), whole.height());
            return {{x0, y0}, {std::max(0.0, x1 - x0), std::max(0.0, y1 - y0)}};
        }
        return whole;
    }

    // Keeps the items `first` to `last` (none when first > last), building those missing and
    // dropping the others with the state they used.
    void keep(std::size_t first, std::size_t last) {
        std::vector<std::unique_ptr<Element>> kept;
        for (auto& c : children) {
            const auto& slot = static_cast<const LazySlotElement&>(*c);
            if (slot.index >= first && slot.index <= last) {
                kept.push_back(std::move(c));
            } else if (services) {
                c->collectKeys(services->released);
            }
        }
        children.clear();
        std::size_t next = 0;
        for (std::size_t i = first; i <= last && first <= last; ++i) {
            if (next < kept.size() && static_cast<const LazySlotElement&>(*kept[next]).index == i) {
                add(std::move(kept[next++]));
                continue;
            }
            const BuildScope scope = scope_.child(items_.id(i)).withAnimation(currentAnimation());
            auto slot = std::make_unique<LazySlotElement>(scope, i);
            {
                const BuildingFor building(services, owner, &slot->keys);
                slot->add(buildElement(items_.view(i).node(), scope));
            }
            add(std::move(slot));
        }
    }

    BuildScope scope_;
    Axis axis_;
    int alignment_;  // 0 start, 1 centre, 2 end, across the axis
    double spacing_;
    LazyItems items_;
    std::unique_ptr<Probe> probe_;
};

class LazyStackNode final : public Node {
public:
    LazyStackNode(Axis axis, int alignment, double spacing, LazyItems items)
        : axis_(axis), alignment_(alignment), spacing_(spacing), items_(std::move(items)) {}
    std::unique_ptr<Element> build(const BuildScope& scope) const override {
        return std::make_unique<LazyStackElement>(scope, axis_, alignment_, spacing_, items_);
    }

private:
    Axis axis_;
    int alignment_;
    double spacing_;
    LazyItems items_;
};

int crossPosition(VerticalAlignment a) {
    return a == VerticalAlignment::top ? 0 : a == VerticalAlignment::bottom ? 2 : 1;
}

}  // namespace

View detail::lazyStack(const HStackOptions& options, LazyItems items) {
    return View(blocks::makeShared<LazyStackNode>(Axis::horizontal, crossPosition(options.alignment),
                                                  options.spacing.value_or(8), std::move(items)));
}

}  // namespace quorlix::ui
