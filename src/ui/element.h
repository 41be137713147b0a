#pragma once
// The rendered tree behind a view: one Element per view, built from the View values. Elements
// carry the layout (the platform's proposal-and-response model: a parent proposes a size, the
// child answers with its own, the parent places it) and record themselves into the display
// list.
//
// The tree is kept from one render to the next. Each view of our own (a body) and each
// timeline leaves a ViewRecord on the first element it built: what it needs to build its
// elements again by itself. A state change, an observed object's change or a timeline's next
// entry builds again only the elements of the views concerned; the rest of the tree keeps its
// elements, with the sizes they answered (their layout memo), and a layout that changes
// propagates up only through the elements whose children changed.
//
// Internal to the view layer; views of the system never see elements.

#include "platform/clock.h"
#include "ui/block_pool.h"
#include "ui/display_list.h"
#include "ui/environment.h"
#include "ui/font.h"
#include "ui/preference.h"
#include "ui/types.h"
#include "ui/view.h"

#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace quorlix::ui {

class Element;
class StateStore;
class ViewTask;

// Marks one built tree; anchors and geometry proxies hold it weakly.
struct FrameToken {};

// The moment a tree is rendered for: monotonic seconds and the wall-clock date.
struct FrameTime {
    double now = 0;
    Date date;
};

// What a view asks of its tree's life: actions when its identity appears and disappears,
// and a task that lives as long as it (restarted when its value changes).
struct Lifecycle {
    Identity identity;
    std::function<void()> appear;
    std::function<void()> disappear;
    std::function<void(ViewTask&)> task;
    bool restartTask = false;
};

struct ViewRecord;
class TreeServices;
class TextLayoutCache;

struct BuildScope;
namespace detail {
// The key of a view's remembered value or state: its identity combined with a tag.
std::uint64_t slotKey(const BuildScope& scope, std::uint64_t tag);
}  // namespace detail

struct BuildScope {
    EnvironmentValues environment;
    Identity identity;
    TreeServices* services = nullptr;
    // The animation of the transaction in force here (none: changes below jump).
    std::shared_ptr<const Animation> animation;

    BuildScope child(std::uint64_t key) const {
        return {environment, identity.child(key), services, animation};
    }
    BuildScope withEnvironment(EnvironmentValues env) const {
        return {std::move(env), identity, services, animation};
    }
    BuildScope withAnimation(std::shared_ptr<const Animation> a) const {
        return {environment, identity, services, std::move(a)};
    }
};

// A view whose elements can be built again by themselves: a view of our own (its body) or a
// timeline. It lives on the first element it built (or, when it built none, is folded into the
// record around it).
struct ViewRecord {
    ~ViewRecord();
    Identity identity;
    // What to build again: the node with the scope it was given (and, in a container, its
    // position there).
    std::shared_ptr<const Node> node;
    BuildScope scope;
    std::uint64_t key = 0;
    bool expands = false;
    // The elements it built: `count` siblings from `first`.
    Element* first = nullptr;
    std::size_t count = 0;
    // The record that was being built around it.
    ViewRecord* enclosing = nullptr;
    // What its body read: observed objects, and the keys of the state and values it used.
    std::vector<ObservableObject*> observed;
    std::unordered_set<std::uint64_t> keys;
    // A timeline's next entry (monotonic time).
    std::optional<double> due;
    TreeServices* services = nullptr;
    // Leaves the tree's records (its view was built again).
    void forget();
};

// What every element of a tree shares, from one render to the next.
class TreeServices {
public:
    explicit TreeServices(FontEngine& fonts) : fonts(fonts), frame(std::make_shared<const FrameToken>()) {}
    FontEngine& fonts;
    // Text layouts kept from render to render (absent: none kept).
    TextLayoutCache* textLayouts = nullptr;
    // Renewed at every render: anchors and geometry of earlier renders resolve to nothing.
    std::shared_ptr<const FrameToken> frame;
    // View state (absent in a tree rendered without a graph's store).
    StateStore* store = nullptr;
    FrameTime time;
    // The render under way (counted from 1), and the animation of its transaction.
    std::uint64_t render = 0;
    std::shared_ptr<const Animation> animation;
    // View bodies and timeline contents evaluated in this render.
    std::size_t evaluated = 0;

    // The record being built (its body is the one reading state and objects), or null.
    ViewRecord* current = nullptr;
    // A record built again: the build of its view takes it up instead of making a new one.
    std::unique_ptr<ViewRecord> rebuilding;
    // Keys of state and values used by parts of the tree built again in this render: those not
    // used again are dropped at its end.
    std::vector<std::uint64_t> released;
    // Every record of the tree by identity; identities shown twice cannot be built alone.
    std::unordered_map<std::uint64_t, ViewRecord*> records;
    std::unordered_set<std::uint64_t> repeated;
    // The records of `records` that asked to be rendered again at a time (timelines), in the
    // order they asked: a render looks at these, not at the whole tree.
    std::vector<ViewRecord*> timed;

    void observe(ObservableObject* object);

    // Runs after the render (change handlers), in the order asked.
    void afterRender(std::function<void()> action) { actions_.push_back(std::move(action)); }
    std::vector<std::function<void()>> takeActions() { return std::exchange(actions_, {}); }
    // The tree must be rendered again at monotonic time `at` (a timeline's next entry).
    void requestUpdate(double at);

private:
    std::vector<std::function<void()>> actions_;
};

// Makes `record` the one being built (its state and reads are noted there) until it ends.
class BuildingFor {
public:
    BuildingFor(TreeServices* services, ViewRecord* record,
                std::unordered_set<std::uint64_t>* keys = nullptr);
    ~BuildingFor();
    BuildingFor(const BuildingFor&) = delete;
    BuildingFor& operator=(const BuildingFor&) = delete;

private:
    TreeServices* services_;
    ViewRecord* record_;
    std::uint64_t view_ = 0;
    std::unordered_set<std::uint64_t>* keys_ = nullptr;
};

// Starts the record of a view being built (or takes up the one being built again) and hands it
// to the first element the view built when done.
class RecordScope {
public:
    // `scope` and `key` as the node's build (`expands` false) or expand was given them.
    RecordScope(const Node& node, const BuildScope& scope, std::uint64_t key, bool expands);
    ~RecordScope();
    RecordScope(const RecordScope&) = delete;
    RecordScope& operator=(const RecordScope&) = delete;
    // The elements the view built (siblings, in order).
    void built(Element* const* first, std::size_t count);
    void built(Element* element) { built(&element, element ? 1 : 0); }
    ViewRecord* record() const { return record_.get(); }

private:
    std::unique_ptr<ViewRecord> record_;
    std::unique_ptr<BuildingFor> building_;
    TreeServices* services_ = nullptr;
};

class Element {
public:
    Element(const BuildScope& scope, const char* role);
    virtual ~Element();
    Element(const Element&) = delete;
    Element& operator=(const Element&) = delete;
    // A rebuild makes and drops elements by the hundred: their blocks are kept for the next
    // ones (block_pool.h).
    static void* operator new(std::size_t size);
    static void operator delete(void* block, std::size_t size) noexcept;

    Identity identity;
    const char* role;
    TreeServices* services;
    std::shared_ptr<const Animation> animation;
    Element* parent = nullptr;
    Rect frame;  // in the parent's space, set by place()
    std::optional<std::uint64_t> explicitId;
    std::vector<std::unique_ptr<Element>> children;
    // The records of the views whose first element this is, innermost first.
    std::vector<std::unique_ptr<ViewRecord>> records;
    // The record that was being built when this element was made.
    ViewRecord* owner = nullptr;
    // The render that built it.
    std::uint64_t builtIn = 0;

    Element* add(std::unique_ptr<Element> child);
    // The animation changes of this element show with: its own when built in this render, else
    // the render's transaction's.
    std::shared_ptr<const Animation> currentAnimation() const;

    // Layout
    Size sizeThatFits(const ProposedSize& proposal);
    void place(const Rect& frame);
    // Forgets the sizes this element and its ancestors answered (its content changed).
    void invalidateLayout();
    // Lays out `fresh`, built again in the place of `old` among this element's children,
    // moving no more than their change moves: where an element (the new ones, this one, or an
    // ancestor) answers every size it was asked as before, nothing around it moves and it is
    // placed again where it stood. Otherwise, or when the new ones may change what ancestors
    // read besides sizes (layout priorities, text baselines), as `invalidateLayout`.
    void relayoutAfter(const std::vector<Element*>& fresh, const std::vector<std::unique_ptr<Element>>& old);
    // A stack that lines its children up by their text baselines: it reads more of them than
    // their sizes.
    virtual bool alignsByBaseline() const { return false; }
    // Called when children were replaced (a view below was built again).
    virtual void childrenReplaced() {}
    // A stack made to hold the several views of a group in a single-view position: it exists
    // only for as many views as the group has.
    virtual bool holdsGroup() const { return false; }
    // Elements that work from their content's preferences or from where they stand (readers of
    // preferences and geometry) place their content again at every render, and build again
    // the children that depend on it.
    virtual bool placesAtEveryRender() const { return false; }
    virtual bool buildsAgainAtEveryRender(const Element& /*child*/) const { return false; }
    // Scroll views: only the part of their content inside their own bounds shows (lazy stacks
    // build no more than that part).
    virtual bool showsPartOfContent() const { return false; }
    // Distance from the top to the first (or last) text baseline for the size chosen under
    // `proposal`; absent when there is no text (stacks then use the bottom edge).
    virtual std::optional<double> baseline(const ProposedSize& proposal, bool last);
    // Spacers: told by their stack which axis they stretch along and their minimum length.
    virtual bool isSpacer() const { return false; }
    virtual void configureSpacer(Axis, double /*stackSpacing*/) {}
    virtual double layoutPriority() const;
    virtual bool isEmpty() const { return false; }

    // What the view asks of its life in the tree, if anything (lifecycle.h).
    virtual Lifecycle* lifecycle() { return nullptr; }

    // Whether this element, newly built, lays out and draws as `old` (the element of its
    // identity in the tree built before) did, provided their children do: the same kind of
    // element made from the same values. Elements that hold actions, read state or build
    // content while laid out never are.
    virtual bool sameAs(const Element& /*old*/) const { return false; }
    // Takes what `old`, found alike, worked out from those values (laid-out text).
    virtual void takeWorkOf(Element& /*old*/) {}
    // Takes the layout and the stamp of each element of `old`'s subtree whose element in this
    // newly built subtree (by identity) is alike and has alike children, so a tree built
    // again unchanged is neither measured, placed nor compared again. Whether all was alike.
    bool keepLayoutOf(Element& old);
    // Adds the keys of the state and values used by the views built below (to drop those no
    // longer used when this part is built again).
    virtual void collectKeys(std::vector<std::uint64_t>& out) const;

    // Drawing and geometry
    virtual Transform effectTransform() const { return {}; }
    // Appends this element's item, with its subtree, to `parent`, stamped: an element that
    // draws as in its last render, its subtree included, keeps that render's stamp.
    void render(DisplayItem& parent, Point parentOrigin) const;
    // This element's item with its identity, frame and animation, before its content.
    DisplayItem makeItem(Point parentOrigin) const;
    virtual void collectPreferences(PreferenceValues& out) const;

    // This element's space mapped into the root's (through frames and effect transforms).
    Transform toRoot() const;
    // This element's space mapped into `other`'s (both must belong to one tree).
    Transform toSpaceOf(const Element& other) const;

protected:
    // The frame (in the root's space) the last render drew this element at, if it drew it: a
    // look that depends on the frame is compared there, since a new frame draws anew anyway.
    const Rect& drawnFrame() const { return stampedFrame_; }
    // Appends exactly one item for this element and its subtree to `parent`.
    virtual void renderItem(DisplayItem& parent, Point parentOrigin) const;
    virtual Size measure(const ProposedSize& proposal) = 0;
    // Places the children for the element's own size; the default gives each child the whole
    // size (modifiers that neither move nor resize their content).
    virtual void placeChildren(Size size);
    // Adds this element's own effects or content to its display item.
    virtual void decorate(DisplayItem& item, Point origin) const;
    Element* child() const { return children.empty() ? nullptr : children.front().get(); }

private:
    friend class ViewGraph;
    struct Memo {
        ProposedSize proposal;
        Size size;
    };
    // Sizes answered, kept while the content stays the same: a stack asks its children for
    // several proposals each time it is measured.
    std::vector<Memo> memo_;
    std::size_t memoNext_ = 0;
    // Layout state kept between renders: whether it was placed, whether its children (or some
    // below them) changed since, and whether an element below places at every render.
    bool placed_ = false;
    bool layoutChanged_ = false;
    bool changedBelow_ = false;
    bool everyRenderBelow_ = false;
    // The stamp of the last render and what it was given: a render with the same frame, no
    // children replaced and no child drawn anew keeps it.
    mutable std::uint64_t stamp_ = 0;
    mutable bool stampRenewed_ = true;
    mutable bool contentChanged_ = true;
    mutable Rect stampedFrame_;
    // The item this element made at its last render, with the lists below it, for a render in
    // which nothing here or below changed (an element built again makes its own). Whether that
    // holds is worked out once a render. The item is kept where it stands: in its parent's
    // list, which the parent shares with its children once it is complete.
    bool drawsAsBefore(Point parentOrigin) const;
    mutable std::shared_ptr<const SharedList<DisplayItem>::Vector> renderedList_;
    mutable std::size_t renderedIndex_ = 0;
    mutable const void* renderedInto_ = nullptr;  // the list it went into, until the parent shares it
    mutable std::size_t renderedChildren_ = 0;
    mutable std::uint64_t checkedIn_ = 0;
    mutable bool drawsAsBefore_ = false;
};

// Pairs each of `fresh` (elements, or pointers to them, built again) with the element of `old`
// it takes the place of: the one at its index when that has its identity, else the one with its
// identity, and takes its layout (`keepLayoutOf`). Whether every one came out alike, in its old
// order, and no more nor fewer.
template <class Fresh>
bool keepLayoutsOf(const Fresh& fresh, const std::vector<std::unique_ptr<Element>>& old) {
    bool alike = fresh.size() == old.size();
    for (std::size_t i = 0; i < fresh.size(); ++i) {
        Element& mine = *fresh[i];
        Element* before = i < old.size() && old[i]->identity == mine.identity ? old[i].get() : nullptr;
        // Out of their old order they stand elsewhere, even when alike.
        if (!before) alike = false;
        for (std::size_t j = 0; !before && j < old.size(); ++j)
            if (old[j]->identity == mine.identity) before = old[j].get();
        if (!before || !mine.keepLayoutOf(*before)) alike = false;
    }
    return alike;
}

// `old` as the type of the element asking: `sameAs` is asked only of elements of one type.
template <class T>
const T& sameType(const Element& old) {
    return static_cast<const T&>(old);
}

// A modifier that leaves the layout alone: effects, identity, help, preferences.
class PassElement : public Element {
public:
    using Element::Element;

protected:
    Size measure(const ProposedSize& p) override { return child()->sizeThatFits(p); }
};

// A modifier with one content view and an element that builds around it: `make(scope)` makes
// the element, and the content is built as its child.
template <class MakeElement>
class WrapNode final : public Node {
public:
    WrapNode(View content, MakeElement make) : content_(std::move(content)), make_(std::move(make)) {}
    std::unique_ptr<Element> build(const BuildScope& scope) const override;

private:
    View content_;
    MakeElement make_;
};

template <class MakeElement>
View wrap(View content, MakeElement make) {
    return View(blocks::makeShared<WrapNode<MakeElement>>(std::move(content), std::move(make)));
}

// Where a child of size `inner` stands in `outer` for an alignment (text baselines count as top).
Point alignedOrigin(Alignment alignment, Size outer, Size inner);

// Builds the element for a view in a single-child position (a modifier's content, a body).
std::unique_ptr<Element> buildElement(const std::shared_ptr<const Node>& node, const BuildScope& scope);
std::unique_ptr<Element> buildElement(const Node& node, const BuildScope& scope);
// Builds a container's children: flattening groups, ForEach and conditions.
void buildChildren(const std::vector<View>& views, const BuildScope& scope, Element& into);

template <class MakeElement>
std::unique_ptr<Element> WrapNode<MakeElement>::build(const BuildScope& scope) const {
    std::unique_ptr<Element> e = make_(scope);
    e->add(buildElement(content_.node(), scope.child(1)));
    return e;
}

}  // namespace quorlix::ui
