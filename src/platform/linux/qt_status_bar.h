#pragma once
// The status item as a tray icon (a StatusNotifierItem where the desktop hosts them, the
// older system tray otherwise), whose menu is rebuilt each time it opens; a click on the icon
// opens the menu too, as a status item does.
//
// Linux desktops give a window-less application no menu bar of its own, so the main menu
// lives on as its key equivalents (Ctrl with the item's key) in the application's windows;
// the editing commands are left to the focused text field, which knows them already.
//
// The template glyph is tinted for the panel it sits on: light bars on a dark panel, dark ones
// on a light panel (panel_appearance.h), again whenever the desktop's look changes. Main
// thread only.

#include "platform/status_bar.h"

#include <memory>

class QMenu;

namespace quorlix::platform {

class QtStatusBar final : public StatusBar {
public:
    QtStatusBar();
    ~QtStatusBar() override;

    std::unique_ptr<StatusItem> makeItem(const Image& icon, const std::string& accessibilityDescription,
                                         std::function<std::vector<MenuItem>()> menu) override;
    void setMainMenu(const std::vector<Menu>& menus) override;
    void performStandardAction(StandardAction action) override { perform(action); }

    // Fills `menu` with `items`, replacing what it held.
    static void fill(QMenu& menu, const std::vector<MenuItem>& items);
    // Carries out a command the system knows.
    static void perform(StandardAction action);

private:
    class Shortcuts;
    std::unique_ptr<Shortcuts> shortcuts_;
};

}  // namespace quorlix::platform
