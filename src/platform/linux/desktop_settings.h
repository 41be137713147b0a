#pragma once
// The desktop's own settings, where each desktop keeps them: GNOME's in GSettings, KDE
// Plasma's in its configuration files. Main thread only.

#include <functional>
#include <optional>
#include <string>

namespace quorlix::platform {

// A string key of an installed GSettings schema; nothing when the schema or the key is missing.
std::optional<std::string> gsettingsString(const char* schemaId, const char* key);

// Calls `changed` each time `key` of an installed schema changes, for as long as it lives;
// nothing happens when the schema or the key is missing. GLib's main context brings the
// notices, and Qt's event loop runs it.
class GSettingsWatch {
public:
    GSettingsWatch(const char* schemaId, const char* key, std::function<void()> changed);
    ~GSettingsWatch();
    GSettingsWatch(const GSettingsWatch&) = delete;
    GSettingsWatch& operator=(const GSettingsWatch&) = delete;

private:
    std::function<void()> changed_;
    void* settings_ = nullptr;  // GSettings*
};

// Whether this is a KDE Plasma session ($XDG_CURRENT_DESKTOP names KDE).
bool isPlasmaSession();

}  // namespace quorlix::platform
