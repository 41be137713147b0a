#pragma once
// The status-bar item (on Linux, a tray icon) with its menu, and the application's main menu.
//
// Menus are plain values. A status item asks for its menu each time it opens, so the items
// always reflect the current state. Main thread only.

#include "platform/image.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quorlix::platform {

// Commands the system carries out itself, for the application or the window in front (the
// focused text field for the editing commands).
enum class StandardAction {
    none,
    about,
    hide,
    terminate,
    undo,
    redo,
    cut,
    copy,
    paste,
    selectAll,
    minimize,
    close
};

struct MenuItem {
    std::string title;
    // None: the item does nothing (it may still carry a submenu), unless it has a standard
    // action.
    std::function<void()> action;
    StandardAction standardAction = StandardAction::none;
    // A key pressed with the command modifier ("," or "q"; an upper-case letter adds Shift).
    std::string keyEquivalent;
    // Shows an on or off mark.
    bool checkable = false;
    bool checked = false;
    bool separator = false;
    std::vector<MenuItem> submenu;

    static MenuItem separatorItem() {
        MenuItem item;
        item.separator = true;
        return item;
    }
};

struct Menu {
    std::string title;
    std::vector<MenuItem> items;
};

class StatusItem {
public:
    // Removes the item from the status bar.
    virtual ~StatusItem() = default;
};

class StatusBar {
public:
    virtual ~StatusBar() = default;

    // A new item showing `icon` (a template image: only its alpha counts, tinted by the
    // system for light and dark bars), whose menu is built by `menu` at each opening; none
    // when the desktop has no status bar.
    virtual std::unique_ptr<StatusItem> makeItem(const Image& icon,
                                                 const std::string& accessibilityDescription,
                                                 std::function<std::vector<MenuItem>()> menu) = 0;
    // Installs the application's main menu.
    virtual void setMainMenu(const std::vector<Menu>& menus) = 0;
    // Carries out `action` as a menu item holding it does (`terminate` quits the application).
    virtual void performStandardAction(StandardAction action) = 0;
};

}  // namespace quorlix::platform
