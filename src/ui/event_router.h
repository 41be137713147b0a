#pragma once
// Routes pointer events and drags of items from other applications to the interactions of the
// views under the pointer (interaction.h), in the list as shown. Points are in the root
// view's space.
//
// - A press starts a gesture on the innermost view that handles one: a button (pressed while
//   the pointer stays on it, its action on release over it), a tap (by click count), a pop-up
//   menu (shown at once). A drag gesture on or around it takes over once the pointer has moved
//   its minimum distance, and the press then ends without a click. A view that can be dragged
//   out starts a drag of its items after a few points.
// - A secondary press shows the innermost context menu.
// - Moving the pointer tells hover handlers when it enters and leaves their views.
// - Wheel and trackpad scrolls go to the innermost scroll view that can move.
// - A drag of items hovering over a drop target of their type sets its targeted flag; a
//   drop hands the items to it.
//
// The window hosts show menus and start drags through the two callbacks. Main thread only.

#include "ui/display_list.h"
#include "ui/interaction.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quorlix::ui {

struct HitStep {
    const DisplayItem* item = nullptr;
    Transform toItem;  // root-space points into the item's own space (before its transform)
};

// The views under `p`, from the root to the innermost one hit; empty when nothing is hit.
std::vector<HitStep> hitTest(const DisplayItem& root, Point p);

class EventRouter {
public:
    enum class Button { primary, secondary };

    explicit EventRouter(std::function<const DisplayItem&()> shown) : shown_(std::move(shown)) {}

    void pointerMoved(Point p);
    void pointerPressed(Point p, Button button = Button::primary);
    void pointerReleased(Point p, Button button = Button::primary);
    // The pointer left the window: hovers end.
    void pointerExited();
    // True when a scroll view moved.
    bool scrolled(Point p, double dx, double dy);
    // A drag of items of `types` entered or moved; true when a view under it takes them.
    bool dragMoved(Point p, const std::vector<std::string>& types);
    void dragExited();
    // True when the view under `p` took the items.
    bool dropped(Point p, const std::vector<DropItem>& items);
    // The help text (tooltip) of the innermost view under `p` that has one.
    std::string helpAt(Point p) const;
    // Whether anything under `p` takes pointer events.
    bool hits(Point p) const;
    // Whether a press at `p` reaches a control (a button, a tap, a menu or a drag); a press
    // anywhere else lands on the background.
    bool takesPress(Point p) const;

    std::function<void(const std::vector<MenuItem>& items, Point at)> showMenu;
    std::function<void(const std::vector<DropItem>& items)> startDrag;

private:
    struct Handler {
        Identity identity;
        std::shared_ptr<const Interaction> interaction;
        Transform toLocal;  // root-space points into the view's space, its top-leading corner at 0, 0
    };
    struct Press {
        Point start;
        std::optional<Handler> click;  // button, menu or taps
        std::optional<Handler> drag;
        std::optional<Handler> dragSource;
        bool dragging = false;
        bool pressedShown = false;
    };

    static Handler handlerOf(const HitStep& step);
    bool isOver(Point p, Identity identity) const;
    DragValue dragValue(const Handler& h, Point p) const;
    std::optional<Handler> dropTarget(Point p, const std::vector<std::string>& types) const;
    void setTargeted(std::optional<Handler>& current, std::optional<Handler> next);

    std::function<const DisplayItem&()> shown_;
    std::optional<Press> press_;
    std::vector<Handler> hovered_;
    std::optional<Handler> dropTarget_;
    double lastClickTime_ = -1e9;
    Point lastClickPoint_;
    int clickCount_ = 0;
};

}  // namespace quorlix::ui
