#include "platform/linux/gnome_desktop_focus.h"

#include <gio/gio.h>

namespace quorlix::platform {

namespace {
constexpr const char* schemaId = "org.gnome.desktop.notifications";
constexpr const char* key = "show-banners";
}  // namespace

struct GnomeDesktopFocus::Settings {
    GSettings* settings = nullptr;
    gulong handler = 0;

    ~Settings() {
        if (handler) g_signal_handler_disconnect(settings, handler);
        g_object_unref(settings);
    }
};

std::unique_ptr<GnomeDesktopFocus> GnomeDesktopFocus::create() {
    // Asking GSettings for a schema that is not installed aborts the process: look first.
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    if (!source) return nullptr;
    GSettingsSchema* schema = g_settings_schema_source_lookup(source, schemaId, TRUE);
    if (!schema) return nullptr;
    const bool hasKey = g_settings_schema_has_key(schema, key);
    GSettings* settings = hasKey ? g_settings_new_full(schema, nullptr, nullptr) : nullptr;
    g_settings_schema_unref(schema);
    if (!settings) return nullptr;
    auto s = std::make_unique<Settings>();
    s->settings = settings;
    return std::unique_ptr<GnomeDesktopFocus>(new GnomeDesktopFocus(std::move(s)));
}

GnomeDesktopFocus::GnomeDesktopFocus(std::unique_ptr<Settings> settings) : settings_(std::move(settings)) {
    settings_->handler = g_signal_connect(settings_->settings, "changed::show-banners",
                                          G_CALLBACK(+[](GSettings*, gchar*, gpointer self) {
                                              static_cast<GnomeDesktopFocus*>(self)->changes_.emit();
                                          }),
                                          this);
}

GnomeDesktopFocus::~GnomeDesktopFocus() = default;

std::optional<bool> GnomeDesktopFocus::doNotDisturb() {
    return !g_settings_get_boolean(settings_->settings, key);
}

Subscription GnomeDesktopFocus::observe(std::function<void()> handler) {
    return changes_.connect(std::move(handler));
}

}  // namespace quorlix::platform
