#include "island/tray_drop.h"

#include "foundation/app_settings.h"
#include "island/island_state.h"
#include "platform/item_provider.h"
#include "services/tray_store.h"
#include "ui/views.h"

#include <memory>
#include <vector>

namespace quorlix {

ui::View trayDropTarget(ui::View island, const ui::State<bool>& targeted, IslandState& state, TrayStore& tray,
                        const AppSettings& settings) {
    using namespace ui;
    return island.contentShape(Rectangle())
        .onDrop({UTType::fileURL}, targeted.binding(),
                [&tray, &settings](const std::vector<DropItem>& items) {
                    if (!settings.trayEnabled.get()) return false;
                    std::vector<std::shared_ptr<platform::ItemProvider>> providers;
                    for (const auto& item : items)
                        providers.push_back(std::make_shared<platform::URLItemProvider>(item.value));
                    tray.add(providers);
                    return true;
                })
        // Leaving again keeps the tray page.
        .onChange(targeted.get(), [&state, &settings](bool hovering) {
            if (hovering && settings.trayEnabled.get()) state.tab = IslandTab::tray;
        });
}

}  // namespace quorlix
