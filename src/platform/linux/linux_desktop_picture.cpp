#include "platform/linux/linux_desktop_picture.h"

#include "platform/atomic_file.h"
#include "platform/linux/desktop_settings.h"

#include <QRegularExpression>
#include <QUrl>
#include <QXmlStreamReader>

#include <cstdlib>
#include <sstream>
#include <string>

namespace quorlix::platform {

namespace fs = std::filesystem;

namespace {

// The desktop's own files are small; a larger one is not read.
constexpr std::size_t maxConfigBytes = 4 << 20;

bool isXml(const fs::path& path) { return path.extension() == ".xml"; }

fs::path configHome() {
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) return xdg;
    const char* home = std::getenv("HOME");
    return fs::path(home ? home : "") / ".config";
}

// A picture file, or the picture a description or a package stands for.
std::optional<fs::path> resolved(const fs::path& path) {
    std::error_code ec;
    if (fs::is_directory(path, ec)) return LinuxDesktopPicture::largestImageOfPackage(path);
    if (isXml(path)) return LinuxDesktopPicture::firstFileOfBackground(path);
    if (!fs::is_regular_file(path, ec)) return std::nullopt;
    return path;
}

}  // namespace

std::optional<fs::path> LinuxDesktopPicture::picturePath() {
    const fs::path kde = configHome() / "plasma-org.kde.plasma.desktop-appletsrc";
    if (isPlasmaSession()) {
        if (auto picture = fromKdeConfig(kde)) return picture;
        return fromGnomeSettings();
    }
    if (auto picture = fromGnomeSettings()) return picture;
    return fromKdeConfig(kde);
}

std::optional<fs::path> LinuxDesktopPicture::fromGnomeSettings() {
    const auto scheme = gsettingsString("org.gnome.desktop.interface", "color-scheme");
    const bool dark = scheme && *scheme == "prefer-dark";
    const auto uri =
        gsettingsString("org.gnome.desktop.background", dark ? "picture-uri-dark" : "picture-uri");
    if (!uri || uri->rfind("file:", 0) != 0) return std::nullopt;
    const auto path = localPath(*uri);
    return path ? resolved(*path) : std::nullopt;
}

std::optional<fs::path> LinuxDesktopPicture::fromKdeConfig(const fs::path& appletsrc) {
    const auto text = readFile(appletsrc, maxConfigBytes);
    if (!text) return std::nullopt;
    std::istringstream in(*text);
    static const QRegularExpression wallpaperGroup(
        QStringLiteral(R"(^\[Containments\]\[\d+\]\[Wallpaper\]\[org\.kde\.image\]\[General\]$)"));
    bool inGroup = false;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line.front() == '[') {
            // Only the first such group counts, found or not.
            if (inGroup) return std::nullopt;
            inGroup = wallpaperGroup.match(QString::fromStdString(line)).hasMatch();
            continue;
        }
        if (!inGroup || line.rfind("Image=", 0) != 0) continue;
        const auto path = localPath(std::string_view(line).substr(6));
        return path ? resolved(*path) : std::nullopt;
    }
    return std::nullopt;
}

std::optional<fs::path> LinuxDesktopPicture::localPath(std::string_view address) {
    if (address.empty()) return std::nullopt;
    if (address.front() == '/') return fs::path(address);
    const QUrl url = QUrl::fromEncoded(QByteArray(address.data(), static_cast<qsizetype>(address.size())));
    if (!url.isValid() || !url.isLocalFile()) return std::nullopt;
    const QString local = url.toLocalFile();
    if (local.isEmpty()) return std::nullopt;
    return fs::path(local.toStdString());
}

std::optional<fs::path> LinuxDesktopPicture::firstFileOfBackground(const fs::path& xml) {
    const auto text = readFile(xml, maxConfigBytes);
    if (!text) return std::nullopt;
    QXmlStreamReader reader(QByteArray::fromRawData(text->data(), static_cast<qsizetype>(text->size())));
    // <file>PATH</file>, or <file><size ...>PATH</size>...</file>: the first path either way.
    bool inFile = false;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement() && reader.name() == QLatin1String("file"))
            inFile = true;
        else if (reader.isEndElement() && reader.name() == QLatin1String("file"))
            inFile = false;
        else if (inFile && reader.isCharacters() && !reader.isWhitespace()) {
            const fs::path path(reader.text().toString().trimmed().toStdString());
            std::error_code ec;
            if (path.is_absolute() && !isXml(path) && fs::is_regular_file(path, ec)) return path;
            return std::nullopt;
        }
    }
    return std::nullopt;
}

std::optional<fs::path> LinuxDesktopPicture::largestImageOfPackage(const fs::path& package) {
    static const QRegularExpression dimensions(QStringLiteral(R"(^(\d{1,5})x(\d{1,5})$)"));
    std::optional<fs::path> best;
    long long bestArea = -1;
    std::uintmax_t bestBytes = 0;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(package / "contents" / "images", ec)) {
        if (!entry.is_regular_file(ec)) continue;
        // Named by their size ("1920x1080.png"); a name without one counts by its bytes, after.
        const auto m = dimensions.match(QString::fromStdString(entry.path().stem().string()));
        const long long area = m.hasMatch() ? m.captured(1).toLongLong() * m.captured(2).toLongLong() : 0;
        const std::uintmax_t bytes = entry.file_size(ec);
        if (area > bestArea || (area == bestArea && bytes > bestBytes)) {
            best = entry.path();
            bestArea = area;
            bestBytes = bytes;
        }
    }
    return best;
}

}  // namespace quorlix::platform
