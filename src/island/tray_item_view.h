#pragma once
// One file of the tray page: its thumbnail (its icon until the thumbnail comes, or for good
// when there is none) above its name, cut to two lines. Dragged out, it hands the receiving
// application the file's address, and the file stays in the tray. A double click opens it;
// its context menu opens it, shows it in the file manager or takes it out of the tray.
//
// The icon is asked for once, when the view first shows, and the thumbnail once the icon has
// come, at 100 by 100 points and the main screen's scale: both are found off the main thread,
// and both requests end with the view, so a late answer writes nothing.
//
//     TrayItemView(item)   // with the TrayStore in the environment

#include "services/tray_store.h"
#include "ui/view.h"

#include <filesystem>
#include <string>

namespace quorlix {

struct TrayItemView : ui::ViewModifiers<TrayItemView> {
    TrayItem item;

    explicit TrayItemView(TrayItem item) : item(std::move(item)) {}

    ui::View body(ui::Context& ctx) const;

    // The name shown: the path's last component.
    static std::string displayName(const std::filesystem::path& path);
};

}  // namespace quorlix
