#pragma once
// The expanded island as the drop target for files. It takes file addresses only, anywhere
// over the island (transparent gaps included). While the tray is on (`trayEnabled`), a drag
// hovering over the island selects the tray page, and a drop hands every file to the tray,
// which loads and adds them on its own; while it is off, the page stays and a drop is
// refused. `targeted` follows the hover throughout, so the tray page can highlight itself.

#include "ui/state.h"
#include "ui/view.h"

namespace quorlix {

class AppSettings;
class IslandState;
class TrayStore;

ui::View trayDropTarget(ui::View island, const ui::State<bool>& targeted, IslandState& state, TrayStore& tray,
                        const AppSettings& settings);

}  // namespace quorlix
