#include "platform/linux/qt_trash.h"

#include <QFile>

namespace quorlix::platform {

std::optional<std::string> QtTrash::moveToTrash(const std::filesystem::path& path) {
    QFile item(QString::fromStdString(path.string()));
    if (item.moveToTrash()) return std::nullopt;
    const std::string why = item.errorString().toStdString();
    return why.empty() ? std::string("no se pudo mover a la papelera") : why;
}

}  // namespace quorlix::platform
