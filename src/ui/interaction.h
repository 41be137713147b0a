#pragma once
// Interaction: buttons and their styles, taps, hover, drags, drops, menus.
//
//     Button(Symbol("gearshape.fill"), [] { AppActions::openSettingsSection(SettingsSection::general); })
//         .buttonStyle(IslandButtonStyle{}).help("Ajustes")
//     track.gesture(DragGesture{.minimumDistance = 3}
//                       .onChanged([=](const DragValue& v) { dragValue = v.location.x / width; })
//                       .onEnded([=](const DragValue& v) { seek(v.location.x / width); }))
//     island.onDrop({UTType::fileURL}, dropTargeted.binding(), [](const std::vector<DropItem>& items) { ...
//     })
//
// Hits follow what is drawn: a shape where its outline is filled, text, symbols and pictures
// within their frames, and a view with a content shape within that shape (where its content
// is then hit only inside it). Transparent views and views faded to nothing take no hits; a
// view removed but still leaving takes none either. The innermost view under the pointer that
// handles an event takes it. A disabled view (`disabled(true)` on it or an ancestor) handles
// nothing. The hosts (view_host.h) route pointer events here.
//
// A button marked as the window's default action is pressed by Return as well:
//
//     Button(Text("Empezar"), start).keyboardShortcut(KeyboardShortcut::defaultAction)

#include "ui/state.h"
#include "ui/view.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quorlix::ui {

struct DragValue {
    Point location;       // in the gesture's coordinate space
    Point startLocation;  // where the press was, in the same space
    Size translation;     // location − startLocation
};

// A drag that begins once the pointer has moved `minimumDistance` points from the press.
// Locations are in the space of the view the gesture is on (its top-leading corner at 0, 0),
// or in the root view's space with `CoordinateSpace::global`.
struct DragGesture {
    double minimumDistance = 10;
    CoordinateSpace coordinateSpace = CoordinateSpace::local;
    std::function<void(const DragValue&)> changed;
    std::function<void(const DragValue&)> ended;

    DragGesture onChanged(std::function<void(const DragValue&)> f) const {
        DragGesture g = *this;
        g.changed = std::move(f);
        return g;
    }
    DragGesture onEnded(std::function<void(const DragValue&)> f) const {
        DragGesture g = *this;
        g.ended = std::move(f);
        return g;
    }
};

// Uniform type identifiers of what can be dropped.
namespace UTType {
inline const std::string fileURL = "public.file-url";
}

// One dropped or dragged item: its type and its value (a file's `file://` URL).
struct DropItem {
    std::string type;
    std::string value;
    friend bool operator==(const DropItem&, const DropItem&) = default;
};

// An entry of a context or pop-up menu (shown as a native menu by the window hosts).
struct MenuItem {
    enum class Kind { action, divider, submenu };
    Kind kind = Kind::action;
    std::string title;
    std::function<void()> action;
    bool enabled = true;
    bool checked = false;
    std::vector<MenuItem> items;  // of a submenu

    static MenuItem button(std::string title, std::function<void()> action) {
        return {Kind::action, std::move(title), std::move(action), true, false, {}};
    }
    static MenuItem divider() { return {Kind::divider, {}, {}, true, false, {}}; }
    static MenuItem submenu(std::string title, std::vector<MenuItem> items) {
        return {Kind::submenu, std::move(title), {}, true, false, std::move(items)};
    }
};

// The keys that press a button.
enum class KeyboardShortcut {
    // Return (and Enter) anywhere in the window, unless a text field takes it.
    defaultAction,
};

// What one view does with events; each interaction modifier fills in its part.
struct Interaction {
    std::vector<std::pair<int, std::function<void()>>> taps;  // (click count, action)
    std::function<void()> buttonAction;                      // on release inside the button
    bool isDefaultAction = false;                            // Return presses the button
    std::function<void(bool)> setPressed;                    // the button's pressed state
    std::vector<MenuItem> popUpMenu;                         // shown on press
    std::optional<DragGesture> drag;
    std::function<void(bool)> hover;  // true on entering, false on leaving
    std::vector<std::string> dropTypes;
    std::optional<Binding<bool>> dropTargeted;
    std::function<bool(const std::vector<DropItem>&)> drop;
    std::function<std::vector<DropItem>()> dragItems;
    std::vector<MenuItem> contextMenu;
    std::function<bool(double dx, double dy)> scroll;  // true when it moved
};

// A button style: any value with `View makeBody(const ButtonStyleConfiguration&) const`.
struct ButtonStyleConfiguration {
    View label;
    bool isPressed = false;
};
using ButtonStyleBody = std::function<View(const ButtonStyleConfiguration&)>;

// The default style: the label, dimmed while pressed.
struct PlainButtonStyle {
    View makeBody(const ButtonStyleConfiguration& c) const { return c.label.opacity(c.isPressed ? 0.7 : 1); }
};

// A button: runs `action` when a press that began on it is released over it. Its look comes
// from the button style in force, which sees whether it is pressed.
View Button(View label, std::function<void()> action);
View Button(std::string title, std::function<void()> action);
// A button that opens a pop-up menu of `items` below itself when pressed.
View Menu(View label, std::vector<MenuItem> items);

namespace modifier {
View interaction(View v, Interaction interaction);
View disabled(View v, bool disabled);
View buttonStyle(View v, std::shared_ptr<const ButtonStyleBody> style);
View keyboardShortcut(View v, KeyboardShortcut shortcut);
}  // namespace modifier

template <class Self>
View ViewModifiers<Self>::onTapGesture(std::function<void()> action) const {
    return onTapGesture(1, std::move(action));
}
template <class Self>
View ViewModifiers<Self>::onTapGesture(int count, std::function<void()> action) const {
    Interaction i;
    i.taps.emplace_back(count, std::move(action));
    return modifier::interaction(asView(), std::move(i));
}
template <class Self>
View ViewModifiers<Self>::onHover(std::function<void(bool)> action) const {
    Interaction i;
    i.hover = std::move(action);
    return modifier::interaction(asView(), std::move(i));
}
template <class Self>
View ViewModifiers<Self>::gesture(const DragGesture& g) const {
    Interaction i;
    i.drag = g;
    return modifier::interaction(asView(), std::move(i));
}
template <class Self>
View ViewModifiers<Self>::onDrop(std::vector<std::string> types, std::optional<Binding<bool>> isTargeted,
                                 std::function<bool(const std::vector<DropItem>&)> perform) const {
    Interaction i;
    i.dropTypes = std::move(types);
    i.dropTargeted = std::move(isTargeted);
    i.drop = std::move(perform);
    return modifier::interaction(asView(), std::move(i));
}
template <class Self>
View ViewModifiers<Self>::onDrag(std::function<std::vector<DropItem>()> items) const {
    Interaction i;
    i.dragItems = std::move(items);
    return modifier::interaction(asView(), std::move(i));
}
template <class Self>
View ViewModifiers<Self>::contextMenu(std::vector<MenuItem> items) const {
    Interaction i;
    i.contextMenu = std::move(items);
    return modifier::interaction(asView(), std::move(i));
}
template <class Self>
View ViewModifiers<Self>::disabled(bool d) const {
    return modifier::disabled(asView(), d);
}
template <class Self>
View ViewModifiers<Self>::keyboardShortcut(KeyboardShortcut shortcut) const {
    return modifier::keyboardShortcut(asView(), shortcut);
}
template <class Self>
template <class Style>
View ViewModifiers<Self>::buttonStyle(Style style) const {
    return modifier::buttonStyle(asView(), std::make_shared<const ButtonStyleBody>(
                                               [style = std::move(style)](const ButtonStyleConfiguration& c) {
                                                   return View(style.makeBody(c));
                                               }));
}

}  // namespace quorlix::ui
