#include "ui/symbol_catalog.h"

#include <algorithm>
#include <array>

namespace quorlix::ui {

namespace {

constexpr std::optional<Color> none = std::nullopt;

// Sorted by name (checked by the tests), searched by bisection.
constexpr std::array catalog{
    SymbolGlyph{"accessibility", "accessibility", 0xe84e, none},
    SymbolGlyph{"airplayaudio", "airplay", 0xe055, none},
    SymbolGlyph{"airpods", "earbuds", 0xf003, none},
    SymbolGlyph{"airpodsmax", "headphones", 0xf01f, none},
    SymbolGlyph{"airpodspro", "earbuds", 0xf003, none},
    SymbolGlyph{"arrow.down.circle.fill", "arrow_circle_down", 0xf181, none},
    SymbolGlyph{"arrow.up.and.down", "swap_vert", 0xe8d5, none},
    SymbolGlyph{"backward.fill", "fast_rewind", 0xe020, none},
    SymbolGlyph{"battery.25percent", "battery_2_bar", 0xebe0, none},
    SymbolGlyph{"battery.75percent", "battery_5_bar", 0xebd4, none},
    SymbolGlyph{"bell", "notifications_none", 0xe7f5, none},
    SymbolGlyph{"bell.badge", "notifications_active", 0xe7f7, none},
    SymbolGlyph{"bolt.fill", "bolt", 0xea0b, none},
    SymbolGlyph{"calendar", "calendar_today", 0xe935, none},
    SymbolGlyph{"calendar.badge.checkmark", "event_available", 0xe614, none},
    SymbolGlyph{"calendar.badge.exclamationmark", "event_busy", 0xe615, none},
    SymbolGlyph{"checkmark", "check", 0xe5ca, none},
    SymbolGlyph{"checkmark.circle", "check_circle_outline", 0xe92d, none},
    SymbolGlyph{"checkmark.circle.fill", "check_circle", 0xe86c, none},
    SymbolGlyph{"checkmark.shield.fill", "verified_user", 0xe8e8, none},
    SymbolGlyph{"cloud.bolt.rain.fill", "thunderstorm", 0xebdb, Color::white},
    SymbolGlyph{"cloud.drizzle.fill", "grain", 0xe3ea, Color(0.55, 0.78, 1.0)},
    SymbolGlyph{"cloud.fill", "cloud", 0xe2bd, Color::white},
    SymbolGlyph{"cloud.fog.fill", "foggy", 0xe818, Color::white},
    SymbolGlyph{"cloud.heavyrain.fill", "umbrella", 0xf1ad, Color(0.55, 0.78, 1.0)},
    SymbolGlyph{"cloud.moon.fill", "nights_stay", 0xea46, Color::white},
    SymbolGlyph{"cloud.rain.fill", "water_drop", 0xe798, Color(0.55, 0.78, 1.0)},
    SymbolGlyph{"cloud.snow.fill", "ac_unit", 0xeb3b, Color::white},
    SymbolGlyph{"cloud.sun", "filter_drama", 0xe3dd, none},
    SymbolGlyph{"cloud.sun.fill", "wb_cloudy", 0xe42d, Color::white},
    SymbolGlyph{"cursorarrow.click", "ads_click", 0xe762, none},
    SymbolGlyph{"cursorarrow.motionlines", "mouse", 0xe323, none},
    SymbolGlyph{"display", "monitor", 0xef5b, none},
    SymbolGlyph{"exclamationmark.circle", "error_outline", 0xe001, none},
    SymbolGlyph{"exclamationmark.triangle.fill", "warning", 0xe002, Color::yellow},
    SymbolGlyph{"folder.fill", "folder", 0xe2c7, none},
    SymbolGlyph{"forward.fill", "fast_forward", 0xe01f, none},
    SymbolGlyph{"gearshape", "settings", 0xe8b8, none},
    SymbolGlyph{"gearshape.fill", "settings", 0xe8b8, none},
    SymbolGlyph{"globe", "language", 0xe894, none},
    SymbolGlyph{"hand.draw", "gesture", 0xe155, none},
    SymbolGlyph{"hand.draw.fill", "gesture", 0xe155, none},
    SymbolGlyph{"hand.raised", "back_hand", 0xe764, none},
    SymbolGlyph{"hand.raised.fill", "pan_tool", 0xe925, none},
    SymbolGlyph{"headphones", "headphones", 0xf01f, none},
    SymbolGlyph{"heart", "favorite_border", 0xe87e, none},
    SymbolGlyph{"heart.fill", "favorite", 0xe87d, none},
    SymbolGlyph{"hifispeaker.fill", "speaker", 0xe32d, none},
    SymbolGlyph{"laptopcomputer", "laptop", 0xe31e, none},
    SymbolGlyph{"location.fill", "near_me", 0xe569, none},
    SymbolGlyph{"lock.fill", "lock", 0xe897, none},
    SymbolGlyph{"magnifyingglass", "search", 0xe8b6, none},
    SymbolGlyph{"mic.fill", "mic", 0xe029, none},
    SymbolGlyph{"minus", "remove", 0xe15b, none},
    SymbolGlyph{"moon.fill", "dark_mode", 0xe51c, none},
    SymbolGlyph{"moon.stars.fill", "bedtime", 0xef44, Color(0.85, 0.88, 1.0)},
    SymbolGlyph{"music.note", "music_note", 0xe405, none},
    SymbolGlyph{"nosign", "block", 0xe14b, none},
    SymbolGlyph{"pause.fill", "pause", 0xe034, none},
    SymbolGlyph{"person.2.crop.square.stack.fill", "groups", 0xf233, none},
    SymbolGlyph{"play.fill", "play_arrow", 0xe037, none},
    SymbolGlyph{"play.slash.fill", "play_disabled", 0xef6a, none},
    SymbolGlyph{"plus", "add", 0xe145, none},
    SymbolGlyph{"power", "power_settings_new", 0xe8ac, none},
    SymbolGlyph{"quote.bubble.fill", "lyrics", 0xec0b, none},
    SymbolGlyph{"repeat", "repeat", 0xe040, none},
    SymbolGlyph{"shuffle", "shuffle", 0xe043, none},
    SymbolGlyph{"sparkle", "star", 0xe838, none},
    SymbolGlyph{"sparkles", "auto_awesome", 0xe65f, none},
    SymbolGlyph{"speaker.fill", "volume_mute", 0xe04e, none},
    SymbolGlyph{"speaker.slash.fill", "volume_off", 0xe04f, none},
    SymbolGlyph{"speaker.wave.1.fill", "volume_down", 0xe04d, none},
    SymbolGlyph{"speaker.wave.2", "volume_up", 0xe050, none},
    SymbolGlyph{"speaker.wave.2.fill", "volume_up", 0xe050, none},
    SymbolGlyph{"speaker.wave.3.fill", "volume_up", 0xe050, none},
    SymbolGlyph{"sun.max.fill", "wb_sunny", 0xe430, Color::yellow},
    SymbolGlyph{"sun.min.fill", "brightness_low", 0xe1ad, Color::yellow},
    SymbolGlyph{"timer", "timer", 0xe425, none},
    SymbolGlyph{"tray.and.arrow.down.fill", "move_to_inbox", 0xe168, none},
    SymbolGlyph{"tray.full.fill", "inbox", 0xe156, none},
    SymbolGlyph{"video.fill", "videocam", 0xe04b, none},
    SymbolGlyph{"xmark", "close", 0xe5cd, none},
    SymbolGlyph{"xmark.circle.fill", "cancel", 0xe5c9, none},
};

constexpr SymbolGlyph missing{"questionmark", "help_outline", 0xe8fd, none};

}  // namespace

std::span<const SymbolGlyph> symbolCatalog() { return catalog; }

const SymbolGlyph* findSymbol(std::string_view name) {
    const auto it = std::lower_bound(catalog.begin(), catalog.end(), name,
                                     [](const SymbolGlyph& g, std::string_view n) { return g.name < n; });
    return it != catalog.end() && it->name == name ? &*it : nullptr;
}

const SymbolGlyph& missingSymbol() { return missing; }

}  // namespace quorlix::ui
