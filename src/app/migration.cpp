#include "app/migration.h"

#include "platform/key_log.h"
#include "platform/paths.h"
#include "platform/user_defaults.h"

#include <filesystem>

namespace quorlix {

namespace fs = std::filesystem;
using platform::UserDefaults;

void migrateFromTarsel() {
    UserDefaults& defaults = UserDefaults::standard();
    if (defaults.boolForKey("didMigrateFromTarsel")) return;
    // Set first: a migration that fails half way is never attempted again.
    defaults.setBool("didMigrateFromTarsel", true);

    if (const auto earlier = UserDefaults::persistentDomain("com.halvik.tarsel")) {
        for (auto it = earlier->begin(); it != earlier->end(); ++it) {
            if (!defaults.object(it.key())) defaults.setObject(it.key(), it.value());
        }
    }

    const fs::path support = platform::Paths::applicationSupportDirectory();
    const fs::path oldFolder = support / "Tarsel";
    const fs::path newFolder = support / "Quorlix";
    std::error_code ec;
    const bool oldExists = fs::exists(fs::symlink_status(oldFolder, ec));
    const bool newExists = fs::exists(fs::symlink_status(newFolder, ec));
    if (!oldExists || newExists) return;
    fs::rename(oldFolder, newFolder, ec);
    if (ec) {
        KeyLog::write("Migración: no se pudo mover " + oldFolder.string() + " a " + newFolder.string() +
                      ": " + ec.message());
    }
}

}  // namespace quorlix
