#include "settings/lock_screen_pane.h"

#include "foundation/app_settings.h"
#include "platform/main_queue.h"
#include "services/date_text.h"
#include "services/sounds.h"
#include "settings/live_value.h"
#include "settings/option_pickers.h"
#include "settings/pane_pieces.h"
#include "settings/setting_rows.h"
#include "settings/sliders.h"
#include "settings/wallpaper.h"
#include "ui/ui.h"
#include "window/lock_clock.h"

namespace quorlix {

using namespace ui;

namespace {

View glassBlock(AppSettings& settings) {
    return VStack({.alignment = HorizontalAlignment::leading, .spacing = 12},
                  {
                      Text("Estilo de vidrio").font(Font::system(13.5, FontWeight::medium)),
                      ChoiceButtons<GlassStyle>{
                          .options = {GlassStyle::clear, GlassStyle::frosted},
                          .selection = settingBinding(settings.lockGlassStyle),
                          .height = 40,
                          .disabled = false,
                          .label =
                              [](const GlassStyle& style, bool) {
                                  return View(Text(style == GlassStyle::clear ? "Transparente" : "Esmerilado")
                                                  .font(Font::system(12.5, FontWeight::semibold)));
                              }},
                  })
        .padding(Edges::vertical, 15);
}

View lyricsTimingBlock(AppSettings& settings) {
    const double offset = settings.lyricsOffset.get();
    const View block = VStack({.alignment = HorizontalAlignment::leading, .spacing = 8},
                              {
                                  sliderHeader("Sincronización",
                                               sliderValueText(LockScreenPane::offsetText(offset))
                                                   .contentTransition(ContentTransition::numericText())
                                                   .id("lyricsOffset.value"),
                                               "ms")
                                      .animation(Animation::spring(0.2, 0.85), offset),
                                  // Straight to the key: every step of a drag is written.
                                  CanopySlider{settingBinding(settings.lyricsOffset), -1.5, 1.5, 0, 0.1},
                                  sliderScale("Más tarde", "Antes"),
                              })
                           .padding(Edges::vertical, 14);
    return enabledWhen(block.id("lyricsTiming"), settings.lyricsEnabled.get());
}

View soundVolumeBlock(AppSettings& settings) {
    const View block =
        VStack({.alignment = HorizontalAlignment::leading, .spacing = 8},
               {
                   HStack({.alignment = VerticalAlignment::center},
                          {
                              Text("Volumen").font(Font::system(13.5, FontWeight::medium)),
                              Spacer(),
                              Button(HStack({.alignment = VerticalAlignment::center, .spacing = 4},
                                            {Symbol("play.fill"), Text("Probar")})
                                         .font(Font::system(12, FontWeight::semibold)),
                                     &LockScreenPane::playTest)
                                  .buttonStyle(BorderedButtonStyle{})
                                  .environment(env::controlSize, ControlSize::small)
                                  .id("sound.test"),
                          }),
                   LiveValue{.value = settingBinding(settings.soundVolume),
                             .step = 0,
                             .content =
                                 [](const Binding<double>& live, bool) {
                                     return View(CanopySlider{live, 0, 1, 0, 0});
                                 }},
                   HStack({Symbol("speaker.fill"), Spacer(), Symbol("speaker.wave.3.fill")})
                       .font(Font::system(10))
                       .foregroundStyle(Color::white.opacity(0.42)),
               })
            .padding(Edges::vertical, 14);
    return enabledWhen(block.id("soundVolume"), settings.lockSound.get() || settings.unlockSound.get());
}

// The player as the lock screen shows it: artwork and two lines of text, in the glass.
View playerMock(bool frosted) {
    const RoundedRectangle card(13, RoundedCornerStyle::continuous);
    return HStack({.alignment = VerticalAlignment::center, .spacing = 8},
                  {
                      RoundedRectangle(5, RoundedCornerStyle::continuous)
                          .fill(LinearGradient({Color::pink, Color::purple}, UnitPoint::topLeading,
                                               UnitPoint::bottomTrailing))
                          .frame({.width = 26, .height = 26}),
                      VStack({.alignment = HorizontalAlignment::leading, .spacing = 4},
                             {
                                 Capsule().fill(Color::white.opacity(0.85)).frame({.width = 64, .height = 5}),
                                 Capsule().fill(Color::white.opacity(0.45)).frame({.width = 40, .height = 4}),
                             }),
                      Spacer(),
                  })
        .padding(Edges::horizontal, 10)
        .frame({.width = 150, .height = 44})
        .background(frosted ? card.fill(Material::regular) : card.fill(Color::white.opacity(0.1)))
        .overlay(card.strokeBorder(Color::white.opacity(0.25), 0.7))
        .id("lockPreview.player")
        .padding(Edge::top, 10)
        .animation(Animation::easeOut(0.25), frosted);
}

}  // namespace

void LockScreenPane::playTest() {
    Sounds::play(Sound::lock, AppSettings::shared().soundVolume.get());
    // Not tied to the window: the second sound plays even once it has closed.
    platform::MainQueue::shared()
        .after(unlockSoundDelay, [] { Sounds::play(Sound::unlock, AppSettings::shared().soundVolume.get()); })
        .detach();
}

std::string LockScreenPane::offsetText(double seconds) { return wholeNumberText(seconds * 1000); }

std::string LockPreview::dateText(Date date) {
    return upperFirst(formatDate(date, "EEEE, d 'de' MMMM", "es_MX"), "es_MX");
}

View LockPreview::body(Context&) const {
    const bool glass = frosted;
    const RoundedRectangle frame(20, RoundedCornerStyle::continuous);
    return TimelineView(TimelineSchedule::everyMinute(),
                        [glass](const TimelineContext& entry) {
                            return ZStack({
                                WallpaperBackdrop{.blur = 1.5, .dim = 0.08},
                                VStack({.alignment = HorizontalAlignment::center, .spacing = 2},
                                       {
                                           Text(dateText(entry.date))
                                               .font(Font::system(11, FontWeight::semibold))
                                               .foregroundStyle(Color::white.opacity(0.85))
                                               .id("lockPreview.date"),
                                           Text(LockClock::timeText(entry.date, currentLocale()))
                                               .font(Font::system(46, FontWeight::bold, FontDesign::rounded))
                                               .foregroundStyle(Color::white)
                                               .shadow(Color::black.opacity(0.25), 6, 0, 2)
                                               .id("lockPreview.clock"),
                                           playerMock(glass),
                                       }),
                            });
                        })
        .frame({.height = 190})
        .clipShape(frame)
        .overlay(frame.strokeBorder(Color::white.opacity(0.14), 0.7))
        .shadow(Color::black.opacity(0.3), 12, 0, 5);
}

View LockScreenPane::body(Context& ctx) const {
    AppSettings& settings = ctx.object<AppSettings>();
    return VStack(
        {.alignment = HorizontalAlignment::leading, .spacing = 0},
        {
            PaneHeader{SettingsSection::lockScreen},
            View(LockPreview{settings.lockGlassStyle.get() == GlassStyle::frosted})
                .id("lockPreview")
                .padding(Edge::bottom, 10),
            Card{{glassBlock(settings)}},
            GroupLabel{"Comportamiento"},
            Card{{ToggleRow{"Reproductor en la pantalla de bloqueo",
                            settingBinding(settings.lockScreenEnabled)},
                  RowDivider{}, ToggleRow{"Portada completa", settingBinding(settings.lockScreenFullArtwork)},
                  RowDivider{}, ToggleRow{"Letras", settingBinding(settings.lyricsEnabled)}, RowDivider{},
                  lyricsTimingBlock(settings)}},
            Footnote{"En Linux nada se dibuja sobre el bloqueo de pantalla: esta vista queda debajo y, al "
                     "bloquear y desbloquear, oyes los sonidos. La letra también sale en la isla abierta y "
                     "ancha; para ella se envía el título y el artista a LRCLIB."},
            GroupLabel{"Sonidos"},
            Card{{ToggleRow{"Sonido al bloquear", settingBinding(settings.lockSound)}, RowDivider{},
                  ToggleRow{"Sonido al desbloquear", settingBinding(settings.unlockSound)}, RowDivider{},
                  soundVolumeBlock(settings)}},
        });
}

}  // namespace quorlix
