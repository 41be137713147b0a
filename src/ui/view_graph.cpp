#include "ui/view_graph.h"

#include <algorithm>
#include <unordered_set>

namespace quorlix::ui {

namespace {

// Preorder over the element tree.
template <class F>
void eachElement(Element& e, F&& visit) {
    visit(e);
    for (auto& c : e.children) eachElement(*c, visit);
}

// Whether the record's elements stand inside content an element builds again at every
// render (a geometry reader's): that element builds them anyway.
bool insideRebuiltContent(const ViewRecord& r) {
    for (const Element* e = r.first; e && e->parent; e = e->parent) {
        if (e->parent->buildsAgainAtEveryRender(*e)) return true;
    }
    return false;
}

}  // namespace

ViewGraph::ViewGraph(FontEngine& fonts)
    : fonts_(fonts),
      textLayouts_(fonts),
      invalidation_(std::make_shared<Invalidation>()),
      store_(invalidation_) {}

ViewGraph::~ViewGraph() {
    // Tasks end with the graph; their held work is cancelled.
    tasks_.clear();
    root_.reset();
}

void ViewGraph::invalidate(ObservableObject& object) {
    auto reads = [&object](const ViewRecord& r) {
        return std::find(r.observed.begin(), r.observed.end(), &object) != r.observed.end();
    };
    if (rootRecord_ && reads(*rootRecord_)) {
        invalidation_->invalidate();
        return;
    }
    // An object no view reads any more changes nothing shown.
    if (services_)
        for (const auto& [id, record] : services_->records)
            if (reads(*record)) invalidation_->invalidate(id);
}

void ViewGraph::buildWhole(const View& root, Size size, const EnvironmentValues& environment) {
    // The old tree stays until the new one has taken the layout of what is alike in it (its
    // anchors resolve to nothing already: each render has a frame token of its own), with the
    // services its records know.
    previousRoot_ = std::move(root_);
    previousServices_ = std::move(services_);
    rootRecord_.reset();
    services_ = std::make_unique<TreeServices>(fonts_);
    services_->store = &store_;
    services_->textLayouts = &textLayouts_;
    rootRecord_ = std::make_unique<ViewRecord>();
    rootRecord_->identity = Identity{0};
    rootNode_ = root.node();
    size_ = size;
    environment_ = environment;
}

std::optional<std::vector<ViewRecord*>> ViewGraph::partsToBuild(const Invalidation::Request& request,
                                                                double now) {
    std::vector<ViewRecord*> asked;
    for (const std::uint64_t id : request.views) {
        const auto found = services_->records.find(id);
        // A view shown twice under one identity, or gone: the whole tree.
        if (services_->repeated.contains(id) || found == services_->records.end()) return std::nullopt;
        asked.push_back(found->second);
    }
    bool due = false;
    for (ViewRecord* record : services_->timed)
        if (record->due && *record->due <= now + 1e-6) {
            if (services_->repeated.contains(record->identity.value)) return std::nullopt;
            asked.push_back(record);
            due = true;
        }
    // An update nobody asked for renders the whole tree, as it always has.
    if (request.views.empty() && !due) return std::nullopt;

    std::vector<ViewRecord*> parts;
    for (ViewRecord* r : asked) {
        if (insideRebuiltContent(*r)) continue;
        // Up to a record that can build alone: the outermost of the views sharing its first
        // element, and not inside a stack that stands for a group.
        for (;;) {
            if (!r || r == rootRecord_.get() || !r->first) return std::nullopt;
            const auto& held = r->first->records;
            if (held.empty()) return std::nullopt;
            if (held.back().get() != r) {
                r = held.back().get();
                continue;
            }
            const Element* parent = r->first->parent;
            if (r->expands && (!parent || parent->holdsGroup())) {
                r = r->enclosing;
                continue;
            }
            break;
        }
        if (std::find(parts.begin(), parts.end(), r) == parts.end()) parts.push_back(r);
    }
    // Parts inside another part are built with it.
    std::erase_if(parts, [&](ViewRecord* r) {
        for (ViewRecord* e = r->enclosing; e; e = e->enclosing)
            if (std::find(parts.begin(), parts.end(), e) != parts.end()) return true;
        return false;
    });
    return parts;
}

void ViewGraph::buildAgain(ViewRecord& record) {
    Element* first = record.first;
    Element* parent = first->parent;
    std::unique_ptr<ViewRecord> mine = std::move(first->records.back());
    first->records.pop_back();
    const std::size_t count = mine->count;

    std::size_t index = 0;
    std::vector<std::unique_ptr<Element>> old;
    if (parent) {
        auto& siblings = parent->children;
        index = static_cast<std::size_t>(
            std::find_if(siblings.begin(), siblings.end(), [&](const auto& c) { return c.get() == first; }) -
            siblings.begin());
        const auto begin = siblings.begin() + static_cast<std::ptrdiff_t>(index);
        const auto end = begin + static_cast<std::ptrdiff_t>(std::min(count, siblings.size() - index));
        std::move(begin, end, std::back_inserter(old));
        siblings.erase(begin, end);
    } else {
        old.push_back(std::move(root_));
    }
    // What the old elements used may go, unless the new ones use it again. They stay until the
    // new ones have taken the layout of what is alike, but their views are no longer in the tree.
    std::vector<std::uint64_t>& released = services_->released;
    released.insert(released.end(), mine->keys.begin(), mine->keys.end());
    for (const auto& e : old) {
        e->collectKeys(released);
        eachElement(*e, [](Element& x) {
            for (auto& r : x.records) r->forget();
        });
    }

    mine->keys.clear();
    mine->observed.clear();
    mine->due.reset();
    BuildScope scope = mine->scope;
    scope.animation = services_->animation;
    const std::shared_ptr<const Node> node = mine->node;
    const bool expands = mine->expands;
    const std::uint64_t key = mine->key;
    ViewRecord* enclosing = mine->enclosing;
    services_->rebuilding = std::move(mine);
    std::vector<std::unique_ptr<Element>> fresh;
    {
        const BuildingFor around(services_.get(), enclosing);
        if (expands)
            node->expand(scope, key, fresh);
        else
            fresh.push_back(buildElement(*node, scope));
    }
    services_->rebuilding.reset();

    if (!parent) {
        root_ = std::move(fresh.front());
        root_->keepLayoutOf(*old.front());
        return;
    }
    // The new elements take the old ones' place; views around them that spanned that place
    // span the new count.
    const std::ptrdiff_t delta =
        static_cast<std::ptrdiff_t>(fresh.size()) - static_cast<std::ptrdiff_t>(count);
    auto& siblings = parent->children;
    for (std::size_t j = 0; j < index; ++j)
        for (auto& r : siblings[j]->records)
            if (r->expands && j + r->count > index)
                r->count = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(r->count) + delta);
    std::vector<std::unique_ptr<Element>> rest;
    std::move(siblings.begin() + static_cast<std::ptrdiff_t>(index), siblings.end(),
              std::back_inserter(rest));
    siblings.resize(index);
    std::vector<Element*> added;
    for (auto& e : fresh) added.push_back(parent->add(std::move(e)));
    for (auto& e : rest) siblings.push_back(std::move(e));
    parent->childrenReplaced();
    // New elements all alike the old ones answer and stand as they did: nothing around them
    // moves. Others move what their answers change.
    if (!keepLayoutsOf(added, old)) parent->relayoutAfter(added, old);
}

const DisplayItem& ViewGraph::update(const View& root, Size size, const EnvironmentValues& environment,
                                     FrameTime time) {
    const Invalidation::Request request = invalidation_->takeRequest();
    const std::shared_ptr<const Animation> animation =
        request.transaction.disablesAnimations ? nullptr : request.transaction.animation;
    const bool sameInputs = root_ && root.node() == rootNode_ && size == size_ &&
                            environment.isSameAs(environment_) && !request.everything;
    std::optional<std::vector<ViewRecord*>> parts;
    if (sameInputs) parts = partsToBuild(request, time.now);

    if (!parts) buildWhole(root, size, environment);
    services_->frame = std::make_shared<const FrameToken>();
    services_->time = time;
    services_->render = ++render_;
    services_->animation = animation;
    services_->evaluated = 0;
    services_->released.clear();
    store_.beginFrame();
    {
        const BuildingFor top(services_.get(), rootRecord_.get());
        if (!parts) {
            const BuildScope scope{environment, Identity{}, services_.get(), animation};
            root_ = buildElement(root.node(), scope);
            if (previousRoot_) root_->keepLayoutOf(*previousRoot_);
            previousRoot_.reset();
            previousServices_.reset();
        } else {
            for (ViewRecord* r : *parts) buildAgain(*r);
        }
        // Centred in the canvas, as the platform's hosting views place their root.
        const Size chosen = root_->sizeThatFits(size);
        root_->place({{(size.width - chosen.width) / 2, (size.height - chosen.height) / 2}, chosen});
    }
    evaluated_ = services_->evaluated;

    preferences_ = PreferenceValues{};
    root_->collectPreferences(preferences_);

    DisplayItem list;
    list.role = "root";
    list.identity = Identity{0};
    list.frame = {{0, 0}, size};
    root_->render(list, {0, 0});
    if (parts)
        store_.dropUntouched(services_->released);
    else
        store_.endFrame();
    services_->released.clear();
    // The host follows the objects read anew only when they change.
    if (noteRecords() && onObservedObjects) onObservedObjects();
    animator_.update(std::move(list), time.now, !request.transaction.disablesAnimations);
    shown_ = nullptr;

    runLifecycles();
    return animator_.target();
}

bool ViewGraph::noteRecords() {
    std::vector<ObservableObject*> observed;
    nextUpdate_.reset();
    auto note = [&](const ViewRecord& r) {
        for (ObservableObject* o : r.observed)
            if (std::find(observed.begin(), observed.end(), o) == observed.end()) observed.push_back(o);
    };
    auto noteDue = [&](const ViewRecord& r) {
        if (r.due) nextUpdate_ = nextUpdate_ ? std::min(*nextUpdate_, *r.due) : *r.due;
    };
    note(*rootRecord_);
    noteDue(*rootRecord_);
    for (const auto& [id, record] : services_->records) note(*record);
    for (const ViewRecord* record : services_->timed) noteDue(*record);
    if (observed == observed_) return false;
    observed_ = std::move(observed);
    return true;
}

Size ViewGraph::fittingSize(const View& root, ProposedSize proposal,
                            const EnvironmentValues& environment) const {
    TreeServices services(fonts_);
    StateStore store(std::make_shared<Invalidation>());
    services.store = &store;
    ViewRecord top;
    top.identity = Identity{0};
    store.beginFrame();
    const BuildingFor building(&services, &top);
    const BuildScope scope{environment, Identity{}, &services, nullptr};
    return buildElement(root.node(), scope)->sizeThatFits(proposal);
}

const DisplayItem& ViewGraph::present(double now) {
    presentedAt_ = now;
    shown_ = &animator_.present(now);
    return *shown_;
}

std::vector<ViewGraph::Turn> ViewGraph::turns(std::size_t most) {
    std::vector<Turn> out;
    for (const double at : animator_.turningTimes(presentedAt_)) {
        if (out.size() == most) break;
        out.push_back({at, animator_.shownAt(at)});
    }
    return out;
}

void ViewGraph::runLifecycles() {
    std::vector<std::function<void()>> actions = services_->takeActions();
    std::vector<Lifecycle*> found;
    std::unordered_set<std::uint64_t> present;
    eachElement(*root_, [&](Element& e) {
        if (Lifecycle* l = e.lifecycle(); l && present.insert(l->identity.value).second) found.push_back(l);
    });

    std::vector<std::function<void()>> appear, disappear;
    std::unordered_set<std::uint64_t> before;
    for (const auto& l : lifecycles_) {
        before.insert(l.identity.value);
        if (present.contains(l.identity.value)) continue;
        if (l.disappear) disappear.push_back(l.disappear);
        tasks_.erase(l.identity.value);
    }
    std::vector<Lifecycle> current;
    for (Lifecycle* l : found) {
        const bool isNew = !before.contains(l->identity.value);
        if (isNew && l->appear) appear.push_back(l->appear);
        if (l->task && (isNew || l->restartTask)) {
            // Replacing the old task cancels what it holds.
            auto task = std::make_unique<ViewTask>();
            ViewTask& started = *task;
            tasks_[l->identity.value] = std::move(task);
            const auto start = l->task;
            appear.push_back([start, &started] { start(started); });
        }
        // A restart is asked by the render that built the view; later renders keep the task.
        l->restartTask = false;
        current.push_back(*l);
    }
    lifecycles_ = std::move(current);

    for (const auto& a : actions) a();
    for (const auto& d : disappear) d();
    for (const auto& a : appear) a();
}

}  // namespace quorlix::ui
