#pragma once
// The blocks every settings pane is made of, white on the window's dark glass. A pane is a
// leading-aligned stack of them with no spacing: each brings its own margins.
//
//     VStack({.alignment = HorizontalAlignment::leading, .spacing = 0}, {
//         PaneHeader{SettingsSection::general},
//         GroupLabel{"Visibilidad"},
//         Card{{ToggleRow{"Ocultar en pantalla completa", settingBinding(settings.hideInFullscreen)},
//               RowDivider{},
//               ToggleRow{"Ícono de la barra de menús", settingBinding(settings.menuBarIcon)}}},
//         Footnote{"Sin el ícono, abre Ajustes ..."},
//     })

#include "foundation/settings_section.h"
#include "platform/published.h"
#include "ui/state.h"
#include "ui/view.h"

#include <optional>
#include <string>

namespace quorlix {

class AppSettings;

// A two-way binding to a published setting: reads its value, assigns it (and so stores it).
template <class T>
ui::Binding<T> settingBinding(Published<T>& setting) {
    return ui::Binding<T>([&setting] { return setting.get(); }, [&setting](T v) { setting = std::move(v); });
}

// Launch at login as a switch binds it: read from the login item at each render (so it shows
// the system's registration, not a stored copy), written by registering or unregistering.
ui::Binding<bool> launchAtLoginBinding(AppSettings& settings);

// The section's symbol and title at the head of a pane, with an optional one-line subtitle
// under them.
struct PaneHeader {
    SettingsSection section;
    std::optional<std::string> subtitle;
    ui::View body(ui::Context& ctx) const;
};

// A rounded, faintly lit panel of rows, edge to edge, 15 points in from its sides.
struct Card {
    ui::Views content;
    ui::View body(ui::Context& ctx) const;
};

// A caption above a card, as written.
struct GroupLabel {
    std::string text;
    ui::View body(ui::Context& ctx) const;
};

// A note under a card, pulled 3 points up into the card's gap; it wraps and is never cut.
struct Footnote {
    std::string text;
    ui::View body(ui::Context& ctx) const;
};

// The hairline between two rows of a card.
struct RowDivider {
    ui::View body(ui::Context& ctx) const;
};

// A title and a switch bound to a setting, at least 48 points high; an optional symbol in an
// 18-point slot before the title. Only the switch changes the setting.
struct ToggleRow {
    std::string title;
    ui::Binding<bool> isOn;
    std::optional<std::string> symbol;

    static constexpr double minHeight = 48;
    ui::View body(ui::Context& ctx) const;
};

}  // namespace quorlix
