#include "platform/linux/xdg_login_item.h"

#include "platform/atomic_file.h"
#include "platform/linux/desktop_entry.h"
#include "platform/paths.h"

#include <sstream>

namespace quorlix::platform {

namespace fs = std::filesystem;

XdgLoginItem::XdgLoginItem(fs::path executable) : executable_(std::move(executable)) {}

fs::path XdgLoginItem::entryFile() { return Paths::autostartDirectory() / "quorlix.desktop"; }

bool XdgLoginItem::isEnabled() const {
    const auto text = readFile(entryFile(), DesktopEntry::maxFileSize);
    if (!text) return false;
    // An entry switched off by the desktop's own settings does not count.
    std::istringstream lines(*text);
    for (std::string line; std::getline(lines, line);) {
        if (line == "Hidden=true" || line == "X-GNOME-Autostart-enabled=false") return false;
    }
    return true;
}

std::optional<std::string> XdgLoginItem::registerItem() {
    const fs::path exe = executable_.empty() ? Paths::executable() : executable_;
    if (exe.empty()) return std::string("no se encontró el ejecutable");
    const std::string program = DesktopEntry::execArgument(exe);
    const std::string entry =
        "[Desktop Entry]\n"
        "Type=Application\n"
        "Name=Quorlix\n"
        "Comment=Isla en la parte superior de la pantalla\n"
        "Exec=" +
        program +
        "\n"
        "Terminal=false\n"
        "X-GNOME-Autostart-enabled=true\n";
    return writeFileAtomically(entryFile(), entry);
}

std::optional<std::string> XdgLoginItem::unregisterItem() {
    std::error_code ec;
    fs::remove(entryFile(), ec);
    if (ec) return ec.message();
    return std::nullopt;
}

}  // namespace quorlix::platform
