#pragma once
// The desktop's own settings, where each desktop keeps them: GNOME's in GSettings, KDE
// Plasma's in its configuration files. Main thread only.

#include <filesystem>
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

// Calls `changed` each time `file` is written, made, replaced or removed, for as long as it lives:
// KDE saves its configuration as a new file renamed over the old, and a fresh profile may have
// none yet. GLib watches it (its one inotify instance, kept for the process, so ending a watch
// never waits on the kernel) and its main context brings the notices, as for GSettingsWatch.
class ConfigFileWatch {
public:
    ConfigFileWatch(const std::filesystem::path& file, std::function<void()> changed);
    ~ConfigFileWatch();
    ConfigFileWatch(const ConfigFileWatch&) = delete;
    ConfigFileWatch& operator=(const ConfigFileWatch&) = delete;

private:
    std::function<void()> changed_;
    void* monitor_ = nullptr;  // GFileMonitor*
};

// Whether this is a KDE Plasma session ($XDG_CURRENT_DESKTOP names KDE).
bool isPlasmaSession();

}  // namespace quorlix::platform
