#include "platform/linux/desktop_settings.h"

#include <gio/gio.h>

#include <cstdlib>
#include <string_view>

namespace quorlix::platform {

namespace {

// The settings of an installed schema holding `key`, or none (asking for a missing schema
// aborts the program).
GSettings* settingsWithKey(const char* schemaId, const char* key) {
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    if (!source) return nullptr;
    GSettingsSchema* schema = g_settings_schema_source_lookup(source, schemaId, TRUE);
    if (!schema) return nullptr;
    GSettings* settings =
        g_settings_schema_has_key(schema, key) ? g_settings_new_full(schema, nullptr, nullptr) : nullptr;
    g_settings_schema_unref(schema);
    return settings;
}

}  // namespace

std::optional<std::string> gsettingsString(const char* schemaId, const char* key) {
    GSettings* settings = settingsWithKey(schemaId, key);
    if (!settings) return std::nullopt;
    std::optional<std::string> value;
    GVariant* v = g_settings_get_value(settings, key);
    if (g_variant_is_of_type(v, G_VARIANT_TYPE_STRING)) value = g_variant_get_string(v, nullptr);
    g_variant_unref(v);
    g_object_unref(settings);
    return value;
}

GSettingsWatch::GSettingsWatch(const char* schemaId, const char* key, std::function<void()> changed)
    : changed_(std::move(changed)) {
    GSettings* settings = settingsWithKey(schemaId, key);
    if (!settings) return;
    settings_ = settings;
    const std::string signal = std::string("changed::") + key;
    g_signal_connect_swapped(settings, signal.c_str(),
                             G_CALLBACK(+[](GSettingsWatch* watch) { watch->changed_(); }), this);
    // GSettings tells of changes only to keys read since it was made.
    g_variant_unref(g_settings_get_value(settings, key));
}

GSettingsWatch::~GSettingsWatch() {
    if (!settings_) return;
    g_signal_handlers_disconnect_by_data(settings_, this);
    g_object_unref(settings_);
}

ConfigFileWatch::ConfigFileWatch(const std::filesystem::path& file, std::function<void()> changed)
    : changed_(std::move(changed)) {
    GFile* watched = g_file_new_for_path(file.c_str());
    GFileMonitor* monitor = g_file_monitor_file(watched, G_FILE_MONITOR_NONE, nullptr, nullptr);
    g_object_unref(watched);
    if (!monitor) return;
    monitor_ = monitor;
    g_signal_connect_swapped(monitor, "changed",
                             G_CALLBACK(+[](ConfigFileWatch* watch) { watch->changed_(); }), this);
}

ConfigFileWatch::~ConfigFileWatch() {
    if (!monitor_) return;
    auto* monitor = static_cast<GFileMonitor*>(monitor_);
    g_signal_handlers_disconnect_by_data(monitor, this);
    g_file_monitor_cancel(monitor);
    g_object_unref(monitor);
}

bool isPlasmaSession() {
    const char* desktop = std::getenv("XDG_CURRENT_DESKTOP");
    return desktop && std::string_view(desktop).find("KDE") != std::string_view::npos;
}

}  // namespace quorlix::platform
