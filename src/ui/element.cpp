#include "ui/element.h"

#include "ui/context.h"
#include "ui/environment_keys.h"

#include <algorithm>
#include <cmath>

namespace quorlix::ui {

namespace {

// An element with no content: the empty view in a single-child position.
class EmptyElement final : public Element {
public:
    explicit EmptyElement(const BuildScope& scope) : Element(scope, "EmptyView") {}
    bool isEmpty() const override { return true; }

protected:
    Size measure(const ProposedSize&) override { return {}; }
};

bool sameLength(const std::optional<double>& a, const std::optional<double>& b) {
    if (a.has_value() != b.has_value()) return false;
    return !a || *a == *b || (std::isinf(*a) && std::isinf(*b));
}

}  // namespace

std::uint64_t detail::slotKey(const BuildScope& scope, std::uint64_t tag) { return scope.identity.child(tag).value; }

void TreeServices::observe(ObservableObject* object) {
    if (std::find(observed_.begin(), observed_.end(), object) == observed_.end()) observed_.push_back(object);
}

Element::Element(const BuildScope& scope, const char* role)
    : identity(scope.identity), role(role), services(scope.services), animation(scope.animation) {}

Element* Element::add(std::unique_ptr<Element> child) {
    child->parent = this;
    children.push_back(std::move(child));
    return children.back().get();
}

Size Element::sizeThatFits(const ProposedSize& proposal) {
    for (int i = 0; i < memoCount_; ++i) {
        const Memo& m = memo_[static_cast<std::size_t>(i)];
        if (sameLength(m.proposal.width, proposal.width) && sameLength(m.proposal.height, proposal.height))
            return m.size;
    }
    Size s = measure(proposal);
    s.width = std::max(0.0, s.width);
    s.height = std::max(0.0, s.height);
    memo_[static_cast<std::size_t>(memoNext_)] = {proposal, s};
    memoNext_ = (memoNext_ + 1) % static_cast<int>(memo_.size());
    memoCount_ = std::min(memoCount_ + 1, static_cast<int>(memo_.size()));
    return s;
}

void Element::place(const Rect& f) {
    frame = f;
    placeChildren(f.size);
}

void Element::placeChildren(Size size) {
    for (auto& c : children) {
        c->sizeThatFits(size);
        c->place({{0, 0}, size});
    }
}

std::optional<double> Element::baseline(const ProposedSize& proposal, bool last) {
    if (children.size() != 1) return std::nullopt;
    return child()->baseline(proposal, last);
}

double Element::layoutPriority() const { return children.size() == 1 ? child()->layoutPriority() : 0; }

void Element::decorate(DisplayItem&, Point) const {}

DisplayItem Element::makeItem(Point parentOrigin) const {
    DisplayItem item;
    item.role = role;
    item.identity = identity;
    item.explicitId = explicitId;
    item.animation = animation;
    item.frame = frame.offsetBy(parentOrigin.x, parentOrigin.y);
    return item;
}

void Element::render(DisplayItem& parentItem, Point parentOrigin) const {
    DisplayItem item = makeItem(parentOrigin);
    const Transform local = effectTransform();
    if (!local.isIdentity()) {
        const Point o = item.frame.origin;
        item.transform = Transform::translation(-o.x, -o.y).then(local).then(Transform::translation(o.x, o.y));
    }
    decorate(item, item.frame.origin);
    for (const auto& c : children) c->render(item, item.frame.origin);
    parentItem.children.push_back(std::move(item));
}

void Element::collectPreferences(PreferenceValues& out) const {
    for (const auto& c : children) {
        PreferenceValues values;
        c->collectPreferences(values);
        out.merge(values);
    }
}

Transform Element::toRoot() const {
    Transform t;
    for (const Element* e = this; e; e = e->parent) {
        t = t.then(e->effectTransform()).then(Transform::translation(e->frame.x(), e->frame.y()));
    }
    return t;
}

Transform Element::toSpaceOf(const Element& other) const {
    // Through the nearest common ancestor, so frames of ancestors not yet placed do not matter.
    std::vector<const Element*> mine, theirs;
    for (const Element* e = this; e; e = e->parent) mine.push_back(e);
    for (const Element* e = &other; e; e = e->parent) theirs.push_back(e);
    while (!mine.empty() && !theirs.empty() && mine.back() == theirs.back()) {
        mine.pop_back();
        theirs.pop_back();
    }
    auto up = [](const std::vector<const Element*>& chain) {
        Transform t;
        for (const Element* e : chain)
            t = t.then(e->effectTransform()).then(Transform::translation(e->frame.x(), e->frame.y()));
        return t;
    };
    const Transform a = up(mine);
    const auto b = up(theirs).inverted();
    return b ? a.then(*b) : a;
}

Point alignedOrigin(Alignment a, Size outer, Size inner) {
    const double freeX = outer.width - inner.width, freeY = outer.height - inner.height;
    const double x = a.horizontal == HorizontalAlignment::leading    ? 0
                     : a.horizontal == HorizontalAlignment::trailing ? freeX
                                                                     : freeX / 2;
    const double y = a.vertical == VerticalAlignment::top || a.vertical == VerticalAlignment::firstTextBaseline ? 0
                     : a.vertical == VerticalAlignment::bottom                                                  ? freeY
                                                                                                                : freeY / 2;
    return {x, y};
}

std::unique_ptr<Element> buildElement(const Node& node, const BuildScope& scope) {
    auto e = node.build(scope);
    if (!e) e = std::make_unique<EmptyElement>(scope);
    return e;
}

std::unique_ptr<Element> buildElement(const std::shared_ptr<const Node>& node, const BuildScope& scope) {
    return buildElement(*node, scope);
}

void buildChildren(const std::vector<View>& views, const BuildScope& scope, Element& into) {
    std::vector<std::unique_ptr<Element>> out;
    for (std::size_t i = 0; i < views.size(); ++i) views[i].node()->expand(scope, i, out);
    for (auto& e : out) into.add(std::move(e));
}

void Node::expand(const BuildScope& scope, std::uint64_t key, std::vector<std::unique_ptr<Element>>& out) const {
    if (isEmpty()) return;
    out.push_back(buildElement(*this, scope.child(key)));
}

std::unique_ptr<Element> CustomNodeBase::build(const BuildScope& scope) const {
    const BuildScope inner = scope.child(typeHash());
    Context ctx(scope, typeHash());
    const View body = evaluate(ctx);
    return buildElement(body.node(), inner);
}

void CustomNodeBase::expand(const BuildScope& scope, std::uint64_t key,
                            std::vector<std::unique_ptr<Element>>& out) const {
    // A body that is a group or a condition adds its views to the container directly.
    const BuildScope mine = scope.child(key);
    Context ctx(mine, typeHash());
    const View body = evaluate(ctx);
    body.node()->expand(mine, typeHash(), out);
}

void PreferenceValues::set(const PreferenceKeyBase* key, std::shared_ptr<const void> value) {
    for (auto& [k, v] : entries_) {
        if (k == key) {
            v = std::move(value);
            return;
        }
    }
    entries_.emplace_back(key, std::move(value));
}

void PreferenceValues::merge(const PreferenceValues& next) {
    for (const auto& [k, v] : next.entries_) {
        if (const auto* mine = find(k)) set(k, k->reduce(*mine, v));
        else entries_.emplace_back(k, v);
    }
}

const std::shared_ptr<const void>* PreferenceValues::find(const PreferenceKeyBase* key) const {
    for (const auto& [k, v] : entries_)
        if (k == key) return &v;
    return nullptr;
}

Rect GeometryProxy::operator[](const Anchor& anchor) const {
    const auto mine = frame_.lock();
    const auto theirs = anchor.frame.lock();
    if (!mine || !theirs || mine != theirs || !anchor.element || !element_) return {};
    return anchor.element->toSpaceOf(*element_).mapBounds(anchor.bounds);
}

Rect GeometryProxy::frame(CoordinateSpace space) const {
    if (space == CoordinateSpace::local || !element_ || frame_.expired()) return {{0, 0}, size_};
    return element_->toRoot().mapBounds({{0, 0}, size_});
}

ColorScheme Context::colorScheme() const { return scope_.environment[env::colorScheme]; }

}  // namespace quorlix::ui
