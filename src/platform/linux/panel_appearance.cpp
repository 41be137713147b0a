#include "platform/linux/panel_appearance.h"

#include "platform/atomic_file.h"
#include "platform/linux/desktop_settings.h"
#include "platform/linux/x11_system_tray.h"
#include "platform/paths.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <sstream>
#include <string>

namespace quorlix::platform {

namespace {

// Whether a colour (channels from 0 to 1) is light: its relative luminance is past the point
// where black and white would stand out from it equally.
bool isLight(double red, double green, double blue) {
    const auto linear = [](double c) {
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    const double luminance = 0.2126 * linear(red) + 0.7152 * linear(green) + 0.0722 * linear(blue);
    return luminance > std::sqrt(1.05 * 0.05) - 0.05;
}

// KDE's colour settings are a few kilobytes; a larger file is not read.
constexpr std::size_t maxKdeGlobalsBytes = 1 << 20;

std::string lowercase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

// "r,g,b" with channels from 0 to 255.
std::optional<PanelAppearance> fromKdeColour(const std::string& value) {
    std::istringstream in(value);
    int channels[3];
    char comma = 0;
    if (!(in >> channels[0] >> comma) || comma != ',' || !(in >> channels[1] >> comma) || comma != ',' ||
        !(in >> channels[2]))
        return std::nullopt;
    for (const int c : channels)
        if (c < 0 || c > 255) return std::nullopt;
    return isLight(channels[0] / 255.0, channels[1] / 255.0, channels[2] / 255.0) ? PanelAppearance::light
                                                                                  : PanelAppearance::dark;
}

// The application's palette changes with the desktop's theme.
class PaletteWatch final : public QObject {
public:
    explicit PaletteWatch(std::function<void()> changed) : changed_(std::move(changed)) {
        if (QCoreApplication::instance()) QCoreApplication::instance()->installEventFilter(this);
    }
    ~PaletteWatch() override {
        if (QCoreApplication::instance()) QCoreApplication::instance()->removeEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        // Every window hears of it too; once is enough.
        if (event->type() == QEvent::ApplicationPaletteChange && watched == QCoreApplication::instance())
            changed_();
        return false;
    }

private:
    std::function<void()> changed_;
};

}  // namespace

PanelAppearance panelAppearance(const PanelHints& hints) {
    if (hints.tray) return *hints.tray;
    const auto& first = hints.plasmaSession ? hints.kde : hints.gnome;
    const auto& second = hints.plasmaSession ? hints.gnome : hints.kde;
    return first.value_or(second.value_or(PanelAppearance::dark));
}

std::optional<PanelAppearance> fromGnomeColorScheme(std::string_view scheme) {
    if (scheme == "prefer-dark") return PanelAppearance::dark;
    if (scheme == "prefer-light") return PanelAppearance::light;
    return std::nullopt;
}

std::optional<PanelAppearance> fromKdeGlobals(const std::filesystem::path& file) {
    // A user's own file: read only if it is a regular one, without waiting on what stands there.
    const auto text = readFile(file, maxKdeGlobalsBytes);
    if (!text) return std::nullopt;
    std::istringstream in(*text);
    std::string group, line;
    std::optional<PanelAppearance> background, named;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line.front() == '[') {
            group = line;
            continue;
        }
        const auto equals = line.find('=');
        if (equals == std::string::npos) continue;
        const std::string key = line.substr(0, equals), value = line.substr(equals + 1);
        if (group == "[Colors:Window]" && key == "BackgroundNormal") {
            background = fromKdeColour(value);
        } else if (group == "[General]" && key == "ColorScheme") {
            const std::string name = lowercase(value);
            if (name.find("dark") != std::string::npos)
                named = PanelAppearance::dark;
            else if (name.find("light") != std::string::npos)
                named = PanelAppearance::light;
        }
    }
    return background ? background : named;
}

PanelAppearance fromTrayForeground(std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
    const auto channel = [](std::uint32_t c) { return std::min(c, 0xffffu) / 65535.0; };
    return isLight(channel(red), channel(green), channel(blue)) ? PanelAppearance::dark
                                                                : PanelAppearance::light;
}

struct PanelAppearanceMonitor::Sources {
    explicit Sources(const std::function<void()>& changed)
        : colorScheme("org.gnome.desktop.interface", "color-scheme", changed),
          palette(changed),
          // An X11 tray only where Qt docks its icon in one.
          tray(QGuiApplication::platformName() == QLatin1String("xcb") ? X11SystemTray::open(changed)
                                                                       : nullptr) {}

    GSettingsWatch colorScheme;
    PaletteWatch palette;
    std::unique_ptr<X11SystemTray> tray;
};

PanelAppearanceMonitor::PanelAppearanceMonitor(std::function<void()> changed)
    : sources_(std::make_unique<Sources>(changed)) {}

PanelAppearanceMonitor::~PanelAppearanceMonitor() = default;

PanelAppearance PanelAppearanceMonitor::current() {
    PanelHints hints;
    if (const auto foreground = sources_->tray ? sources_->tray->foreground() : std::nullopt)
        hints.tray = fromTrayForeground((*foreground)[0], (*foreground)[1], (*foreground)[2]);
    if (const auto scheme = gsettingsString("org.gnome.desktop.interface", "color-scheme"))
        hints.gnome = fromGnomeColorScheme(*scheme);
    hints.kde = fromKdeGlobals(Paths::configDirectory() / "kdeglobals");
    hints.plasmaSession = isPlasmaSession();
    return panelAppearance(hints);
}

}  // namespace quorlix::platform
