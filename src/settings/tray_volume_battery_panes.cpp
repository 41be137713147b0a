#include "settings/tray_volume_battery_panes.h"

#include "foundation/app_settings.h"
#include "island/battery_glyph.h"
#include "services/media_key_interceptor.h"
#include "settings/onboarding_steps.h"
#include "settings/option_pickers.h"
#include "settings/pane_pieces.h"
#include "settings/setting_rows.h"
#include "settings/sliders.h"
#include "ui/ui.h"

#include <algorithm>
#include <cstdio>

namespace quorlix {

using namespace ui;

namespace {

int percent(std::int64_t level) { return static_cast<int>(std::clamp<std::int64_t>(level, 0, 100)); }

View permissionRow(MediaKeyInterceptor* keys) {
    return HStack({.alignment = VerticalAlignment::center},
                  {
                      iconLabel("exclamationmark.triangle.fill", "Falta el permiso de Accesibilidad")
                          .foregroundStyle(Color::orange),
                      Spacer(),
                      Button("Dar permiso", [keys] { keys->requestPermission(); })
                          .buttonStyle(BorderedButtonStyle{})
                          .id("permission.request"),
                  })
        .padding(Edges::vertical, 11)
        .id("permission.row");
}

// Where the permission can never be granted: what does not work, and nothing to press.
View permissionUnavailableRow() {
    return iconLabel("exclamationmark.triangle.fill", PermissionStepTexts::unavailableNote)
        .foregroundStyle(Color::orange)
        .fixedSize(false, true)
        .padding(Edges::vertical, 11)
        .id("permission.unavailable");
}

View liveBatteryRow(const BatteryService::Snapshot& snapshot, BatteryStyle style) {
    const BatteryPane::Row row = BatteryPane::row(snapshot);
    const ShapeStyle stateColor = row.pluggedIn ? ShapeStyle(Color::green) : ShapeStyle::secondary();
    return HStack({.alignment = VerticalAlignment::center, .spacing = 12},
                  {
                      View(BatteryGlyph{.level = percent(snapshot.level),
                                        .color = row.pluggedIn ? Color::green : Color::white,
                                        .style = style,
                                        .charging = row.chargingMark})
                          .frame({.width = 30, .height = 14})
                          .id("battery.live.glyph"),
                      Text(row.level).font(Font::system(15, FontWeight::bold).monospacedDigit()),
                      Spacer(),
                      Text(row.state).font(Font::system(13, FontWeight::medium)).foregroundStyle(stateColor),
                  })
        .frame({.minHeight = 48});
}

}  // namespace

BatteryPane::Row BatteryPane::row(const BatteryService::Snapshot& s) {
    char level[32];
    std::snprintf(level, sizeof level, "%lld%%", static_cast<long long>(s.level));
    const bool full = s.level >= 100;
    return {level, !s.pluggedIn ? "Con batería" : (full ? "Cargada" : "Cargando"), s.pluggedIn,
            s.pluggedIn && !full};
}

View TrayPane::body(Context& ctx) const {
    AppSettings& settings = ctx.object<AppSettings>();
    return VStack(
        {.alignment = HorizontalAlignment::leading, .spacing = 0},
        {
            PaneHeader{SettingsSection::tray},
            Card{{ToggleRow{"Bandeja de archivos", settingBinding(settings.trayEnabled)}, RowDivider{},
                  ToggleRow{"Abrir la bandeja al arrastrar un archivo",
                            settingBinding(settings.openTrayOnDrag)}}},
            Footnote{"Arrastra archivos al notch y sácalos cuando los necesites. La bandeja guarda "
                     "accesos, no copias: doble clic abre el archivo; clic derecho para mostrarlo en su "
                     "carpeta o quitarlo."},
        });
}

View VolumePane::body(Context& ctx) const {
    AppSettings& settings = ctx.object<AppSettings>();
    ctx.observe(*keys);
    Views hideSystem{ToggleRow{"Ocultar los avisos del sistema", settingBinding(settings.replaceSystemHUD)}};
    // Only while the system's overlays are to be hidden and the permission that needs is missing.
    if (settings.replaceSystemHUD.get() && !keys->isTrusted.get())
        hideSystem.push_back(keys->trustCanBeGranted() ? permissionRow(keys) : permissionUnavailableRow());
    return VStack(
        {.alignment = HorizontalAlignment::leading, .spacing = 0},
        {
            PaneHeader{SettingsSection::volume},
            Card{{ToggleRow{"Volumen", settingBinding(settings.volumeHUD), "speaker.wave.2.fill"},
                  RowDivider{}, ToggleRow{"Brillo", settingBinding(settings.brightnessHUD), "sun.max.fill"}}},
            Card{std::move(hideSystem)},
            Footnote{"El cambio se ve en el notch, solo con la barra, y no tapa lo que estás haciendo."},
            Card{{DurationRow{"Duración de superposición", settingBinding(settings.volumeHUDDuration), 1, 4,
                              0.5}}},
        });
}

View BatteryPane::body(Context& ctx) const {
    AppSettings& settings = ctx.object<AppSettings>();
    BatteryService& battery = ctx.object<BatteryService>();
    Views items{
        PaneHeader{SettingsSection::battery},
        Card{{ToggleRow{"Aviso al conectar el cargador", settingBinding(settings.chargerHUD)}}},
        Card{{StylePicker<BatteryStyle>{.title = "Estilo de batería",
                                        .options = {BatteryStyle::outline, BatteryStyle::filled},
                                        .selection = settingBinding(settings.batteryStyle),
                                        .label =
                                            [](const BatteryStyle& s) {
                                                return std::string(s == BatteryStyle::outline ? "Contorno"
                                                                                              : "Relleno");
                                            },
                                        .preview =
                                            [](const BatteryStyle& s, bool) {
                                                const bool outline = s == BatteryStyle::outline;
                                                return View(BatteryGlyph{.level = outline ? 100 : 78,
                                                                         .color = Color::green,
                                                                         .style = s,
                                                                         .charging = outline})
                                                    .frame({.width = 34, .height = 16});
                                            },
                                        .height = 108,
                                        .disabled = !settings.chargerHUD.get()}}},
        Card{
            {DurationRow{"Duración de superposición", settingBinding(settings.chargerHUDDuration), 2, 8, 1}}},
    };
    if (const auto snapshot = battery.snapshot.get()) {
        items.push_back(GroupLabel{"Ahora"});
        items.push_back(Card{{liveBatteryRow(*snapshot, settings.batteryStyle.get())}});
    }
    return VStack({.alignment = HorizontalAlignment::leading, .spacing = 0}, std::move(items));
}

}  // namespace quorlix
