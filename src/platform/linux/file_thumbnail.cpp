#include "platform/linux/file_thumbnail.h"

#include "platform/atomic_file.h"
#include "platform/linux/qt_image_decoder.h"
#include "platform/paths.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>

#include <gio/gio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace quorlix::platform {

namespace fs = std::filesystem;

namespace {

// The cache's folders and the largest side of their pictures, smallest first.
struct CacheSize {
    const char* folder;
    int pixels;
};
constexpr CacheSize cacheSizes[] = {{"normal", 128}, {"large", 256}, {"x-large", 512}, {"xx-large", 1024}};

// The address the cache names a file by (GLib's own spelling, as the file managers use).
std::string fileURI(const fs::path& path) {
    gchar* uri = g_filename_to_uri(path.c_str(), nullptr, nullptr);
    if (!uri) return {};
    std::string text(uri);
    g_free(uri);
    return text;
}

// `size` shrunk to fit `bounds`, keeping its proportions; never grown.
QSize fitted(QSize size, QSize bounds) {
    if (size.width() <= bounds.width() && size.height() <= bounds.height()) return size;
    const QSize scaled = size.scaled(bounds, Qt::KeepAspectRatio);
    return {std::max(scaled.width(), 1), std::max(scaled.height(), 1)};
}

// Decodes what `reader` reads at a size fitting `bounds`. The reader checks every
// allocation against the limit, so a declared size that would need more is refused rather
// than allocated; formats that can (JPEG) decode straight at the smaller size.
QImage decode(QImageReader& reader, QSize bounds, int allocationLimitMegabytes) {
    reader.setAllocationLimit(allocationLimitMegabytes);
    reader.setAutoTransform(true);
    if (const QSize declared = reader.size(); declared.isValid() && !declared.isEmpty())
        reader.setScaledSize(fitted(declared, bounds));
    return reader.read();
}

QImage fittedInto(QImage image, QSize bounds) {
    if (image.isNull()) return image;
    const QSize target = fitted(image.size(), bounds);
    if (image.size() == target) return image;
    return image.scaled(target, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

// The cache's current picture of the file, or a null image.
QImage cached(const fs::path& path, QSize bounds, int allocationLimitMegabytes) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return {};
    const std::string uri = fileURI(path);
    if (uri.empty()) return {};
    const QString name = QString::fromLatin1(
        QCryptographicHash::hash(QByteArray::fromStdString(uri), QCryptographicHash::Md5).toHex() + ".png");

    // Large enough ones from the smallest up, then smaller ones from the largest down.
    const int needed = std::max(bounds.width(), bounds.height());
    std::vector<CacheSize> order;
    for (const auto& size : cacheSizes)
        if (size.pixels >= needed) order.push_back(size);
    for (auto it = std::rbegin(cacheSizes); it != std::rend(cacheSizes); ++it)
        if (it->pixels < needed) order.push_back(*it);

    const fs::path root = Paths::cacheDirectory() / "thumbnails";
    for (const auto& size : order) {
        // Cache pictures are small; their notes are read with the picture (the reader's own
        // notes cut keys at their first colon).
        PictureFile picture;
        if (!picture.open(root / size.folder / name.toStdString(), "png")) continue;
        picture.reader.setAllocationLimit(allocationLimitMegabytes);
        const QImage image = picture.reader.read();
        bool valid = false;
        const qlonglong made = image.text(QStringLiteral("Thumb::MTime")).toLongLong(&valid);
        // Made for an earlier version of the file: stale.
        if (!valid || made != static_cast<qlonglong>(info.st_mtime)) continue;
        if (image.text(QStringLiteral("Thumb::URI")) != QString::fromStdString(uri)) continue;
        return fittedInto(image, bounds);
    }
    return {};
}

}  // namespace

bool PictureFile::open(const fs::path& path, const QByteArray& format) {
    const int fd = openRegularFile(path);
    if (fd < 0) return false;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    reader.setDevice(&file);
    // The name's suffix, as a reader given the name would take it.
    reader.setFormat(format.isEmpty() ? QFileInfo(QFile::decodeName(path.c_str())).suffix().toLatin1()
                                      : format);
    return true;
}

std::optional<Image> fileThumbnail(const fs::path& path, Size pixels, int allocationLimitMegabytes) {
    const QSize bounds(std::max(1, static_cast<int>(std::lround(pixels.width))),
                       std::max(1, static_cast<int>(std::lround(pixels.height))));
    if (const QImage image = cached(path, bounds, allocationLimitMegabytes); !image.isNull())
        return imageFromQImage(image);
    PictureFile picture;
    if (!picture.open(path) || !picture.reader.canRead()) return std::nullopt;  // not a picture
    return imageFromQImage(fittedInto(decode(picture.reader, bounds, allocationLimitMegabytes), bounds));
}

}  // namespace quorlix::platform
