#include "foundation/app_settings.h"

#include "platform/key_log.h"
#include "platform/login_item.h"
#include "platform/platform.h"
#include "platform/user_defaults.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace quorlix {

using platform::UserDefaults;

namespace {

std::unique_ptr<AppSettings> sharedStore;

// How each setting type is registered, read and written.
template <class T>
struct Codec;

template <>
struct Codec<bool> {
    static UserDefaults::Value encode(bool v) { return v; }
    static bool read(const UserDefaults& d, const std::string& key, bool) { return d.boolForKey(key); }
    static void write(UserDefaults& d, const std::string& key, bool v) { d.setBool(key, v); }
};

template <>
struct Codec<double> {
    static UserDefaults::Value encode(double v) { return v; }
    static double read(const UserDefaults& d, const std::string& key, double fallback) {
        const double v = d.doubleForKey(key);
        return std::isfinite(v) ? v : fallback;
    }
    static void write(UserDefaults& d, const std::string& key, double v) { d.setDouble(key, v); }
};

template <>
struct Codec<std::string> {
    static UserDefaults::Value encode(const std::string& v) { return v; }
    static std::string read(const UserDefaults& d, const std::string& key, const std::string&) {
        return d.stringForKey(key).value_or("");
    }
    static void write(UserDefaults& d, const std::string& key, const std::string& v) { d.setString(key, v); }
};

template <class E>
requires std::is_enum_v<E>
struct Codec<E> {
    static UserDefaults::Value encode(E v) { return std::string(rawValue(v)); }
    static E read(const UserDefaults& d, const std::string& key, E fallback) {
        const auto raw = d.stringForKey(key);
        return raw ? fromRawValue<E>(*raw).value_or(fallback) : fallback;
    }
    static void write(UserDefaults& d, const std::string& key, E v) {
        d.setString(key, std::string(rawValue(v)));
    }
};

// The guards on numbers: what a setting may hold in place of `value`, nothing for a value it
// cannot hold at all (not finite). Other types take any value.
std::optional<double> acceptable(const std::string& key, double value) {
    if (!std::isfinite(value)) return std::nullopt;
    if (key == "soundVolume") return std::clamp(value, 0.0, 1.0);
    if (key == "islandWidth") return std::clamp(value, 320.0, 860.0);
    if (key == "islandHeight") return std::clamp(value, 110.0, 250.0);
    if (key == "hideAfterPause" || key == "calendarReminderMinutes" || key.ends_with("Duration")) {
        return std::max(value, 0.0);
    }
    return value;
}

// A value read from the file: one the setting cannot hold reads as its default.
template <class T>
T sanitize(const std::string&, T value, const T&) {
    return value;
}

double sanitize(const std::string& key, double value, const double& fallback) {
    return acceptable(key, value).value_or(fallback);
}

// Assignments pass the same guards: clamped into range, refused when not finite.
template <class T>
void guardAssignments(Published<T>&, const std::string&) {}

void guardAssignments(Published<double>& setting, const std::string& key) {
    setting.setFilter([key](double value) { return acceptable(key, value); });
}

}  // namespace

bool allows(MediaSourcePreference preference, PlayerSource source) {
    switch (preference) {
        case MediaSourcePreference::automatic: return true;
        case MediaSourcePreference::spotify: return source == PlayerSource::spotify;
        case MediaSourcePreference::music: return source == PlayerSource::music;
    }
    return true;
}

AppSettings& AppSettings::shared() {
    if (!sharedStore)
        sharedStore =
            std::make_unique<AppSettings>(UserDefaults::standard(), platform::installed().loginItem);
    return *sharedStore;
}

void AppSettings::resetShared() { sharedStore.reset(); }

AppSettings::AppSettings(UserDefaults& defaults, platform::LoginItem* loginItem)
    : defaults_(defaults), loginItem_(loginItem) {
    // 1. Register every default in one go; registered values are never written.
    UserDefaults::Value registered = UserDefaults::Value::object();
#define QUORLIX_REGISTER(type, name, initial) registered[#name] = Codec<type>::encode(type(initial));
    QUORLIX_SETTINGS(QUORLIX_REGISTER)
#undef QUORLIX_REGISTER
    defaults_.registerDefaults(registered);

    // 2. Load each setting (through the guards), then write every later assignment.
#define QUORLIX_LOAD(type, name, initial)                                                   \
    {                                                                                       \
        const type fallback(initial);                                                       \
        name.set(sanitize(#name, Codec<type>::read(defaults_, #name, fallback), fallback)); \
        guardAssignments(name, #name);                                                      \
        name.setDidSet([this](const type& v) { Codec<type>::write(defaults_, #name, v); }); \
    }
    QUORLIX_SETTINGS(QUORLIX_LOAD)
#undef QUORLIX_LOAD
}

bool AppSettings::launchAtLogin() const { return loginItem_ && loginItem_->isEnabled(); }

void AppSettings::setLaunchAtLogin(bool enabled) {
    std::optional<std::string> error;
    if (!loginItem_) {
        error = "no hay servicio de inicio de sesión";
    } else {
        error = enabled ? loginItem_->registerItem() : loginItem_->unregisterItem();
    }
    if (error) {
        KeyLog::system("Quorlix: no se pudo cambiar el inicio de sesión: " + *error);
    }
    // A bound switch re-reads the real state.
    objectWillChange.emit();
}

bool Features::lyrics() {
    auto& s = AppSettings::shared();
    return s.mediaEnabled.get() && s.lyricsEnabled.get();
}

bool Features::browserAI() {
    auto& s = AppSettings::shared();
    return s.agentAlerts.get() && s.browserAI.get();
}

}  // namespace quorlix
