// The status item with its menu, rebuilt at each opening, and the application's main menu.

#include "app/app_delegate.h"
#include "app/menu_bar_icon.h"
#include "island/island_state.h"

#include <variant>

namespace quorlix {

namespace {

using platform::MenuItem;
using platform::StandardAction;

std::string_view label(MediaSourcePreference source) {
    switch (source) {
        case MediaSourcePreference::automatic: return "Automático";
        case MediaSourcePreference::spotify: return "Spotify";
        case MediaSourcePreference::music: return "Música";
    }
    return {};
}

MenuItem item(std::string title, std::function<void()> action, std::string key = {}) {
    MenuItem m;
    m.title = std::move(title);
    m.action = std::move(action);
    m.keyEquivalent = std::move(key);
    return m;
}

MenuItem standard(std::string title, StandardAction action, std::string key = {}) {
    MenuItem m;
    m.title = std::move(title);
    m.standardAction = action;
    m.keyEquivalent = std::move(key);
    return m;
}

}  // namespace

void AppDelegate::updateStatusItem() {
    if (!settings.menuBarIcon.get()) {
        statusItem_.reset();
        return;
    }
    if (statusItem_ || !platform_.statusBar) return;
    // The item goes with the delegate, so its menu never outlives it.
    statusItem_ = platform_.statusBar->makeItem(MenuBarIcon::image(), MenuBarIcon::accessibilityDescription,
                                                [this] { return statusMenu(); });
}

std::vector<MenuItem> AppDelegate::statusMenu() {
    std::vector<MenuItem> menu;
    menu.push_back(
        item(islandHidden_ ? "Mostrar la isla" : "Ocultar la isla", [this] { menuToggleHidden(); }));
    menu.push_back(MenuItem::separatorItem());

    const MediaSourcePreference current = settings.mediaSource.get();
    MenuItem source;
    source.title = "Fuente: " + std::string(label(current));
    for (const MediaSourcePreference choice : allCases<MediaSourcePreference>()) {
        MenuItem entry = item(std::string(label(choice)),
                              [this, raw = std::string(rawValue(choice))] { menuSource(raw); });
        entry.checkable = true;
        entry.checked = choice == current;
        source.submenu.push_back(std::move(entry));
    }
    menu.push_back(std::move(source));
    menu.push_back(item("Bandeja de archivos", [this] { menuTray(); }));
    menu.push_back(MenuItem::separatorItem());

    menu.push_back(item(
        "Ajustes…", [this] { menuSettings(); }, ","));
    const auto* available = std::get_if<UpdateService::Available>(&updates.state.get());
    menu.push_back(
        item(available ? "Actualizar a Quorlix " + available->version + "…" : "Buscar actualizaciones…",
             [this] { menuUpdates(); }));
    menu.push_back(MenuItem::separatorItem());
    menu.push_back(standard("Salir de Quorlix", StandardAction::terminate, "q"));
    return menu;
}

void AppDelegate::menuToggleHidden() {
    islandHidden_ = !islandHidden_;
    if (!islandHidden_) {
        rebuildWindows();
        return;
    }
    for (auto& controller : controllers_) controller->tearDown();
    controllers_.clear();
}

void AppDelegate::menuSource(const std::string& raw) {
    // Also the source already chosen: the assignment reloads what plays.
    if (const auto source = fromRawValue<MediaSourcePreference>(raw)) settings.mediaSource = *source;
}

void AppDelegate::menuTray() {
    if (islandHidden_) menuToggleHidden();
    // Chosen with the pointer, the item acts on the button's release, which the pointer monitor
    // may not have told of yet: told after the island opened, it would count as a click away
    // from it and close it again.
    if (platform_.pointerMonitor) platform_.pointerMonitor->reportPendingEvents();
    if (!controllers_.empty()) controllers_.front()->peek(IslandTab::tray);
}

void AppDelegate::menuSettings() { windows_->showSettings(SettingsSection::general); }

void AppDelegate::menuUpdates() {
    windows_->showSettings(SettingsSection::updates);
    // The settings pane shows the outcome; no HUD follows a check asked for by hand.
    updates.check();
}

std::vector<platform::Menu> AppDelegate::mainMenu() {
    return {
        {"Quorlix",
         {standard("Acerca de Quorlix", StandardAction::about), MenuItem::separatorItem(),
          item(
              "Ajustes…", [this] { menuSettings(); }, ","),
          MenuItem::separatorItem(), standard("Ocultar Quorlix", StandardAction::hide, "h"),
          standard("Salir de Quorlix", StandardAction::terminate, "q")}},
        {"Edición",
         {standard("Deshacer", StandardAction::undo, "z"), standard("Rehacer", StandardAction::redo, "Z"),
          MenuItem::separatorItem(), standard("Cortar", StandardAction::cut, "x"),
          standard("Copiar", StandardAction::copy, "c"), standard("Pegar", StandardAction::paste, "v"),
          standard("Seleccionar todo", StandardAction::selectAll, "a")}},
        {"Ventana",
         {standard("Minimizar", StandardAction::minimize, "m"),
          standard("Cerrar", StandardAction::close, "w")}},
    };
}

void AppDelegate::installMainMenu() {
    if (platform_.statusBar) platform_.statusBar->setMainMenu(mainMenu());
}

}  // namespace quorlix
