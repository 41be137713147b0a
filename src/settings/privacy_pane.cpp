#include "settings/privacy_pane.h"

#include "foundation/app_settings.h"
#include "settings/setting_rows.h"
#include "ui/ui.h"

namespace quorlix {

using namespace ui;

View PrivacyPane::indicator(const std::string& symbol, const std::string& label, const Color& color) {
    const RoundedRectangle tile(14, RoundedCornerStyle::continuous);
    return HStack({.alignment = VerticalAlignment::center, .spacing = 8},
                  {
                      Circle().fill(color).frame({.width = 8, .height = 8}),
                      Symbol(symbol).foregroundStyle(color),
                      Text(label).font(Font::callout().withWeight(FontWeight::medium)),
                  })
        .frame({.maxWidth = infinity})
        .padding(Edges::vertical, 14)
        .background(tile.fill(Color::white.opacity(0.075)))
        .overlay(tile.strokeBorder(Color::white.opacity(0.07), 0.5))
        .id("indicator:" + label);
}

View PrivacyPane::body(Context& ctx) const {
    AppSettings& settings = ctx.object<AppSettings>();
    return VStack({.alignment = HorizontalAlignment::leading, .spacing = 0},
                  {
                      PaneHeader{SettingsSection::privacy,
                                 "Te avisa cuando una app usa tu micrófono o tu cámara, y cuando "
                                 "prendes o apagas No molestar."},
                      HStack({.alignment = VerticalAlignment::center, .spacing = 14},
                             {indicator("mic.fill", "Micrófono", Color::orange),
                              indicator("video.fill", "Cámara", Color::green)})
                          .padding(Edge::bottom, 12),
                      Card{{ToggleRow{"Avisos de micrófono y cámara", settingBinding(settings.privacyAlerts),
                                      "hand.raised"},
                            RowDivider{},
                            ToggleRow{"Aviso de batería baja", settingBinding(settings.lowBatteryAlert),
                                      "battery.25percent"}}},
                      Footnote{"El aviso de batería baja sale al 20 % y al 10 %."},
                  });
}

}  // namespace quorlix
