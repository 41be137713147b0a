#pragma once
// The rendered tree behind a view: one Element per view, rebuilt for every render from the
// View values. Elements carry the layout (the platform's proposal-and-response model: a parent
// proposes a size, the child answers with its own, the parent places it) and record themselves
// into the display list.
//
// Internal to the view layer; views of the system never see elements.

#include "platform/clock.h"
#include "ui/display_list.h"
#include "ui/environment.h"
#include "ui/font.h"
#include "ui/preference.h"
#include "ui/types.h"
#include "ui/view.h"

#include <array>
#include <functional>
#include <memory>
#include <optional>
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

// What every element of one render shares.
class TreeServices {
public:
    explicit TreeServices(FontEngine& fonts) : fonts(fonts), frame(std::make_shared<const FrameToken>()) {}
    FontEngine& fonts;
    std::shared_ptr<const FrameToken> frame;
    // View state (absent in a tree rendered without a graph's store).
    StateStore* store = nullptr;
    FrameTime time;

    void observe(ObservableObject* object);
    const std::vector<ObservableObject*>& observed() const { return observed_; }

    // Runs after the render (change handlers), in the order asked.
    void afterRender(std::function<void()> action) { actions_.push_back(std::move(action)); }
    std::vector<std::function<void()>> takeActions() { return std::exchange(actions_, {}); }
    void addLifecycle(Lifecycle lifecycle) { lifecycles_.push_back(std::move(lifecycle)); }
    std::vector<Lifecycle>& lifecycles() { return lifecycles_; }
    // The tree must be rendered again at monotonic time `at` (a timeline's next entry).
    void requestUpdate(double at) { nextUpdate_ = nextUpdate_ ? std::min(*nextUpdate_, at) : at; }
    std::optional<double> nextUpdate() const { return nextUpdate_; }

private:
    std::vector<ObservableObject*> observed_;
    std::vector<std::function<void()>> actions_;
    std::vector<Lifecycle> lifecycles_;
    std::optional<double> nextUpdate_;
};

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

    BuildScope child(std::uint64_t key) const { return {environment, identity.child(key), services, animation}; }
    BuildScope withEnvironment(EnvironmentValues env) const { return {std::move(env), identity, services, animation}; }
    BuildScope withAnimation(std::shared_ptr<const Animation> a) const { return {environment, identity, services, std::move(a)}; }
};

class Element {
public:
    Element(const BuildScope& scope, const char* role);
    virtual ~Element() = default;
    Element(const Element&) = delete;
    Element& operator=(const Element&) = delete;

    Identity identity;
    const char* role;
    TreeServices* services;
    std::shared_ptr<const Animation> animation;
    Element* parent = nullptr;
    Rect frame;  // in the parent's space, set by place()
    std::optional<std::uint64_t> explicitId;
    std::vector<std::unique_ptr<Element>> children;

    Element* add(std::unique_ptr<Element> child);

    // Layout
    Size sizeThatFits(const ProposedSize& proposal);
    void place(const Rect& frame);
    // Distance from the top to the first (or last) text baseline for the size chosen under
    // `proposal`; absent when there is no text (stacks then use the bottom edge).
    virtual std::optional<double> baseline(const ProposedSize& proposal, bool last);
    // Spacers: told by their stack which axis they stretch along and their minimum length.
    virtual bool isSpacer() const { return false; }
    virtual void configureSpacer(Axis, double /*stackSpacing*/) {}
    virtual double layoutPriority() const;
    virtual bool isEmpty() const { return false; }

    // Drawing and geometry
    virtual Transform effectTransform() const { return {}; }
    virtual void render(DisplayItem& parent, Point parentOrigin) const;
    // This element's item with its identity, frame and animation, before its content.
    DisplayItem makeItem(Point parentOrigin) const;
    virtual void collectPreferences(PreferenceValues& out) const;

    // This element's space mapped into the root's (through frames and effect transforms).
    Transform toRoot() const;
    // This element's space mapped into `other`'s (both must belong to one tree).
    Transform toSpaceOf(const Element& other) const;

protected:
    virtual Size measure(const ProposedSize& proposal) = 0;
    // Places the children for the element's own size; the default gives each child the whole
    // size (modifiers that neither move nor resize their content).
    virtual void placeChildren(Size size);
    // Adds this element's own effects or content to its display item.
    virtual void decorate(DisplayItem& item, Point origin) const;
    Element* child() const { return children.empty() ? nullptr : children.front().get(); }

private:
    struct Memo {
        ProposedSize proposal;
        Size size;
    };
    std::array<Memo, 4> memo_{};
    int memoCount_ = 0;
    int memoNext_ = 0;
};

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
    return View(std::make_shared<WrapNode<MakeElement>>(std::move(content), std::move(make)));
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
