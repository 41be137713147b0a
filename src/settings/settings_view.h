#pragma once
// The settings window's root view: a 210-point sidebar (a search field, the sections in
// their groups, and the foot row under a divider) beside a scrolling pane area that shows the
// selected section's pane. The search filters the sidebar only; it never changes the
// selection, so a filtered-out section still shows its pane. Each change of section replaces
// the pane area (its scroll starts at the top again) with a short ease-out.
//
// Reads the services the panes need as environment objects, put there by the window's
// controller. Main thread only.

#include "settings/settings_selection.h"
#include "ui/state.h"
#include "ui/view.h"

#include <string>

namespace quorlix {

struct SettingsView {
    SettingsSelection* selection;
    // The search text the view starts with.
    std::string initialQuery;

    static constexpr double width = 620;
    static constexpr double height = 720;
    static constexpr double sidebarWidth = 210;

    ui::View body(ui::Context& ctx) const;
    // A new instance of the section's pane.
    static ui::View pane(SettingsSection section);
};

// One section in the sidebar: its symbol in a tile and its title, lit while selected or
// under the pointer.
struct SidebarRow {
    SettingsSection section;
    bool selected = false;
    ui::View body(ui::Context& ctx) const;
};

// The sidebar's search field over the window layer's native text field, with a clear button
// while it holds text.
struct SearchField {
    ui::Binding<std::string> text;
    ui::View body(ui::Context& ctx) const;
};

// The window's dark translucent background (what lies behind a window cannot be blurred
// here, so it is a fill).
struct GlassBackground {
    ui::View body(ui::Context& ctx) const;
};

}  // namespace quorlix
