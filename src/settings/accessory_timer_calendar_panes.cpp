#include "settings/accessory_timer_calendar_panes.h"

#include "foundation/app_settings.h"
#include "island/device_art.h"
#include "services/sounds.h"
#include "settings/option_pickers.h"
#include "settings/pane_pieces.h"
#include "settings/setting_rows.h"
#include "settings/sliders.h"
#include "ui/ui.h"

namespace quorlix {

using namespace ui;

namespace {

View accessoryPicker(AppSettings& settings) {
    return StylePicker<AccessoryStyle>{
        .title = "Estilo de accesorio",
        .options = {AccessoryStyle::realistic, AccessoryStyle::flat},
        .selection = settingBinding(settings.accessoryStyle),
        .label =
            [](const AccessoryStyle& s) {
                return std::string(s == AccessoryStyle::realistic ? "3D" : "Plano");
            },
        .preview =
            [](const AccessoryStyle& s, bool selected) {
                // A new identity for each selected state: the chosen picture plays its
                // entrance again.
                return View(DeviceArt{.kind = AudioDeviceInfo::Kind::airpodsPro,
                                      .symbol = "airpodspro",
                                      .size = 40,
                                      .style = s})
                    .id(std::string(rawValue(s)) + (selected ? "true" : "false"));
            },
        .height = 108,
        .disabled = false};
}

View leadTimeRow(AppSettings& settings) {
    const double minutes = settings.calendarReminderMinutes.get();
    std::vector<MenuItem> items;
    for (const auto& choice : CalendarPane::reminderChoices) {
        MenuItem item = MenuItem::button(
            choice.text, [&settings, value = choice.minutes] { settings.calendarReminderMinutes = value; });
        item.checked = choice.minutes == minutes;
        items.push_back(std::move(item));
    }
    return HStack({.alignment = VerticalAlignment::center},
                  {
                      Text("Avisar"),
                      Spacer(),
                      View(PopUpMenu{CalendarPane::choiceText(minutes).value_or(""), std::move(items)})
                          .id("reminder.menu"),
                  })
        .padding(Edges::vertical, 10)
        .disabled(!settings.calendarReminders.get());
}

}  // namespace

std::optional<std::string> CalendarPane::choiceText(double minutes) {
    for (const auto& choice : reminderChoices)
        if (choice.minutes == minutes) return choice.text;
    return std::nullopt;
}

void TimerPane::playTest() { Sounds::play(Sound::timer, 1.0); }

View AccessoriesPane::body(Context& ctx) const {
    AppSettings& settings = ctx.object<AppSettings>();
    return VStack(
        {.alignment = HorizontalAlignment::leading, .spacing = 0},
        {
            PaneHeader{SettingsSection::accessories},
            Card{{ToggleRow{"Al conectar tus audífonos", settingBinding(settings.deviceHUD)}}},
            Card{{ToggleRow{"Al cambiar la salida de audio", settingBinding(settings.outputHUD)}}},
            Card{{ToggleRow{"Batería de cada audífono", settingBinding(settings.deviceBatteryDetail)}}},
            Card{{accessoryPicker(settings)}},
            Card{{DurationRow{"Duración de superposición", settingBinding(settings.deviceHUDDuration), 2, 8,
                              0.5}}},
            Footnote{"Funciona con AirPods, AirPods Pro, AirPods Max, Beats y otros audífonos Bluetooth."},
        });
}

View TimerPane::body(Context& ctx) const {
    AppSettings& settings = ctx.object<AppSettings>();
    return VStack(
        {.alignment = HorizontalAlignment::leading, .spacing = 0},
        {
            PaneHeader{SettingsSection::timer, "Un temporizador que vive en el notch."},
            Card{{HStack({.alignment = VerticalAlignment::center},
                         {
                             ToggleRow{"Sonido al terminar", settingBinding(settings.timerSound), "bell"},
                             Button("Probar", &TimerPane::playTest)
                                 .buttonStyle(BorderedButtonStyle{})
                                 .environment(env::controlSize, ControlSize::small)
                                 .id("timer.test"),
                         })}},
            Footnote{"Abre la isla, desliza hasta Temporizador y elige 1, 5, 10, 15 o 25 minutos. Mientras "
                     "corre, el notch muestra el tiempo que falta aunque la isla esté cerrada."},
        });
}

View CalendarPane::body(Context& ctx) const {
    AppSettings& settings = ctx.object<AppSettings>();
    return VStack(
        {.alignment = HorizontalAlignment::leading, .spacing = 0},
        {
            PaneHeader{SettingsSection::calendar, "Tus próximos eventos y un aviso antes de cada uno."},
            Card{{ToggleRow{"Página de calendario", settingBinding(settings.calendarEnabled)}, RowDivider{},
                  ToggleRow{"Avisarme antes de cada evento", settingBinding(settings.calendarReminders),
                            "bell.badge"},
                  RowDivider{}, leadTimeRow(settings)}},
            Footnote{"Usa los calendarios de Evolution y de la app Calendario (Google, Nextcloud, Outlook…). "
                     "Los lee sin pedirte ningún permiso."},
        });
}

}  // namespace quorlix
