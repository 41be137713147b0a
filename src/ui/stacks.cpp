// Containers: stacks, groups, ForEach, conditions, scroll views and geometry readers.

#include "ui/block_pool.h"
#include "ui/element.h"
#include "ui/environment_keys.h"
#include "ui/stack_axis.h"
#include "ui/views.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace quorlix::ui {

namespace {

constexpr double defaultSpacing = 8;

using detail::across;
using detail::along;
using detail::make;
using detail::makeSize;

class SpacerElement final : public Element {
public:
    SpacerElement(const BuildScope& scope, std::optional<double> minLength)
        : Element(scope, "Spacer"), explicitMin_(minLength) {}
    bool isSpacer() const override { return true; }
    bool sameAs(const Element& old) const override {
        const auto& o = sameType<SpacerElement>(old);
        return explicitMin_ == o.explicitMin_ && axis_ == o.axis_ && min_ == o.min_;
    }
    void configureSpacer(Axis axis, double stackSpacing) override {
        axis_ = axis;
        min_ = explicitMin_.value_or(stackSpacing);
    }

protected:
    Size measure(const ProposedSize& p) override {
        if (!axis_) {
            // Outside a stack a spacer stretches both ways.
            return {std::max(p.width.value_or(0), min_), std::max(p.height.value_or(0), min_)};
        }
        const double main = std::max(p.along(*axis_).value_or(min_), min_);
        return makeSize(*axis_, main, 0);
    }

private:
    std::optional<double> explicitMin_;
    std::optional<Axis> axis_;
    double min_ = defaultSpacing;
};

// HStack and VStack: children share the length along the axis by flexibility (least flexible
// first, each offered an equal share of what is left), grouped by layout priority.
class StackElement final : public Element {
public:
    StackElement(const BuildScope& scope, Axis axis, int alignment, std::optional<double> spacing)
        : Element(scope, axis == Axis::horizontal ? "HStack" : "VStack"),
          axis_(axis),
          alignment_(alignment),
          spacing_(spacing) {}

    void configureChildren() {
        for (auto& c : children) c->configureSpacer(axis_, spacing_.value_or(defaultSpacing));
    }
    void childrenReplaced() override { configureChildren(); }
    bool holdsGroup() const override { return holdsGroup_; }
    bool holdsGroup_ = false;
    bool sameAs(const Element& old) const override {
        const auto& o = sameType<StackElement>(old);
        return axis_ == o.axis_ && alignment_ == o.alignment_ && spacing_ == o.spacing_ &&
               holdsGroup_ == o.holdsGroup_;
    }

    bool alignsByBaseline() const override {
        return axis_ == Axis::horizontal && (alignment_ == static_cast<int>(VerticalAlignment::firstTextBaseline) ||
                                             alignment_ == static_cast<int>(VerticalAlignment::lastTextBaseline));
    }
    std::optional<double> baseline(const ProposedSize& p, bool last) override {
        const Arrangement a = arrange(p);
        std::optional<double> result;
        for (std::size_t i = 0; i < children.size(); ++i) {
            auto b = children[i]->baseline(a.proposals[i], last);
            if (!b) continue;
            const double y = (axis_ == Axis::horizontal ? a.crossOffsets[i] : a.mainOffsets[i]) + *b;
            if (axis_ == Axis::vertical) {
                if (!last) return y;
                result = y;
            } else {
                result = result ? (last ? std::max(*result, y) : std::min(*result, y)) : y;
            }
        }
        return result;
    }

protected:
    Size measure(const ProposedSize& p) override { return arrange(p).size; }

    void placeChildren(Size size) override {
        const Arrangement a = arrange(size);
        for (std::size_t i = 0; i < children.size(); ++i) {
            const Size s = a.sizes[i];
            const Point o = axis_ == Axis::horizontal ? Point{a.mainOffsets[i], a.crossOffsets[i]}
                                                      : Point{a.crossOffsets[i], a.mainOffsets[i]};
            children[i]->place({o, s});
        }
    }

private:
    struct Arrangement {
        std::vector<ProposedSize> proposals;
        std::vector<Size> sizes;
        std::vector<double> mainOffsets, crossOffsets;
        Size size;
    };

    double spacingAfter(std::size_t i) const {
        if (spacing_) return *spacing_;
        return children[i]->isSpacer() || children[i + 1]->isSpacer() ? 0 : defaultSpacing;
    }

    Arrangement arrange(const ProposedSize& p) {
        Arrangement a;
        const std::size_t n = children.size();
        a.proposals.resize(n);
        a.sizes.resize(n);
        a.mainOffsets.resize(n);
        a.crossOffsets.resize(n);
        if (n == 0) return a;
        double spacing = 0;
        for (std::size_t i = 0; i + 1 < n; ++i) spacing += spacingAfter(i);
        const std::optional<double> main = p.along(axis_);
        const std::optional<double> cross = axis_ == Axis::horizontal ? p.height : p.width;

        if (!main) {
            for (std::size_t i = 0; i < n; ++i) {
                a.proposals[i] = make(axis_, std::nullopt, cross);
                a.sizes[i] = children[i]->sizeThatFits(a.proposals[i]);
            }
        } else {
            share(a, *main - spacing, cross);
        }

        double total = spacing;
        for (std::size_t i = 0; i < n; ++i) total += along(a.sizes[i], axis_);
        double position = 0;
        for (std::size_t i = 0; i < n; ++i) {
            a.mainOffsets[i] = position;
            position += along(a.sizes[i], axis_) + (i + 1 < n ? spacingAfter(i) : 0);
        }
        a.size = makeSize(axis_, total, alignAcross(a));
        return a;
    }

    // Sizes the children along the main axis from the room the spacing leaves, the least
    // flexible first within each priority.
    void share(Arrangement& a, double room, std::optional<double> cross) {
        const std::size_t n = children.size();
        // Flexibility of each child: how much more than its minimum it can take.
        std::vector<double> minimum(n), flexibility(n);
        for (std::size_t i = 0; i < n; ++i) {
            minimum[i] = along(children[i]->sizeThatFits(make(axis_, 0.0, cross)), axis_);
            flexibility[i] =
                along(children[i]->sizeThatFits(make(axis_, infinity, cross)), axis_) - minimum[i];
        }
        // Spacers come last: they keep their minimum and take what the views leave.
        std::vector<double> priority(n);
        for (std::size_t i = 0; i < n; ++i)
            priority[i] = children[i]->isSpacer() ? -infinity : children[i]->layoutPriority();
        std::vector<std::size_t> order(n);
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(), [&](std::size_t x, std::size_t y) {
            if (priority[x] != priority[y]) return priority[x] > priority[y];
            return flexibility[x] < flexibility[y];
        });
        double remaining = room;
        std::size_t g = 0;
        while (g < n) {
            // One priority group at a time; lower groups keep their minimums reserved.
            const double level = priority[order[g]];
            std::size_t end = g;
            while (end < n && priority[order[end]] == level) ++end;
            double reserved = 0;
            for (std::size_t k = end; k < n; ++k) reserved += minimum[order[k]];
            double available = remaining - reserved;
            for (std::size_t k = g; k < end; ++k) {
                const std::size_t i = order[k];
                const double offer = std::max(0.0, available / static_cast<double>(end - k));
                a.proposals[i] = make(axis_, offer, cross);
                a.sizes[i] = children[i]->sizeThatFits(a.proposals[i]);
                available -= along(a.sizes[i], axis_);
                remaining -= along(a.sizes[i], axis_);
            }
            g = end;
        }
    }

    // Places the sized children across the stack by its alignment; returns the stack's size
    // across.
    double alignAcross(Arrangement& a) {
        const std::size_t n = children.size();
        if (alignsByBaseline()) {
            const bool last = alignment_ == static_cast<int>(VerticalAlignment::lastTextBaseline);
            std::vector<double> lines(n);
            double above = 0, below = 0;
            for (std::size_t i = 0; i < n; ++i) {
                lines[i] = children[i]->baseline(a.proposals[i], last).value_or(a.sizes[i].height);
                above = std::max(above, lines[i]);
                below = std::max(below, a.sizes[i].height - lines[i]);
            }
            for (std::size_t i = 0; i < n; ++i) a.crossOffsets[i] = above - lines[i];
            return above + below;
        }
        double crossSize = 0;
        for (std::size_t i = 0; i < n; ++i) crossSize = std::max(crossSize, across(a.sizes[i], axis_));
        for (std::size_t i = 0; i < n; ++i) {
            const double free = crossSize - across(a.sizes[i], axis_);
            // The cross alignments of both stacks map to 0 (start), 1 (centre), 2 (end).
            const int position = axis_ == Axis::horizontal
                                     ? (alignment_ == static_cast<int>(VerticalAlignment::top)      ? 0
                                        : alignment_ == static_cast<int>(VerticalAlignment::bottom) ? 2
                                                                                                    : 1)
                                     : alignment_;
            a.crossOffsets[i] = position == 0 ? 0 : position == 2 ? free : free / 2;
        }
        return crossSize;
    }

    Axis axis_;
    int alignment_;  // VerticalAlignment for HStack; HorizontalAlignment for VStack
    std::optional<double> spacing_;
};

class ZStackElement final : public Element {
public:
    ZStackElement(const BuildScope& scope, Alignment alignment) : Element(scope, "ZStack"), alignment_(alignment) {}
    bool sameAs(const Element& old) const override {
        return alignment_ == sameType<ZStackElement>(old).alignment_;
    }

protected:
    Size measure(const ProposedSize& p) override {
        Size out;
        for (auto& c : children) {
            const Size s = c->sizeThatFits(p);
            out.width = std::max(out.width, s.width);
            out.height = std::max(out.height, s.height);
        }
        return out;
    }
    void placeChildren(Size size) override {
        for (auto& c : children) {
            const Size s = c->sizeThatFits(size);
            c->place({alignedOrigin(alignment_, size, s), s});
        }
    }

private:
    Alignment alignment_;
};

class StackNode final : public Node {
public:
    StackNode(Axis axis, int alignment, std::optional<double> spacing, Views children)
        : axis_(axis), alignment_(alignment), spacing_(spacing), children_(std::move(children)) {}
    std::unique_ptr<Element> build(const BuildScope& scope) const override {
        auto e = std::make_unique<StackElement>(scope, axis_, alignment_, spacing_);
        buildChildren(children_, scope, *e);
        e->configureChildren();
        return e;
    }

private:
    Axis axis_;
    int alignment_;
    std::optional<double> spacing_;
    Views children_;
};

class ZStackNode final : public Node {
public:
    ZStackNode(Alignment alignment, Views children) : alignment_(alignment), children_(std::move(children)) {}
    std::unique_ptr<Element> build(const BuildScope& scope) const override {
        auto e = std::make_unique<ZStackElement>(scope, alignment_);
        buildChildren(children_, scope, *e);
        return e;
    }

private:
    Alignment alignment_;
    Views children_;
};

// Group, ForEach and conditions: several (or no) children under one position.
class MultiNode final : public Node {
public:
    explicit MultiNode(std::vector<std::pair<std::uint64_t, View>> items) : items_(std::move(items)) {}

    bool isEmpty() const override {
        return std::all_of(items_.begin(), items_.end(), [](const auto& i) { return i.second.isEmpty(); });
    }
    void expand(const BuildScope& scope, std::uint64_t key, std::vector<std::unique_ptr<Element>>& out) const override {
        const BuildScope mine = scope.child(key);
        for (const auto& [id, view] : items_) view.node()->expand(mine, id, out);
    }
    std::unique_ptr<Element> build(const BuildScope& scope) const override {
        std::vector<std::unique_ptr<Element>> out;
        for (const auto& [id, view] : items_) view.node()->expand(scope, id, out);
        if (out.empty()) return nullptr;
        if (out.size() == 1) return std::move(out.front());
        // Several views in a single position stand in a vertical stack, as on the platform.
        auto stack = std::make_unique<StackElement>(
            scope, Axis::vertical, static_cast<int>(HorizontalAlignment::center), std::nullopt);
        stack->holdsGroup_ = true;
        for (auto& e : out) stack->add(std::move(e));
        stack->configureChildren();
        return stack;
    }

private:
    std::vector<std::pair<std::uint64_t, View>> items_;
};

// Scrolls its content by the wheel and the trackpad; the offset is view state, so it
// survives renders, and it stays within the content.
class ScrollElement final : public Element {
public:
    ScrollElement(const BuildScope& scope, Axis axis)
        : Element(scope, "ScrollView"), axis_(axis), enabled_(scope.environment[env::isEnabled]) {
        if (scope.services && scope.services->store)
            offset_ = State<double>(scope.services->store->box<double>(detail::slotKey(scope, 0x7363726f6c6cULL),
                                                                       [] { return 0.0; }));
    }

    bool showsPartOfContent() const override { return true; }

protected:
    ProposedSize contentProposal(const ProposedSize& p) const {
        return axis_ == Axis::vertical ? ProposedSize{p.width, std::nullopt} : ProposedSize{std::nullopt, p.height};
    }
    Size measure(const ProposedSize& p) override {
        const Size content = child() ? child()->sizeThatFits(contentProposal(p)) : Size{};
        return p.replacingUnspecified(content);
    }
    void placeChildren(Size size) override {
        if (!child()) return;
        const Size s = child()->sizeThatFits(contentProposal(size));
        range_ = std::max(0.0, along(s, axis_) - along(size, axis_));
        const double offset = std::clamp(offset_.get(), 0.0, range_);
        const Point o = axis_ == Axis::vertical ? Point{(size.width - s.width) / 2, -offset}
                                                : Point{-offset, (size.height - s.height) / 2};
        child()->place({o, s});
    }
    void decorate(DisplayItem& item, Point) const override {
        Path clip;
        clip.addRect(item.frame);
        item.clip = clip;
        item.clipAntialiased = false;
        if (!enabled_ || range_ <= 0) return;
        auto interaction = std::make_shared<Interaction>();
        interaction->scroll = [offset = offset_, range = range_, axis = axis_](double dx, double dy) {
            const double current = std::clamp(offset.get(), 0.0, range);
            const double next = std::clamp(current - (axis == Axis::vertical ? dy : dx), 0.0, range);
            if (next == current) return false;
            offset = next;
            return true;
        };
        item.interaction = std::move(interaction);
    }

private:
    Axis axis_;
    bool enabled_;
    State<double> offset_;
    double range_ = 0;
};

class ScrollNode final : public Node {
public:
    ScrollNode(Axis axis, View content) : axis_(axis), content_(std::move(content)) {}
    std::unique_ptr<Element> build(const BuildScope& scope) const override {
        auto e = std::make_unique<ScrollElement>(scope, axis_);
        e->add(buildElement(content_.node(), scope.child(1)));
        return e;
    }

private:
    Axis axis_;
    View content_;
};

class GeometryReaderElement final : public Element {
public:
    GeometryReaderElement(const BuildScope& scope, std::function<View(const GeometryProxy&)> content)
        : Element(scope, "GeometryReader"), scope_(scope), content_(std::move(content)) {}
    // Content that reads where the reader stands, or anchors from anywhere in the tree, is built
    // again at every render. Content that read only the size is kept while the size stays: the
    // views inside it are then built again by themselves, as anywhere else.
    bool placesAtEveryRender() const override { return *placeRead_; }
    bool buildsAgainAtEveryRender(const Element&) const override { return *placeRead_; }
    void collectKeys(std::vector<std::uint64_t>& out) const override {
        Element::collectKeys(out);
        out.insert(out.end(), contentKeys_.begin(), contentKeys_.end());
    }

protected:
    Size measure(const ProposedSize& p) override { return p.replacingUnspecified({10, 10}); }
    void placeChildren(Size size) override {
        if (!*placeRead_ && !children.empty() && size == builtFor_) {
            Element* c = children.front().get();
            c->place({{0, 0}, c->sizeThatFits(size)});
            return;
        }
        // The content depends on the size, so it is built only now that the size is known; the
        // content of the last render goes, with what it used.
        if (services) {
            for (const auto& c : children) c->collectKeys(services->released);
            services->released.insert(services->released.end(), contentKeys_.begin(), contentKeys_.end());
        }
        children.clear();
        contentKeys_.clear();
        builtFor_ = size;
        *placeRead_ = false;
        const View view =
            content_(GeometryProxy(this, size, services ? services->frame : nullptr, placeRead_));
        const BuildingFor building(services, owner, &contentKeys_);
        Element* c = add(buildElement(view.node(), scope_.child(1).withAnimation(currentAnimation())));
        const Size s = c->sizeThatFits(size);
        c->place({{0, 0}, s});
    }

private:
    BuildScope scope_;
    std::function<View(const GeometryProxy&)> content_;
    std::unordered_set<std::uint64_t> contentKeys_;
    // Whether the content asked where the reader stands (true until it is first built, so the
    // elements around it place it at every render).
    std::shared_ptr<bool> placeRead_ = std::make_shared<bool>(true);
    Size builtFor_;
};

class GeometryReaderNode final : public Node {
public:
    explicit GeometryReaderNode(std::function<View(const GeometryProxy&)> content) : content_(std::move(content)) {}
    std::unique_ptr<Element> build(const BuildScope& scope) const override {
        return std::make_unique<GeometryReaderElement>(scope, content_);
    }

private:
    std::function<View(const GeometryProxy&)> content_;
};

class SpacerNode final : public Node {
public:
    explicit SpacerNode(std::optional<double> minLength) : minLength_(minLength) {}
    std::unique_ptr<Element> build(const BuildScope& scope) const override {
        return std::make_unique<SpacerElement>(scope, minLength_);
    }

private:
    std::optional<double> minLength_;
};

class EmptyNode final : public Node {
public:
    bool isEmpty() const override { return true; }
    std::unique_ptr<Element> build(const BuildScope&) const override { return nullptr; }
};

}  // namespace

View::View() {
    static const auto empty = std::make_shared<const EmptyNode>();
    node_ = empty;
}

View Spacer::makeView() const { return View(blocks::makeShared<SpacerNode>(minLength_)); }

View HStack(const HStackOptions& o, Views children) {
    return View(blocks::makeShared<StackNode>(Axis::horizontal, static_cast<int>(o.alignment), o.spacing,
                                              std::move(children)));
}
View HStack(Views children) { return HStack(HStackOptions{}, std::move(children)); }
View VStack(const VStackOptions& o, Views children) {
    return View(blocks::makeShared<StackNode>(Axis::vertical, static_cast<int>(o.alignment), o.spacing,
                                              std::move(children)));
}
View VStack(Views children) { return VStack(VStackOptions{}, std::move(children)); }
View ZStack(const ZStackOptions& o, Views children) {
    return View(blocks::makeShared<ZStackNode>(o.alignment, std::move(children)));
}
View ZStack(Views children) { return ZStack(ZStackOptions{}, std::move(children)); }

View Group(Views children) {
    std::vector<std::pair<std::uint64_t, View>> items;
    for (std::size_t i = 0; i < children.size(); ++i) items.emplace_back(i, std::move(children[i]));
    return View(blocks::makeShared<MultiNode>(std::move(items)));
}

View If(bool condition, View then, View otherwise) {
    std::vector<std::pair<std::uint64_t, View>> items;
    items.emplace_back(condition ? 1 : 2, condition ? std::move(then) : std::move(otherwise));
    return View(blocks::makeShared<MultiNode>(std::move(items)));
}

View detail::forEach(std::vector<std::pair<std::uint64_t, View>> items) {
    return View(blocks::makeShared<MultiNode>(std::move(items)));
}

View ScrollView(const ScrollViewOptions& o, View content) {
    return View(blocks::makeShared<ScrollNode>(o.axis, std::move(content)));
}

View GeometryReader(std::function<View(const GeometryProxy&)> content) {
    return View(blocks::makeShared<GeometryReaderNode>(std::move(content)));
}

}  // namespace quorlix::ui
