#pragma once
// Whether the panel that holds the tray icon is dark or light, from what the desktop says of
// its look. The tray's own word comes first: the icon colours an X11 tray asks for (its
// foreground suits its panel). Then the desktop's preference: in a Plasma session KDE's colour
// scheme, then GNOME's "color-scheme"; elsewhere GNOME's first. Where none says anything the
// panel counts as dark, as the usual ones are (Xfce's default panel, GNOME's top bar).

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>

namespace quorlix::platform {

enum class PanelAppearance { dark, light };

// What each source says; nothing where it says nothing.
struct PanelHints {
    std::optional<PanelAppearance> tray;
    std::optional<PanelAppearance> gnome;
    std::optional<PanelAppearance> kde;
    bool plasmaSession = false;
};

PanelAppearance panelAppearance(const PanelHints& hints);

// GNOME's org.gnome.desktop.interface "color-scheme": "prefer-dark" or "prefer-light";
// "default" says nothing.
std::optional<PanelAppearance> fromGnomeColorScheme(std::string_view scheme);
// KDE's kdeglobals: the window background of its colour scheme ([Colors:Window]
// BackgroundNormal, "r,g,b"), else the scheme's name ([General] ColorScheme) where it says
// dark or light.
std::optional<PanelAppearance> fromKdeGlobals(const std::filesystem::path& file);
// A tray's foreground colour, 16 bits a channel: a light foreground sits on a dark panel.
PanelAppearance fromTrayForeground(std::uint32_t red, std::uint32_t green, std::uint32_t blue);

// The panel's look as the desktop says it now, with a call each time that may have changed:
// GNOME's "color-scheme", the application's palette (which a desktop's Qt theme follows) or an
// X11 tray that comes, goes or changes its colours. KDE's file is read again at each call.
class PanelAppearanceMonitor {
public:
    explicit PanelAppearanceMonitor(std::function<void()> changed);
    ~PanelAppearanceMonitor();
    PanelAppearanceMonitor(const PanelAppearanceMonitor&) = delete;
    PanelAppearanceMonitor& operator=(const PanelAppearanceMonitor&) = delete;

    PanelAppearance current();

private:
    struct Sources;
    std::unique_ptr<Sources> sources_;
};

}  // namespace quorlix::platform
