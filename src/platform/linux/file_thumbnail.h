#pragma once
// Thumbnails of the user's files. It reads files, which may block (a network mount that stops
// answering), so it runs off the main thread (any thread).
//
// The freedesktop thumbnail cache comes first: the picture a file manager made of the file,
// taken from the smallest cache size that is large enough (else the largest smaller one),
// when it is current, that is, made for the file's present modification time. Otherwise a
// file that is itself a picture is decoded at the size asked. Files may be anything, so a
// picture is never decoded into more than `allocationLimitMegabytes`: one declaring huge
// dimensions is refused instead.

#include "platform/geometry.h"
#include "platform/image.h"

#include <QFile>
#include <QImageReader>

#include <filesystem>
#include <optional>

namespace quorlix::platform {

// A picture read from the regular file at a path, opened as `openRegularFile` opens it:
// whatever else stands there (a FIFO, a device) is no picture, and never holds the thread that
// asks. `format` is tried first (by default the name's suffix); the contents decide otherwise.
struct PictureFile {
    QFile file;
    QImageReader reader;

    bool open(const std::filesystem::path& path, const QByteArray& format = {});
};

// A thumbnail of the file at `path` that fits within `pixels`, keeping its proportions and
// never larger than the picture itself; nothing when the file has none.
std::optional<Image> fileThumbnail(const std::filesystem::path& path, Size pixels,
                                   int allocationLimitMegabytes = 128);

}  // namespace quorlix::platform
