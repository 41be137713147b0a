#include "platform/linux/linux_application_instance.h"

#include "platform/atomic_file.h"
#include "platform/linux/desktop_entry.h"
#include "platform/linux/single_instance.h"
#include "platform/linux/url_scheme_handler.h"
#include "platform/linux/xdg_login_item.h"

namespace quorlix::platform {

void LinuxApplicationInstance::stopTakingLaunches() {
    if (instance_) instance_->stopListening();
}

void LinuxApplicationInstance::takeLaunches() {
    if (instance_) instance_->listenAgain();
}

std::optional<std::string> LinuxApplicationInstance::registerProgram(const std::filesystem::path& program) {
    UrlSchemeHandler::registerExecutable(program);
    std::optional<std::string> error;
    if (readFile(UrlSchemeHandler::entryFile(), DesktopEntry::maxFileSize) !=
        UrlSchemeHandler::entry(program))
        error = "no se pudo escribir " + UrlSchemeHandler::entryFile().string();
    if (XdgLoginItem().isEnabled()) {
        if (auto autostart = XdgLoginItem(program).registerItem()) error = std::move(autostart);
    }
    return error;
}

}  // namespace quorlix::platform
