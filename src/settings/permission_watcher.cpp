#include "settings/permission_watcher.h"

#include "platform/user_defaults.h"
#include "services/update_service.h"

namespace quorlix {

void PermissionWatcher::rememberTrusted() {
    platform::UserDefaults::standard().setString("accessibilityTrustedBuild", UpdateService::currentBuild());
}

}  // namespace quorlix
