#include "ui/element.h"

#include "ui/block_pool.h"
#include "ui/context.h"
#include "ui/environment_keys.h"

#include <algorithm>
#include <cmath>
#include <typeinfo>

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

// Sizes an element keeps answered: a stack asks its children for several proposals each time
// it is measured.
constexpr std::size_t keptAnswers = 32;

bool sameLength(const std::optional<double>& a, const std::optional<double>& b) {
    if (a.has_value() != b.has_value()) return false;
    return !a || *a == *b || (std::isinf(*a) && std::isinf(*b));
}

}  // namespace

std::uint64_t detail::slotKey(const BuildScope& scope, std::uint64_t tag) { return scope.identity.child(tag).value; }

ViewRecord::~ViewRecord() { forget(); }

void ViewRecord::forget() {
    if (!services) return;
    if (const auto found = services->records.find(identity.value);
        found != services->records.end() && found->second == this)
        services->records.erase(found);
    std::erase(services->timed, this);
    services = nullptr;
}

void TreeServices::observe(ObservableObject* object) {
    if (!current) return;
    auto& observed = current->observed;
    if (std::find(observed.begin(), observed.end(), object) == observed.end()) observed.push_back(object);
}

void TreeServices::requestUpdate(double at) {
    if (!current) return;
    current->due = current->due ? std::min(*current->due, at) : at;
    if (current->services == this && std::find(timed.begin(), timed.end(), current) == timed.end())
        timed.push_back(current);
}

BuildingFor::BuildingFor(TreeServices* services, ViewRecord* record, std::unordered_set<std::uint64_t>* keys)
    : services_(services) {
    if (!services_) return;
    record_ = services_->current;
    services_->current = record;
    if (StateStore* store = services_->store) {
        view_ = store->ownerView();
        keys_ = store->ownerKeys();
        store->setOwner(record ? record->identity.value : 0, keys ? keys : record ? &record->keys : nullptr);
    }
}

BuildingFor::~BuildingFor() {
    if (!services_) return;
    services_->current = record_;
    if (StateStore* store = services_->store) store->setOwner(view_, keys_);
}

RecordScope::RecordScope(const Node& node, const BuildScope& scope, std::uint64_t key, bool expands)
    : services_(scope.services) {
    if (!services_) return;
    ++services_->evaluated;
    const Identity identity = expands ? scope.identity.child(key) : scope.identity;
    if (services_->rebuilding && services_->rebuilding->identity == identity) {
        record_ = std::move(services_->rebuilding);
    } else {
        record_ = std::make_unique<ViewRecord>();
        record_->identity = identity;
        record_->services = services_;
        auto [at, fresh] = services_->records.emplace(identity.value, record_.get());
        if (!fresh && at->second != record_.get()) services_->repeated.insert(identity.value);
        at->second = record_.get();
    }
    record_->node = node.shared_from_this();
    record_->scope = scope;
    record_->key = key;
    record_->expands = expands;
    record_->enclosing = services_->current;
    building_ = std::make_unique<BuildingFor>(services_, record_.get());
}

RecordScope::~RecordScope() {
    if (record_) built(nullptr, 0);
}

void RecordScope::built(Element* const* first, std::size_t count) {
    building_.reset();
    if (!record_) return;
    record_->count = count;
    if (count > 0) {
        record_->first = first[0];
        first[0]->records.push_back(std::move(record_));
        return;
    }
    // A view that built nothing cannot be built again alone: the view around it answers for
    // what it read.
    if (ViewRecord* e = record_->enclosing) {
        e->keys.insert(record_->keys.begin(), record_->keys.end());
        for (ObservableObject* o : record_->observed)
            if (std::find(e->observed.begin(), e->observed.end(), o) == e->observed.end())
                e->observed.push_back(o);
    }
    record_.reset();
}

Element::Element(const BuildScope& scope, const char* role)
    : identity(scope.identity),
      role(role),
      services(scope.services),
      animation(scope.animation),
      owner(scope.services ? scope.services->current : nullptr),
      builtIn(scope.services ? scope.services->render : 0) {}

Element::~Element() = default;

void* Element::operator new(std::size_t size) { return blocks::take(size); }

void Element::operator delete(void* block, std::size_t size) noexcept { blocks::give(block, size); }

bool Element::keepLayoutOf(Element& old) {
    // Every child's layout is taken where it can be, even when this element's cannot.
    const bool childrenAlike = keepLayoutsOf(children, old.children);
    const bool alike = childrenAlike && typeid(*this) == typeid(old) && identity == old.identity &&
                       explicitId == old.explicitId;
    if (!alike || !sameAs(old)) return false;
    memo_ = std::move(old.memo_);
    memoNext_ = old.memoNext_;
    placed_ = old.placed_;
    frame = old.frame;
    layoutChanged_ = old.layoutChanged_;
    changedBelow_ = old.changedBelow_;
    stamp_ = old.stamp_;
    stampRenewed_ = old.stampRenewed_;
    contentChanged_ = old.contentChanged_;
    stampedFrame_ = old.stampedFrame_;
    // Alike, it draws what the old one drew (an element holding actions never is alike).
    renderedList_ = std::move(old.renderedList_);
    renderedIndex_ = old.renderedIndex_;
    renderedChildren_ = old.renderedChildren_;
    takeWorkOf(old);
    return true;
}

Element* Element::add(std::unique_ptr<Element> child) {
    child->parent = this;
    if (child->placesAtEveryRender() || child->everyRenderBelow_)
        for (Element* e = this; e && !e->everyRenderBelow_; e = e->parent) e->everyRenderBelow_ = true;
    children.push_back(std::move(child));
    return children.back().get();
}

std::shared_ptr<const Animation> Element::currentAnimation() const {
    return !services || builtIn == services->render ? animation : services->animation;
}

void Element::collectKeys(std::vector<std::uint64_t>& out) const {
    for (const auto& r : records) out.insert(out.end(), r->keys.begin(), r->keys.end());
    for (const auto& c : children) c->collectKeys(out);
}

void Element::invalidateLayout() {
    layoutChanged_ = true;
    contentChanged_ = true;
    for (Element* e = this; e; e = e->parent) {
        e->memo_.clear();
        e->memoNext_ = 0;
        if (e != this) e->changedBelow_ = true;
    }
}

void Element::relayoutAfter(const std::vector<Element*>& fresh, const std::vector<std::unique_ptr<Element>>& old) {
    // Ancestors read more of the content than its sizes: a stack lining up text baselines reads
    // its baselines, and layout priorities pass up through single children. Where either may
    // have changed, the whole path is laid out again.
    bool prioritiesKept = fresh.size() == old.size();
    for (std::size_t i = 0; prioritiesKept && i < fresh.size(); ++i)
        prioritiesKept = fresh[i]->layoutPriority() == old[i]->layoutPriority();
    for (const Element* e = this; prioritiesKept && e; e = e->parent) prioritiesKept = !e->alignsByBaseline();
    if (!prioritiesKept) {
        invalidateLayout();
        return;
    }
    // Answers kept whole: every proposal asked since the content last changed is there.
    auto complete = [](const Element& e) { return e.placed_ && e.memo_.size() < keptAnswers; };
    bool alike = true;
    for (std::size_t i = 0; alike && i < fresh.size(); ++i) {
        Element& now = *fresh[i];
        const Element& before = *old[i];
        alike = now.identity == before.identity && complete(before) && now.isSpacer() == before.isSpacer() &&
                now.isEmpty() == before.isEmpty();
        for (std::size_t m = 0; alike && m < before.memo_.size(); ++m)
            alike = now.sizeThatFits(before.memo_[m].proposal) == before.memo_[m].size;
    }
    if (alike) {
        for (std::size_t i = 0; i < fresh.size(); ++i) fresh[i]->place(old[i]->frame);
        return;
    }
    for (Element* e = this; e; e = e->parent) {
        std::vector<Memo> asked = std::exchange(e->memo_, {});
        e->memoNext_ = 0;
        if (e == this) {
            layoutChanged_ = true;
            contentChanged_ = true;
        } else {
            e->changedBelow_ = true;
        }
        bool same = e->placed_ && asked.size() < keptAnswers;
        for (std::size_t m = 0; same && m < asked.size(); ++m)
            same = e->sizeThatFits(asked[m].proposal) == asked[m].size;
        if (same) {
            e->place(e->frame);
            return;
        }
    }
}

Size Element::sizeThatFits(const ProposedSize& proposal) {
    for (const Memo& m : memo_)
        if (sameLength(m.proposal.width, proposal.width) && sameLength(m.proposal.height, proposal.height))
            return m.size;
    Size s = measure(proposal);
    s.width = std::max(0.0, s.width);
    s.height = std::max(0.0, s.height);
    if (memo_.size() < keptAnswers) {
        memo_.push_back({proposal, s});
    } else {
        memo_[memoNext_] = {proposal, s};
        memoNext_ = (memoNext_ + 1) % keptAnswers;
    }
    return s;
}

void Element::place(const Rect& f) {
    // Children stand in their parent's space: an element placed again at the same size, with
    // nothing changed below it, keeps their places.
    const bool sameSize = placed_ && f.size == frame.size;
    frame = f;
    if (sameSize && !layoutChanged_ && !changedBelow_ && !placesAtEveryRender()) {
        // Nothing here moves: only the elements below that place at every render (readers of
        // geometry and preferences) are placed again, where they stand.
        if (everyRenderBelow_)
            for (auto& c : children)
                if (c->everyRenderBelow_ || c->placesAtEveryRender()) c->place(c->frame);
        return;
    }
    placed_ = true;
    layoutChanged_ = false;
    changedBelow_ = false;
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
    item.animation = currentAnimation();
    item.frame = frame.offsetBy(parentOrigin.x, parentOrigin.y);
    // Room for the children's items at once: an item is large, and growing the list moves
    // every item already in it.
    item.children.reserve(children.size());
    return item;
}

namespace {
// Renders of any tree, counted: what an element found out about its subtree holds for one.
std::uint64_t renderPasses = 0;
}  // namespace

bool Element::drawsAsBefore(Point parentOrigin) const {
    if (checkedIn_ == renderPasses) return drawsAsBefore_;
    checkedIn_ = renderPasses;
    const Rect at = frame.offsetBy(parentOrigin.x, parentOrigin.y);
    bool same = renderedList_ && stamp_ != 0 && !contentChanged_ && at == stampedFrame_ &&
                renderedChildren_ == children.size();
    for (std::size_t i = 0; same && i < children.size(); ++i) same = children[i]->drawsAsBefore(at.origin);
    drawsAsBefore_ = same;
    return same;
}

void Element::render(DisplayItem& parent, Point parentOrigin) const {
    if (!this->parent) ++renderPasses;
    // Nothing here or below changed since the last render: its item is that render's, and the
    // lists below it are shared with it, not made again.
    if (drawsAsBefore(parentOrigin)) {
        parent.children.push_back((*renderedList_)[renderedIndex_]);
        renderedInto_ = &parent.children.read();
        renderedIndex_ = parent.children.size() - 1;
        stampRenewed_ = false;
        return;
    }
    renderedList_.reset();
    // A child its item leaves out keeps nothing (where it went before may be another list now).
    for (const auto& c : children) c->renderedInto_ = nullptr;
    renderItem(parent, parentOrigin);
    renderedInto_ = &parent.children.read();
    renderedIndex_ = parent.children.size() - 1;
    DisplayItem& item = parent.children.edit().back();
    bool renewed = stamp_ == 0 || contentChanged_ || item.frame != stampedFrame_;
    for (const auto& c : children) renewed = renewed || c->stampRenewed_;
    if (renewed) {
        // One count for every tree: stamps of different trees never meet.
        static std::uint64_t stamps = 0;
        stamp_ = ++stamps;
        stampedFrame_ = item.frame;
        contentChanged_ = false;
    }
    stampRenewed_ = renewed;
    item.stamp = stamp_;
    // The list below is complete: the children that went into it keep their items there.
    const void* mine = &item.children.read();
    for (const auto& c : children)
        if (c->renderedInto_ == mine) c->renderedList_ = item.children.share();
    renderedChildren_ = children.size();
}

void Element::renderItem(DisplayItem& parentItem, Point parentOrigin) const {
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
    RecordScope record(*this, scope, 0, false);
    const BuildScope inner = scope.child(typeHash());
    Context ctx(scope, typeHash());
    const View body = evaluate(ctx);
    std::unique_ptr<Element> e = buildElement(body.node(), inner);
    record.built(e.get());
    return e;
}

void CustomNodeBase::expand(const BuildScope& scope, std::uint64_t key,
                            std::vector<std::unique_ptr<Element>>& out) const {
    // A body that is a group or a condition adds its views to the container directly.
    RecordScope record(*this, scope, key, true);
    const BuildScope mine = scope.child(key);
    Context ctx(mine, typeHash());
    const View body = evaluate(ctx);
    const std::size_t before = out.size();
    body.node()->expand(mine, typeHash(), out);
    std::vector<Element*> made;
    for (std::size_t i = before; i < out.size(); ++i) made.push_back(out[i].get());
    record.built(made.data(), made.size());
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
    notePlaceRead();
    const auto mine = frame_.lock();
    const auto theirs = anchor.frame.lock();
    if (!mine || !theirs || mine != theirs || !anchor.element || !element_) return {};
    return anchor.element->toSpaceOf(*element_).mapBounds(anchor.bounds);
}

Rect GeometryProxy::frame(CoordinateSpace space) const {
    if (space != CoordinateSpace::local) notePlaceRead();
    if (space == CoordinateSpace::local || !element_ || frame_.expired()) return {{0, 0}, size_};
    return element_->toRoot().mapBounds({{0, 0}, size_});
}

ColorScheme Context::colorScheme() const { return scope_.environment[env::colorScheme]; }

}  // namespace quorlix::ui
