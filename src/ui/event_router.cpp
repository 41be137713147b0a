#include "ui/event_router.h"

#include "platform/clock.h"

#include <algorithm>
#include <cmath>

namespace quorlix::ui {

namespace {

// The platform's double-click interval and the pointer's allowed wander between the clicks.
constexpr double clickInterval = 0.4;
constexpr double clickSlop = 5;
// How far a press on a draggable view moves before its items are dragged out.
constexpr double dragOutDistance = 4;

double distance(Point a, Point b) { return std::hypot(a.x - b.x, a.y - b.y); }

bool hitsOwnContent(const DisplayItem& item, Point p) {
    switch (item.kind) {
        case DisplayItem::Kind::group: return item.embedded && item.frame.contains(p);
        case DisplayItem::Kind::shape: {
            const bool drawn = (item.fill && !item.fill->isInvisible()) ||
                               (item.strokePaint && !item.strokePaint->isInvisible() && item.stroke.lineWidth > 0);
            return drawn && item.path.contains(p);
        }
        case DisplayItem::Kind::text:
        case DisplayItem::Kind::symbol:
        case DisplayItem::Kind::image: return item.frame.contains(p);
    }
    return false;
}

bool hitItem(const DisplayItem& item, Point p, const Transform& toParent, std::vector<HitStep>& chain) {
    if (item.inert || item.opacity <= 0) return false;
    Transform toItem = toParent;
    Point q = p;
    if (!item.transform.isIdentity()) {
        const auto inverse = item.transform.inverted();
        if (!inverse) return false;
        toItem = toParent.then(*inverse);
        q = inverse->map(p);
    }
    if (item.clip && !item.clip->contains(q)) return false;
    if (item.contentShape && !item.contentShape->contains(q)) return false;
    chain.push_back({&item, toItem});
    // The last drawn is on top.
    for (auto c = item.children.rbegin(); c != item.children.rend(); ++c)
        if (hitItem(*c, q, toItem, chain)) return true;
    if (item.contentShape || hitsOwnContent(item, q)) return true;
    chain.pop_back();
    return false;
}

bool accepts(const Interaction& i, const std::vector<std::string>& types) {
    if (!i.drop) return false;
    return std::any_of(types.begin(), types.end(), [&](const std::string& t) {
        return std::find(i.dropTypes.begin(), i.dropTypes.end(), t) != i.dropTypes.end();
    });
}

}  // namespace

std::vector<HitStep> hitTest(const DisplayItem& root, Point p) {
    std::vector<HitStep> chain;
    hitItem(root, p, Transform{}, chain);
    return chain;
}

EventRouter::Handler EventRouter::handlerOf(const HitStep& step) {
    const Rect& f = step.item->frame;
    return {step.item->identity, step.item->interaction, step.toItem.then(Transform::translation(-f.x(), -f.y()))};
}

bool EventRouter::isOver(Point p, Identity identity) const {
    const auto chain = hitTest(shown_(), p);
    return std::any_of(chain.begin(), chain.end(), [&](const HitStep& s) { return s.item->identity == identity; });
}

DragValue EventRouter::dragValue(const Handler& h, Point p) const {
    const bool global = h.interaction->drag->coordinateSpace == CoordinateSpace::global;
    const Point start = global ? press_->start : h.toLocal.map(press_->start);
    const Point at = global ? p : h.toLocal.map(p);
    return {at, start, {at.x - start.x, at.y - start.y}};
}

void EventRouter::pointerMoved(Point p) {
    const auto chain = hitTest(shown_(), p);
    std::vector<Handler> now;
    for (const auto& step : chain)
        if (step.item->interaction && step.item->interaction->hover) now.push_back(handlerOf(step));
    auto contains = [](const std::vector<Handler>& list, Identity id) {
        return std::any_of(list.begin(), list.end(), [&](const Handler& h) { return h.identity == id; });
    };
    // Leaving first, innermost first; then entering, outermost first.
    const std::vector<Handler> before = std::exchange(hovered_, now);
    for (auto h = before.rbegin(); h != before.rend(); ++h)
        if (!contains(now, h->identity)) h->interaction->hover(false);
    for (const auto& h : now)
        if (!contains(before, h.identity)) h.interaction->hover(true);

    if (!press_) return;
    Press& press = *press_;
    if (press.dragging) {
        if (press.drag->interaction->drag->changed) press.drag->interaction->drag->changed(dragValue(*press.drag, p));
        return;
    }
    const double moved = distance(p, press.start);
    if (press.drag && moved >= press.drag->interaction->drag->minimumDistance) {
        if (press.click && press.pressedShown) press.click->interaction->setPressed(false);
        press.click.reset();
        press.dragging = true;
        if (press.drag->interaction->drag->changed) press.drag->interaction->drag->changed(dragValue(*press.drag, p));
        return;
    }
    if (press.dragSource && moved >= dragOutDistance) {
        const auto source = *press.dragSource;
        if (press.click && press.pressedShown) press.click->interaction->setPressed(false);
        press_.reset();
        if (startDrag) startDrag(source.interaction->dragItems());
        return;
    }
    if (press.click && press.click->interaction->setPressed) {
        const bool over = isOver(p, press.click->identity);
        if (over != press.pressedShown) {
            press.pressedShown = over;
            press.click->interaction->setPressed(over);
        }
    }
}

void EventRouter::pointerPressed(Point p, Button button) {
    const auto chain = hitTest(shown_(), p);
    if (button == Button::secondary) {
        for (auto s = chain.rbegin(); s != chain.rend(); ++s) {
            const auto& i = s->item->interaction;
            if (i && !i->contextMenu.empty()) {
                if (showMenu) showMenu(i->contextMenu, p);
                return;
            }
        }
        return;
    }

    const double now = platform::Clock::shared().now();
    clickCount_ = now - lastClickTime_ <= clickInterval && distance(p, lastClickPoint_) <= clickSlop ? clickCount_ + 1 : 1;
    lastClickTime_ = now;
    lastClickPoint_ = p;

    Press press;
    press.start = p;
    for (auto s = chain.rbegin(); s != chain.rend(); ++s) {
        const auto& i = s->item->interaction;
        if (!i) continue;
        if (!press.click && (i->buttonAction || !i->popUpMenu.empty() || !i->taps.empty())) press.click = handlerOf(*s);
        // Whichever of a drag gesture and a drag-out is innermost is the view's drag.
        if (!press.drag && !press.dragSource && i->drag) press.drag = handlerOf(*s);
        if (!press.drag && !press.dragSource && i->dragItems) press.dragSource = handlerOf(*s);
    }
    if (press.click && !press.click->interaction->popUpMenu.empty()) {
        const DisplayItem* item = shown_().findIdentity(press.click->identity);
        const auto inverse = press.click->toLocal.inverted();
        const Point below = item && inverse ? inverse->map({0, item->frame.height()}) : p;
        if (showMenu) showMenu(press.click->interaction->popUpMenu, below);
        return;
    }
    if (press.click && press.click->interaction->setPressed) {
        press.pressedShown = true;
        press.click->interaction->setPressed(true);
    }
    press_ = std::move(press);
    if (press_->drag && press_->drag->interaction->drag->minimumDistance <= 0) pointerMoved(p);
}

void EventRouter::pointerReleased(Point p, Button button) {
    if (button != Button::primary || !press_) return;
    Press press = std::move(*press_);
    press_.reset();
    if (press.dragging) {
        if (press.drag->interaction->drag->ended) press.drag->interaction->drag->ended(dragValue(*press.drag, p));
        return;
    }
    if (!press.click) return;
    const Interaction& i = *press.click->interaction;
    if (i.setPressed && press.pressedShown) i.setPressed(false);
    if (!isOver(p, press.click->identity)) return;
    if (i.buttonAction) {
        i.buttonAction();
        return;
    }
    for (const auto& [count, action] : i.taps) {
        if (count == clickCount_) {
            action();
            return;
        }
    }
}

void EventRouter::pointerExited() {
    const std::vector<Handler> before = std::exchange(hovered_, {});
    for (auto h = before.rbegin(); h != before.rend(); ++h) h->interaction->hover(false);
}

bool EventRouter::scrolled(Point p, double dx, double dy) {
    const auto chain = hitTest(shown_(), p);
    for (auto s = chain.rbegin(); s != chain.rend(); ++s) {
        const auto& i = s->item->interaction;
        if (i && i->scroll && i->scroll(dx, dy)) return true;
    }
    return false;
}

std::optional<EventRouter::Handler> EventRouter::dropTarget(Point p, const std::vector<std::string>& types) const {
    const auto chain = hitTest(shown_(), p);
    for (auto s = chain.rbegin(); s != chain.rend(); ++s)
        if (s->item->interaction && accepts(*s->item->interaction, types)) return handlerOf(*s);
    return std::nullopt;
}

void EventRouter::setTargeted(std::optional<Handler>& current, std::optional<Handler> next) {
    const bool same = current && next && current->identity == next->identity;
    if (same) return;
    if (current && current->interaction->dropTargeted) current->interaction->dropTargeted->set(false);
    current = std::move(next);
    if (current && current->interaction->dropTargeted) current->interaction->dropTargeted->set(true);
}

bool EventRouter::dragMoved(Point p, const std::vector<std::string>& types) {
    setTargeted(dropTarget_, dropTarget(p, types));
    return dropTarget_.has_value();
}

void EventRouter::dragExited() { setTargeted(dropTarget_, std::nullopt); }

bool EventRouter::dropped(Point p, const std::vector<DropItem>& items) {
    std::vector<std::string> types;
    for (const auto& item : items) types.push_back(item.type);
    const auto target = dropTarget(p, types);
    setTargeted(dropTarget_, std::nullopt);
    if (!target) return false;
    std::vector<DropItem> taken;
    for (const auto& item : items)
        if (std::find(target->interaction->dropTypes.begin(), target->interaction->dropTypes.end(), item.type) !=
            target->interaction->dropTypes.end())
            taken.push_back(item);
    return target->interaction->drop(taken);
}

std::string EventRouter::helpAt(Point p) const {
    const auto chain = hitTest(shown_(), p);
    for (auto s = chain.rbegin(); s != chain.rend(); ++s)
        if (!s->item->help.empty()) return s->item->help;
    return {};
}

bool EventRouter::hits(Point p) const { return !hitTest(shown_(), p).empty(); }

bool EventRouter::takesPress(Point p) const {
    const auto chain = hitTest(shown_(), p);
    return std::any_of(chain.begin(), chain.end(), [](const HitStep& s) {
        const auto& i = s.item->interaction;
        return i && (i->buttonAction || !i->popUpMenu.empty() || !i->taps.empty() || i->drag || i->dragItems);
    });
}

}  // namespace quorlix::ui
