#include "platform/linux/panel_appearance.h"

#include "platform/atomic_file.h"
#include "platform/linux/desktop_settings.h"
#include "platform/linux/x11_system_tray.h"
#include "platform/paths.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QTimer>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <sstream>
#include <string>

namespace quorlix::platform {

namespace {

// The relative luminance of a colour, channels from 0 to 1.
double luminance(double red, double green, double blue) {
    const auto linear = [](double c) {
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(red) + 0.7152 * linear(green) + 0.0722 * linear(blue);
}

// Past this luminance black and white stand out from a colour equally.
const double lightLuminance = std::sqrt(1.05 * 0.05) - 0.05;

bool isLight(double red, double green, double blue) { return luminance(red, green, blue) > lightLuminance; }

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

std::filesystem::path kdeGlobalsFile() { return Paths::configDirectory() / "kdeglobals"; }

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
    // Plasma's panel follows KDE's scheme, Breeze Light where none is named; what an X11 tray
    // shows there is the proxy's window that hands icons on, not the panel.
    if (hints.plasmaSession) return hints.kde.value_or(PanelAppearance::light);
    return hints.gnome.value_or(hints.kde.value_or(hints.behindIcon.value_or(PanelAppearance::dark)));
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

std::optional<PanelAppearance> fromPixelsBehindIcon(const std::vector<std::uint32_t>& pixels) {
    std::vector<double> opaque;
    opaque.reserve(pixels.size());
    for (const std::uint32_t p : pixels)
        if (p >> 24 == 0xff)
            opaque.push_back(
                luminance((p >> 16 & 0xff) / 255.0, (p >> 8 & 0xff) / 255.0, (p & 0xff) / 255.0));
    if (opaque.empty() || opaque.size() * 2 < pixels.size()) return std::nullopt;
    const auto middle = opaque.begin() + static_cast<std::ptrdiff_t>(opaque.size() / 2);
    std::nth_element(opaque.begin(), middle, opaque.end());
    return *middle > lightLuminance ? PanelAppearance::light : PanelAppearance::dark;
}

struct PanelAppearanceMonitor::Sources {
    Sources(std::function<void()> told, const std::optional<std::string>& trayDisplay)
        : changed(std::move(told)),
          colorScheme("org.gnome.desktop.interface", "color-scheme", [this] { changedSoon(); }),
          kdeGlobals(kdeGlobalsFile(), [this] { changedSoon(); }),
          palette([this] { changedSoon(); }),
          // An X11 tray only where Qt docks its icon in one.
          tray(trayDisplay || QGuiApplication::platformName() == QLatin1String("xcb")
                   ? X11SystemTray::open([this] { changedSoon(); }, trayDisplay.value_or(std::string()))
                   : nullptr) {
        soon.setSingleShot(true);
        soon.setInterval(0);
        QObject::connect(&soon, &QTimer::timeout, [this] { changed(); });
    }

    void changedSoon() {
        if (!soon.isActive()) soon.start();
    }

    std::function<void()> changed;
    // Made before the sources, which call on it.
    QTimer soon;
    GSettingsWatch colorScheme;
    ConfigFileWatch kdeGlobals;
    PaletteWatch palette;
    std::unique_ptr<X11SystemTray> tray;
};

PanelAppearanceMonitor::PanelAppearanceMonitor(std::function<void()> changed,
                                               std::optional<std::string> trayDisplay)
    : sources_(std::make_unique<Sources>(std::move(changed), trayDisplay)) {}

PanelAppearanceMonitor::~PanelAppearanceMonitor() = default;

PanelAppearance PanelAppearanceMonitor::current() {
    PanelHints hints;
    if (const auto foreground = sources_->tray ? sources_->tray->foreground() : std::nullopt)
        hints.tray = fromTrayForeground((*foreground)[0], (*foreground)[1], (*foreground)[2]);
    if (const auto scheme = gsettingsString("org.gnome.desktop.interface", "color-scheme"))
        hints.gnome = fromGnomeColorScheme(*scheme);
    hints.kde = fromKdeGlobals(kdeGlobalsFile());
    hints.plasmaSession = isPlasmaSession();
    if (sources_->tray) hints.behindIcon = fromPixelsBehindIcon(sources_->tray->behindIcon());
    return panelAppearance(hints);
}

void PanelAppearanceMonitor::watchIcon(std::uint32_t window) {
    if (sources_->tray) sources_->tray->watchIcon(window);
}

}  // namespace quorlix::platform
