#include "platform/linux/linux_workspace.h"

#include "platform/atomic_file.h"
#include "platform/linux/desktop_entry.h"
#include "platform/linux/file_thumbnail.h"
#include "platform/linux/qt_image_decoder.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QUrl>

#include <gio/gio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <set>

namespace quorlix::platform {

namespace {

constexpr int iconSize = 128;

// Theme icons need the GUI side of Qt.
bool hasGUI() { return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr; }

// The icon `name` in the desktop's icon theme; where the session names no theme (a bare X
// session) or its theme lacks it, from the themes every desktop installs.
QIcon themedIcon(const QString& name) {
    if (const QIcon icon = QIcon::fromTheme(name); !icon.isNull()) return icon;
    const QStringList roots = QStandardPaths::locateAll(
        QStandardPaths::GenericDataLocation, QStringLiteral("icons"), QStandardPaths::LocateDirectory);
    for (const QString& root : roots)
        for (const char* theme : {"Adwaita", "hicolor"})
            for (const char* size : {"256x256", "512x512", "128x128", "96x96", "64x64", "48x48"})
                for (const char* context : {"mimetypes", "places"}) {
                    const QString file = QStringLiteral("%1/%2/%3/%4/%5.png")
                                             .arg(root, QLatin1String(theme), QLatin1String(size),
                                                  QLatin1String(context), name);
                    if (QFileInfo::exists(file)) return QIcon(file);
                }
    return {};
}

// The file's type by its name and, for a regular file, its first bytes. Anything else (a
// folder, a FIFO) is told by its kind, and is never opened: a FIFO's opening would wait for a
// writer. Any thread: QMimeDatabase may be used from several.
QMimeType mimeType(const std::string& path) {
    const QString name = QFile::decodeName(path.c_str());
    QMimeDatabase types;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return types.mimeTypeForFile(name);
    QFile file;
    const int fd = openRegularFile(path);
    if (fd < 0 || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        if (fd >= 0) ::close(fd);
        return types.mimeTypeForFile(name, QMimeDatabase::MatchExtension);
    }
    return types.mimeTypeForFileNameAndData(name, &file);
}

// The icon theme's picture for the first of `names` it holds, else any file's.
std::optional<Image> themedFileIcon(const QStringList& names) {
    if (!hasGUI()) return std::nullopt;
    for (const QString& name : names + QStringList{QStringLiteral("application-x-generic")}) {
        const QIcon themed = themedIcon(name);
        if (!themed.isNull()) return imageFromQImage(themed.pixmap(iconSize, iconSize).toImage());
    }
    return std::nullopt;
}

// Runs `make` on one of `workers` and hands what it made to `done` on the main thread, unless
// the handle returned went first. Held weakly off the main thread: the handle keeps `done`,
// which goes with it on the main thread whatever a worker is doing.
template <class Result>
WorkItem madeOffMainThread(DetachedWorkers& workers, std::function<Result()> make,
                           std::function<void(Result)> done) {
    auto result = std::make_shared<Result>();
    auto delivery = std::make_shared<Job>([result, done = std::move(done)] { done(std::move(*result)); });
    workers.async(
        [make = std::move(make), result, weak = std::weak_ptr<Job>(delivery)]() -> std::function<void()> {
            if (weak.expired()) return {};  // nobody waits for it any more
            *result = make();
            return [weak] {
                if (const auto delivery = weak.lock()) delivery->run();
            };
        });
    return WorkItem(delivery);
}

// Hands the file to the default application of its type; a failure to launch one is the
// desktop's to tell, and nothing waits for it.
void openWithDefaultApplication(const std::string& path) {
    gchar* uri = g_filename_to_uri(path.c_str(), nullptr, nullptr);
    if (!uri) return;
    g_app_info_launch_default_for_uri_async(uri, nullptr, nullptr, nullptr, nullptr);
    g_free(uri);
}

}  // namespace

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
    if (QFileInfo(name).isAbsolute()) {
        // The entry may be the user's own, and name anything.
        PictureFile picture;
        if (!picture.open(entry->icon)) return std::nullopt;
        return imageFromQImage(picture.reader.read());
    }
    if (hasGUI()) {
        const QIcon themed = QIcon::fromTheme(name);
        if (!themed.isNull()) return imageFromQImage(themed.pixmap(iconSize, iconSize).toImage());
    }
    for (const char* suffix : {".png", ".xpm"}) {
        const QImage image(QStringLiteral("/usr/share/pixmaps/") + name + QLatin1String(suffix));
        if (!image.isNull()) return imageFromQImage(image);
    }
    return std::nullopt;
}

WorkItem LinuxWorkspace::fileIcon(const std::string& path, std::function<void(std::optional<Image>)> done) {
    return madeOffMainThread<QStringList>(
        thumbnails_,
        [path] {
            // The type's own icon, then its group's ("text-x-generic").
            const QMimeType type = mimeType(path);
            return QStringList{type.iconName(), type.genericIconName()};
        },
        [done = std::move(done)](QStringList names) { done(themedFileIcon(names)); });
}

void LinuxWorkspace::openFile(const std::string& path) { openWithDefaultApplication(path); }

void LinuxWorkspace::activateFileViewerSelecting(const std::vector<std::string>& paths) {
    if (paths.empty()) return;
    QStringList uris;
    std::set<std::string> folders;
    for (const auto& path : paths) {
        uris << QString::fromUtf8(QUrl::fromLocalFile(QFile::decodeName(path.c_str())).toEncoded());
        folders.insert(std::filesystem::path(path).parent_path().string());
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << uris << QString();
    auto* watcher = new QDBusPendingCallWatcher(bus_.connection().asyncCall(call));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher, [watcher, folders] {
        // No file manager on the bus: the folders at least.
        if (watcher->isError())
            for (const auto& folder : folders) openWithDefaultApplication(folder);
        watcher->deleteLater();
    });
}

WorkItem LinuxWorkspace::thumbnail(const std::string& path, Size size, double scale,
                                   std::function<void(std::optional<Image>)> done) {
    const Size pixels{size.width * scale, size.height * scale};
    return madeOffMainThread<std::optional<Image>>(
        thumbnails_, [path, pixels] { return fileThumbnail(path, pixels); }, std::move(done));
}

void LinuxWorkspace::openURL(const std::string& url) {
    QProcess::startDetached(QStringLiteral("xdg-open"), {QString::fromStdString(url)});
}

}  // namespace quorlix::platform
