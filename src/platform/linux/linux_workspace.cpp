#include "platform/linux/linux_workspace.h"

#include "platform/linux/desktop_entry.h"
#include "platform/linux/qt_image_decoder.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QProcess>
#include <QStringList>

#include <unistd.h>

namespace quorlix::platform {

namespace {
constexpr int iconSize = 128;
}

Subscription LinuxWorkspace::onApplicationTerminated(
    std::function<void(const std::optional<std::string>&)> handler) {
    return bus_.onPlayerVanished(
        [handler = std::move(handler)](const std::string& identifier) { handler(identifier); });
}

bool LinuxWorkspace::isRunning(const std::string& bundleIdentifier) const {
    return !bus_.busName(bundleIdentifier).isEmpty();
}

std::optional<RunningApplication> LinuxWorkspace::frontmostApplication() const {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return std::nullopt;
    if (QGuiApplication::applicationState() != Qt::ApplicationActive) return std::nullopt;
    return RunningApplication{std::string(ownIdentifier), static_cast<std::int64_t>(::getpid())};
}

std::optional<std::string> LinuxWorkspace::applicationLocation(const std::string& bundleIdentifier) const {
    std::vector<std::string> ids;
    if (const QString entry = bus_.desktopEntry(bundleIdentifier); !entry.isEmpty()) {
        ids.push_back(entry.toStdString() + ".desktop");
    }
    if (bundleIdentifier == mpris::spotifyIdentifier) {
        ids.emplace_back("spotify.desktop");
        ids.emplace_back("com.spotify.Client.desktop");  // the Flatpak build
    }
    ids.push_back(bundleIdentifier + ".desktop");
    for (const auto& id : ids) {
        if (const auto file = DesktopEntry::find(id)) return file->string();
    }
    return std::nullopt;
}

void LinuxWorkspace::openApplication(const std::string& location) {
    const QString entryName = QFileInfo(QString::fromStdString(location)).completeBaseName();
    for (const char* identifier : {mpris::musicIdentifier, mpris::spotifyIdentifier}) {
        if (isRunning(identifier) && bus_.desktopEntry(identifier) == entryName) {
            bus_.raise(identifier);
            return;
        }
    }
    const auto entry = DesktopEntry::read(location);
    if (!entry) return;
    const auto words = entry->command();
    if (words.empty()) return;
    QStringList arguments;
    for (std::size_t i = 1; i < words.size(); ++i) arguments << QString::fromStdString(words[i]);
    QProcess::startDetached(QString::fromStdString(words.front()), arguments);
}

std::optional<Image> LinuxWorkspace::icon(const std::string& location) const {
    const auto entry = DesktopEntry::read(location);
    if (!entry || entry->icon.empty()) return std::nullopt;
    const QString name = QString::fromStdString(entry->icon);
    if (QFileInfo(name).isAbsolute()) return imageFromQImage(QImage(name));
    // Theme icons need the GUI side of Qt.
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        const QIcon themed = QIcon::fromTheme(name);
        if (!themed.isNull()) return imageFromQImage(themed.pixmap(iconSize, iconSize).toImage());
    }
    for (const char* suffix : {".png", ".xpm"}) {
        const QImage image(QStringLiteral("/usr/share/pixmaps/") + name + QLatin1String(suffix));
        if (!image.isNull()) return imageFromQImage(image);
    }
    return std::nullopt;
}

void LinuxWorkspace::openURL(const std::string& url) {
    QProcess::startDetached(QStringLiteral("xdg-open"), {QString::fromStdString(url)});
}

}  // namespace quorlix::platform
