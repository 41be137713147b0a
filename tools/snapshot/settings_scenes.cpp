// Scenes of the settings window and its controls: the window on General (with initials and
// with a photo), searches with and without results, rows, sliders at rest and held, option
// pickers over a picture, over the gradient and disabled, and the account card.

#include "foundation/app_settings.h"
#include "settings/option_pickers.h"
#include "settings/setting_rows.h"
#include "settings/settings_view.h"
#include "settings/sliders.h"
#include "settings/user_profile.h"
#include "settings/wallpaper.h"
#include "snapshot/landscape.h"
#include "snapshot/scene.h"
#include "ui/ui.h"

#include <cmath>

namespace quorlix::snapshot {

platform::Image landscape(int width, int height) {
    std::vector<std::uint8_t> px(static_cast<std::size_t>(width) * height * 4);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const double t = static_cast<double>(y) / height;
            const double hill = 0.62 + 0.08 * std::sin(x * 0.012);
            const double sun = std::hypot(x - width * 0.7, y - height * 0.35) < height * 0.12 ? 1 : 0;
            double r = 0.95 - 0.5 * t, g = 0.55 - 0.3 * t + 0.2 * sun, b = 0.35 + 0.4 * t;
            if (t > hill) r = 0.08, g = 0.12, b = 0.16;
            if (sun > 0 && t <= hill) r = 1, g = 0.86, b = 0.5;
            const std::size_t i = (static_cast<std::size_t>(y) * width + x) * 4;
            px[i] = static_cast<std::uint8_t>(r * 255);
            px[i + 1] = static_cast<std::uint8_t>(g * 255);
            px[i + 2] = static_cast<std::uint8_t>(b * 255);
            px[i + 3] = 255;
        }
    return *platform::Image::fromRGBA(width, height, std::move(px));
}

namespace {

using namespace ui;

const Color windowBehind = Color::sRGB(0.16, 0.2, 0.26);

// A made-up portrait: a face-coloured disc on a teal ground.
platform::Image portrait() {
    const int n = 168;
    std::vector<std::uint8_t> px(static_cast<std::size_t>(n) * n * 4);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            const bool head = std::hypot(x - n / 2.0, y - n * 0.42) < n * 0.2;
            const bool body = std::hypot(x - n / 2.0, y - n * 1.05) < n * 0.42;
            const std::size_t i = (static_cast<std::size_t>(y) * n + x) * 4;
            px[i] = head || body ? (head ? 236 : 40) : 38;
            px[i + 1] = head || body ? (head ? 188 : 70) : 140;
            px[i + 2] = head || body ? (head ? 160 : 120) : 150;
            px[i + 3] = 255;
        }
    return *platform::Image::fromRGBA(n, n, std::move(px));
}

SettingsSelection& selection() {
    static SettingsSelection s;
    return s;
}

UserProfile& profile(bool photo) {
    UserProfile& p = UserProfile::shared();
    p.name = "Ana María Gómez";
    p.photo = photo ? std::optional(portrait()) : std::nullopt;
    return p;
}

// With the objects the window's views read.
View withObjects(View view, bool photo) {
    return view.environmentObject(AppSettings::shared()).environmentObject(profile(photo));
}

View window(std::string query = {}, bool photo = false) {
    Wallpaper::setImage(std::nullopt);
    selection().section = SettingsSection::general;
    return withObjects(SettingsView{&selection(), std::move(query)}, photo);
}

// The controls on a pane's width, over the window's glass.
View onPane(Views content) {
    return VStack({.alignment = HorizontalAlignment::leading, .spacing = 0}, std::move(content))
        .frame({.width = 366})
        .padding(22)
        .background(GlassBackground{})
        .colorScheme(ColorScheme::dark)
        .tint(Color::quorlixAccent);
}

Binding<bool> flag(bool value) { return Binding<bool>::constant(value); }
Binding<double> number(double value) { return Binding<double>::constant(value); }

View batteryPicker(bool disabled) {
    return StylePicker<BatteryStyle>{
        .title = "Estilo de batería",
        .options = {BatteryStyle::outline, BatteryStyle::filled},
        .selection = Binding<BatteryStyle>::constant(BatteryStyle::filled),
        .label =
            [](const BatteryStyle& s) {
                return std::string(s == BatteryStyle::outline ? "Contorno" : "Relleno");
            },
        .preview =
            [](const BatteryStyle& s, bool) {
                const bool outline = s == BatteryStyle::outline;
                return View(ZStack({.alignment = Alignment::leading},
                                   {
                                       RoundedRectangle(4).strokeBorder(
                                           Color::white.opacity(outline ? 0.9 : 0.35), 1.5),
                                       RoundedRectangle(2)
                                           .fill(outline ? Color::white : Color::green)
                                           .frame({.width = 22, .height = 10})
                                           .padding(3),
                                   })
                                .frame({.width = 40, .height = 18}));
            },
        .height = 108,
        .disabled = disabled};
}

View openModeButtons() {
    return ChoiceButtons<IslandOpenMode>{
        .options = {IslandOpenMode::hover, IslandOpenMode::click},
        .selection = Binding<IslandOpenMode>::constant(IslandOpenMode::hover),
        .height = 36,
        .label = [](const IslandOpenMode& m, bool) {
            return View(Text(m == IslandOpenMode::hover ? "Al pasar el mouse" : "Al hacer clic")
                            .font(Font::system(12.5, FontWeight::semibold)));
        }};
}

// An animation over the window's surroundings, playing its views' entrances.
struct Entrance : AnimationScene {
    Entrance(std::string name, Size size, std::function<View()> view)
        : AnimationScene(
              std::move(name), size, 0.7, [view = std::move(view)](bool) { return view(); }, false) {
        background = windowBehind;
    }
};

// The window as it opens: the account card grows in.
const Entrance general{"settings-window", {620, 720}, [] { return window({}, false); }};
const Entrance generalPhoto{"settings-window-photo", {620, 720}, [] { return window({}, true); }};
const Scene search{"settings-search", {620, 720}, [] { return window("pantalla"); }, windowBehind};
const Scene searchNone{"settings-search-none", {620, 720}, [] { return window("zzz"); }, windowBehind};

const Scene rows{
    "settings-rows",
    {410, 330},
    [] {
        return onPane({
            PaneHeader{SettingsSection::privacy},
            GroupLabel{"Avisos"},
            Card{{ToggleRow{"Micrófono y cámara", flag(true), "mic.fill"}, RowDivider{},
                  ToggleRow{"Batería baja", flag(false), "bolt.fill"}}},
            Footnote{"La isla avisa cuando una aplicación empieza a usar el micrófono o la cámara, y "
                     "cuando a la batería le queda poco."},
            Card{{ToggleRow{"Sin ícono", flag(true)}}},
        });
    },
    windowBehind};

const Scene sliders{"settings-sliders",
                    {410, 330},
                    [] {
                        return onPane({
                            Card{{DurationRow{"Duración del aviso", number(1.6), 1, 4, 0.5}, RowDivider{},
                                  SizeRow{"Ancho", number(343), 320, 860, {}, nullptr}}},
                            GroupLabel{"Sostenido"},
                            View(CanopySlider::look(366, 0.42, 7, true)),
                        });
                    },
                    windowBehind};

const Scene pickerPicture{"settings-picker-picture",
                          {410, 250},
                          [] {
                              Wallpaper::setImage(landscape(900, 600));
                              return onPane({batteryPicker(false), openModeButtons()});
                          },
                          windowBehind};
const Scene pickerGradient{"settings-picker-gradient",
                           {410, 250},
                           [] {
                               Wallpaper::setImage(std::nullopt);
                               return onPane({batteryPicker(false), openModeButtons()});
                           },
                           windowBehind};
const Scene pickerDisabled{"settings-picker-disabled",
                           {410, 200},
                           [] {
                               Wallpaper::setImage(landscape(900, 600));
                               return onPane({batteryPicker(true)});
                           },
                           windowBehind};

const Entrance card{
    "settings-account-card", {410, 170}, [] { return withObjects(onPane({AccountCard{}}), false); }};

}  // namespace

}  // namespace quorlix::snapshot
