#pragma once
// The one store of user settings. Each setting is a published property whose name is also
// its key in the application's defaults domain; each assignment is written at once (also an
// equal value), after the property's subscribers have heard the new value.
//
// Values read from the file are not trusted blindly: a non-finite number reads as its
// default, durations and minutes are at least 0, `soundVolume` lies in 0...1, and the island
// size in the ranges the settings window offers. Assignments pass the same guards: a value
// out of range is clamped, and a non-finite one is refused (the setting keeps its value).

#include "foundation/player_source.h"
#include "foundation/raw_enum.h"
#include "platform/published.h"

#include <array>
#include <string>
#include <utility>

namespace quorlix {

namespace platform {
class UserDefaults;
class LoginItem;
}  // namespace platform

enum class IslandOpenMode { hover, click };
enum class LeftButtonAction { favorite, shuffle, repeatMode, none };
enum class BatteryStyle { outline, filled };
enum class AccessoryStyle { realistic, flat };
enum class GlassStyle { clear, frosted };
enum class MediaSourcePreference { automatic, spotify, music };

template <>
struct RawEnumTraits<IslandOpenMode> {
    static constexpr std::array<std::pair<IslandOpenMode, std::string_view>, 2> cases{
        {{IslandOpenMode::hover, "hover"}, {IslandOpenMode::click, "click"}}};
};
template <>
struct RawEnumTraits<LeftButtonAction> {
    static constexpr std::array<std::pair<LeftButtonAction, std::string_view>, 4> cases{
        {{LeftButtonAction::favorite, "favorite"},
         {LeftButtonAction::shuffle, "shuffle"},
         {LeftButtonAction::repeatMode, "repeatMode"},
         {LeftButtonAction::none, "none"}}};
};
template <>
struct RawEnumTraits<BatteryStyle> {
    static constexpr std::array<std::pair<BatteryStyle, std::string_view>, 2> cases{
        {{BatteryStyle::outline, "outline"}, {BatteryStyle::filled, "filled"}}};
};
template <>
struct RawEnumTraits<AccessoryStyle> {
    static constexpr std::array<std::pair<AccessoryStyle, std::string_view>, 2> cases{
        {{AccessoryStyle::realistic, "realistic"}, {AccessoryStyle::flat, "flat"}}};
};
template <>
struct RawEnumTraits<GlassStyle> {
    static constexpr std::array<std::pair<GlassStyle, std::string_view>, 2> cases{
        {{GlassStyle::clear, "clear"}, {GlassStyle::frosted, "frosted"}}};
};
// `auto` is a C++ keyword: the case is `automatic`, its raw value stays "auto".
template <>
struct RawEnumTraits<MediaSourcePreference> {
    static constexpr std::array<std::pair<MediaSourcePreference, std::string_view>, 3> cases{
        {{MediaSourcePreference::automatic, "auto"},
         {MediaSourcePreference::spotify, "spotify"},
         {MediaSourcePreference::music, "music"}}};
};

// Whether the preference lets events and replies of `source` through.
bool allows(MediaSourcePreference preference, PlayerSource source);

// Every setting: type, key, default. The order is the store's.
#define QUORLIX_SETTINGS(X)                                                 \
    X(bool, showOnAllScreens, false)                                        \
    X(bool, hideInFullscreen, true)                                         \
    X(bool, hideInScreenshots, false)                                       \
    X(bool, menuBarIcon, true)                                              \
    X(IslandOpenMode, openMode, IslandOpenMode::hover)                      \
    X(bool, hapticFeedback, true)                                           \
    X(double, islandWidth, 343)                                             \
    X(double, islandHeight, 140)                                            \
    X(bool, glassEnabled, false)                                            \
    X(double, glassTransparency, 0.35)                                      \
    X(bool, scrollForVolume, true)                                          \
    X(bool, swipeBetweenPages, true)                                        \
    X(bool, lockSound, true)                                                \
    X(bool, unlockSound, true)                                              \
    X(double, soundVolume, 0.6)                                             \
    X(bool, mediaEnabled, true)                                             \
    X(MediaSourcePreference, mediaSource, MediaSourcePreference::automatic) \
    X(bool, liveActivity, true)                                             \
    X(bool, lyricsEnabled, true)                                            \
    X(double, lyricsOffset, 0)                                              \
    X(bool, tintWithArtwork, true)                                          \
    X(LeftButtonAction, leftButton, LeftButtonAction::shuffle)              \
    X(bool, collapseOnPause, true)                                          \
    X(double, hideAfterPause, 0)                                            \
    X(bool, lockScreenEnabled, true)                                        \
    X(bool, lockScreenFullArtwork, false)                                   \
    X(bool, lockScreenLyrics, true)                                         \
    X(bool, lockScreenLargeArtwork, true)                                   \
    X(bool, trayEnabled, true)                                              \
    X(bool, openTrayOnDrag, true)                                           \
    X(bool, volumeHUD, true)                                                \
    X(bool, replaceSystemHUD, true)                                         \
    X(bool, brightnessHUD, true)                                            \
    X(double, volumeHUDDuration, 1.6)                                       \
    X(bool, chargerHUD, true)                                               \
    X(double, chargerHUDDuration, 4.0)                                      \
    X(bool, deviceHUD, true)                                                \
    X(bool, deviceBatteryDetail, true)                                      \
    X(bool, outputHUD, true)                                                \
    X(double, deviceHUDDuration, 4.5)                                       \
    X(bool, weatherEnabled, true)                                           \
    X(bool, useFahrenheit, false)                                           \
    X(std::string, weatherCity, "")                                         \
    X(bool, timerSound, true)                                               \
    X(bool, calendarEnabled, true)                                          \
    X(bool, calendarReminders, true)                                        \
    X(double, calendarReminderMinutes, 5)                                   \
    X(bool, agentAlerts, true)                                              \
    X(bool, browserAI, false)                                               \
    X(bool, agentSound, true)                                               \
    X(bool, privacyAlerts, true)                                            \
    X(bool, focusAlerts, true)                                              \
    X(double, focusHUDDuration, 2.0)                                        \
    X(BatteryStyle, batteryStyle, BatteryStyle::filled)                     \
    X(AccessoryStyle, accessoryStyle, AccessoryStyle::realistic)            \
    X(GlassStyle, lockGlassStyle, GlassStyle::clear)                        \
    X(bool, lowBatteryAlert, true)                                          \
    X(bool, autoCheckUpdates, true)

class AppSettings final : public ObservableObject {
public:
    // The process-wide store over the standard defaults, created on first use.
    static AppSettings& shared();
    // Drops the shared store so the next `shared()` builds a new one (tests only).
    static void resetShared();

    // A store over `defaults`; `loginItem` may be null (then launch at login reads false).
    explicit AppSettings(platform::UserDefaults& defaults, platform::LoginItem* loginItem = nullptr);

#define QUORLIX_DECLARE_SETTING(type, name, initial) Published<type> name{this, initial};
    QUORLIX_SETTINGS(QUORLIX_DECLARE_SETTING)
#undef QUORLIX_DECLARE_SETTING

    // Registration as a login item; not stored in the defaults.
    bool launchAtLogin() const;
    void setLaunchAtLogin(bool enabled);

    static constexpr int settingCount = 58;

    // The hide-after-pause delays the media settings offer, in seconds; 601 stands for never
    // (any delay above 600 is).
    static constexpr std::array<double, 6> hideAfterSteps{0, 5, 15, 30, 60, 601};

private:
    platform::UserDefaults& defaults_;
    platform::LoginItem* loginItem_;
};

// Derived switches.
struct Features {
    // Media and lyrics both on.
    static bool lyrics();
    // Agent alerts and browser AI both on.
    static bool browserAI();
};

}  // namespace quorlix
