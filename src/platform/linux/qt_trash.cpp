#include "platform/linux/qt_trash.h"

#include "platform/paths.h"

#include <QFile>

namespace quorlix::platform {

std::optional<std::string> QtTrash::moveToTrash(const std::filesystem::path& path) {
    // The home trash lies in the data folder, which Qt will not make.
    std::error_code ec;
    std::filesystem::create_directories(Paths::applicationSupportDirectory(), ec);
    QFile item(QString::fromStdString(path.string()));
    if (item.moveToTrash()) return std::nullopt;
    const std::string why = item.errorString().toStdString();
    return why.empty() ? std::string("no se pudo mover a la papelera") : why;
}

}  // namespace quorlix::platform
