#include "platform/linux/url_scheme_handler.h"

#include "platform/atomic_file.h"
#include "platform/key_log.h"
#include "platform/linux/desktop_entry.h"
#include "platform/paths.h"

#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

namespace quorlix::platform {

namespace fs = std::filesystem;

namespace {

void runIfInstalled(const QString& program, const QStringList& arguments) {
    const QString path = QStandardPaths::findExecutable(program);
    if (!path.isEmpty()) QProcess::startDetached(path, arguments);
}

}  // namespace

fs::path UrlSchemeHandler::entryFile() {
    return Paths::applicationSupportDirectory() / "applications" / desktopID;
}

std::string UrlSchemeHandler::entry(const fs::path& executable) {
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Quorlix\n"
           "Comment=Isla en la parte superior de la pantalla\n"
           "Exec=" +
           DesktopEntry::execArgument(executable) +
           " %u\n"
           "Terminal=false\n"
           "Categories=Utility;\n"
           "MimeType=" +
           mimeType + ";\n";
}

bool UrlSchemeHandler::registerExecutable(const fs::path& executable) {
    if (executable.empty()) return false;
    const std::string text = entry(executable);
    if (readFile(entryFile(), DesktopEntry::maxFileSize) == text) return false;
    if (const auto error = writeFileAtomically(entryFile(), text)) {
        KeyLog::write("quorlix://: no se pudo escribir " + entryFile().string() + ": " + *error);
        return false;
    }
    runIfInstalled(QStringLiteral("update-desktop-database"),
                   {QStringLiteral("-q"), QString::fromStdString(entryFile().parent_path().string())});
    runIfInstalled(QStringLiteral("xdg-mime"), {QStringLiteral("default"), QString::fromLatin1(desktopID),
                                                QString::fromLatin1(mimeType)});
    return true;
}

}  // namespace quorlix::platform
