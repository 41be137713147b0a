#pragma once
// The rendered tree behind a view: one Element per view, rebuilt for every render from the
// View values. Elements carry the layout (the platform's proposal-and-response model: a parent
// proposes a size, the child answers with its own, the parent places it) and record themselves
// into the display list.
//
// Internal to the view layer; views of the system never see elements.

#include "ui/display_list.h"
#include "ui/environment.h"
#include "ui/font.h"
#include "ui/preference.h"
#include "ui/types.h"
#include "ui/view.h"

#include <array>
#include <memory>
#include <vector>

namespace quorlix::ui {

class Element;

// Marks one built tree; anchors and geometry proxies hold it weakly.
struct FrameToken {};

// What every element of one render shares.
class TreeServices {
public:
    explicit TreeServices(FontEngine& fonts) : fonts(fonts), frame(std::make_shared<const FrameToken>()) {}
    FontEngine& fonts;
    std::shared_ptr<const FrameToken> frame;

    void observe(ObservableObject* object);
    const std::vector<ObservableObject*>& observed() const { return observed_; }

private:
    std::vector<ObservableObject*> observed_;
};

struct BuildScope {
    EnvironmentValues environment;
    Identity identity;
    TreeServices* services = nullptr;

    BuildScope child(std::uint64_t key) const { return {environment, identity.child(key), services}; }
    BuildScope withEnvironment(EnvironmentValues env) const { return {std::move(env), identity, services}; }
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

// Where a child of size `inner` stands in `outer` for an alignment (text baselines count as top).
Point alignedOrigin(Alignment alignment, Size outer, Size inner);

// Builds the element for a view in a single-child position (a modifier's content, a body).
std::unique_ptr<Element> buildElement(const std::shared_ptr<const Node>& node, const BuildScope& scope);
std::unique_ptr<Element> buildElement(const Node& node, const BuildScope& scope);
// Builds a container's children: flattening groups, ForEach and conditions.
void buildChildren(const std::vector<View>& views, const BuildScope& scope, Element& into);

}  // namespace quorlix::ui
