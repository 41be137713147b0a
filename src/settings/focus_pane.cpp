#include "settings/focus_pane.h"

#include "foundation/app_settings.h"
#include "settings/setting_rows.h"
#include "settings/sliders.h"
#include "settings/wallpaper.h"
#include "ui/ui.h"

namespace quorlix {

using namespace ui;

namespace {

constexpr double sampleWidth = 128;
constexpr double sampleHeight = 30;
constexpr double sampleRadius = 12;

// Square at the top, rounded at the bottom: a rounded rectangle with its upper half filled
// in. (The corners of this radius run no further than half the sample's height.)
View hangingShape() {
    return ZStack({.alignment = Alignment::top},
                  {
                      RoundedRectangle(sampleRadius, RoundedCornerStyle::continuous).fill(Color::black),
                      Rectangle().fill(Color::black).frame({.height = sampleHeight / 2}),
                  });
}

View previewBlock() {
    const RoundedRectangle stage(20, RoundedCornerStyle::continuous);
    return VStack({.alignment = HorizontalAlignment::leading, .spacing = 12},
                  {
                      Text("En el notch").font(Font::system(13.5, FontWeight::medium)),
                      HStack({.alignment = VerticalAlignment::center, .spacing = 22},
                             {View(FocusSample{true}).id("focus.sample.on"),
                              View(FocusSample{false}).id("focus.sample.off")})
                          .frame({.maxWidth = infinity})
                          .frame({.height = 92})
                          .background(WallpaperBackdrop{.blur = 16, .dim = 0.15})
                          .clipShape(stage)
                          .overlay(stage.strokeBorder(Color::white.opacity(0.14), 0.7))
                          .id("focus.stage")
                          .padding(Edges::horizontal, 18),
                  })
        .padding(Edges::vertical, 15);
}

}  // namespace

View FocusSample::body(Context&) const {
    const Color color = active ? Color::sRGB(0.42, 0.42, 1.0) : Color::gray(0.55);
    return HStack({.alignment = VerticalAlignment::center},
                  {
                      Symbol("moon.fill").font(Font::system(12, FontWeight::semibold)),
                      Spacer(),
                      Text(active ? "Sí" : "No").font(Font::system(12, FontWeight::bold)),
                  })
        .foregroundStyle(color)
        .padding(Edges::horizontal, 12)
        .frame({.width = sampleWidth, .height = sampleHeight})
        .background(hangingShape());
}

View FocusPane::body(Context& ctx) const {
    AppSettings& settings = ctx.object<AppSettings>();
    return VStack({.alignment = HorizontalAlignment::leading, .spacing = 0},
                  {
                      PaneHeader{SettingsSection::focus},
                      Card{{ToggleRow{"Aviso de No molestar", settingBinding(settings.focusAlerts)}}},
                      Card{{previewBlock()}},
                      Card{{DurationRow{"Duración de superposición",
                                        settingBinding(settings.focusHUDDuration), 1, 5, 0.5}}},
                      Footnote{"Funciona con No molestar de GNOME y de KDE Plasma. Quorlix lo lee del "
                               "escritorio en cuanto lo "
                               "prendes o lo apagas, así que no necesita ningún permiso ni ajuste."},
                  });
}

}  // namespace quorlix
