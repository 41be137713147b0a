#pragma once
// Whether the panel that holds the tray icon is dark or light, from what the desktop says of
// its look. The tray's own word comes first: the icon colours an X11 tray asks for (its
// foreground suits its panel). Then the desktop's preference: in a Plasma session KDE's colour
// scheme, and where its kdeglobals names none, Breeze's own light colours, which Plasma then
// uses (a fresh profile); elsewhere GNOME's "color-scheme", then KDE's. Where none says
// anything, what an X11 tray shows behind the icon decides (a tray tinted light that asks for
// no colours); without even that the panel counts as dark, as the usual ones are (Xfce's
// default panel, GNOME's top bar).

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorlix::platform {

enum class PanelAppearance { dark, light };

// What each source says; nothing where it says nothing.
struct PanelHints {
    std::optional<PanelAppearance> tray;
    std::optional<PanelAppearance> gnome;
    std::optional<PanelAppearance> kde;
    bool plasmaSession = false;
    std::optional<PanelAppearance> behindIcon;
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
// What a tray shows behind the icon, as 0xAARRGGBB: light or dark by the middle luminance of its
// opaque pixels, which the icon's thin bars cannot sway; nothing when fewer than half are
// opaque (what shows through is the compositor's to choose).
std::optional<PanelAppearance> fromPixelsBehindIcon(const std::vector<std::uint32_t>& pixels);

// The panel's look as the desktop says it now, with a call each time that may have changed:
// GNOME's "color-scheme", KDE's kdeglobals, the application's palette (which a desktop's Qt
// theme follows) or an X11 tray that comes, goes, changes its colours or shows something else
// behind the icon.
//
// Changes that come together are told once, on the next turn of the event loop, after every
// event already read: a tray that sets its colours a hundred times over, or a theme switch that
// changes the palette and the colour scheme at once, costs one reading of them all.
class PanelAppearanceMonitor {
public:
    // The X11 tray watched is that of `trayDisplay` (tests name their own server); by default
    // the application's display, where Qt docks its icon in an X11 tray.
    explicit PanelAppearanceMonitor(std::function<void()> changed,
                                    std::optional<std::string> trayDisplay = std::nullopt);
    ~PanelAppearanceMonitor();
    PanelAppearanceMonitor(const PanelAppearanceMonitor&) = delete;
    PanelAppearanceMonitor& operator=(const PanelAppearanceMonitor&) = delete;

    PanelAppearance current();
    // The tray icon's X11 window (0 for none), whose background an X11 tray shows.
    void watchIcon(std::uint32_t window);

private:
    struct Sources;
    std::unique_ptr<Sources> sources_;
};

}  // namespace quorlix::platform
