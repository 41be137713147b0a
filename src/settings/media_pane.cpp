#include "settings/media_pane.h"

#include "foundation/app_settings.h"
#include "services/player_source.h"
#include "settings/live_value.h"
#include "settings/option_pickers.h"
#include "settings/pane_pieces.h"
#include "settings/setting_rows.h"
#include "settings/sliders.h"
#include "ui/ui.h"

#include <algorithm>
#include <cmath>

namespace quorlix {

using namespace ui;

namespace {

constexpr int lastPosition = static_cast<int>(AppSettings::hideAfterSteps.size()) - 1;

struct ArcShape {
    double y, width, lift, line;
};
// Top to bottom: each shorter and thinner than the one above.
constexpr ArcShape arcs[] = {
    {0.34, 0.6, 0.075, 0.105}, {0.515, 0.52, 0.06, 0.085}, {0.675, 0.44, 0.048, 0.068}};

View sourcePreview(MediaSourcePreference source) {
    switch (source) {
        case MediaSourcePreference::automatic:
            return Symbol("person.2.crop.square.stack.fill")
                .font(Font::system(26, FontWeight::medium))
                .foregroundStyle(Color::white)
                .frame({.width = 40, .height = 40});
        case MediaSourcePreference::spotify:
            return ZStack({
                              RoundedRectangle(9, RoundedCornerStyle::continuous).fill(Color::black),
                              View(SpotifyLogo{}).padding(6),
                          })
                .frame({.width = 40, .height = 40});
        case MediaSourcePreference::music:
            // Asked for at every drawing: the app may come or go while the window is open.
            if (const auto icon = appIcon(PlayerSource::music))
                return Image(*icon)
                    .resizable()
                    .aspectRatio(ContentMode::fit)
                    .frame({.width = 40, .height = 40})
                    .scaleEffect(1.18);
            return Symbol("music.note").font(Font::system(24)).frame({.width = 40, .height = 40});
    }
    return View();
}

std::string sourceLabel(MediaSourcePreference source) {
    switch (source) {
        case MediaSourcePreference::automatic: return "Auto";
        case MediaSourcePreference::spotify: return "Spotify";
        case MediaSourcePreference::music: return "Música";
    }
    return {};
}

struct LeftButtonFace {
    const char* symbol;
    const char* tooltip;
};

LeftButtonFace face(LeftButtonAction action) {
    switch (action) {
        case LeftButtonAction::favorite: return {"heart.fill", "Me gusta"};
        case LeftButtonAction::shuffle: return {"shuffle", "Aleatorio"};
        case LeftButtonAction::repeatMode: return {"repeat", "Repetir"};
        case LeftButtonAction::none: return {"nosign", "Ninguno"};
    }
    return {"nosign", "Ninguno"};
}

View leftButtonBlock(AppSettings& settings) {
    return VStack({.alignment = HorizontalAlignment::leading, .spacing = 12},
                  {
                      Text("Botón izquierdo").font(Font::system(13.5, FontWeight::medium)),
                      ChoiceButtons<LeftButtonAction>{
                          .options = {LeftButtonAction::favorite, LeftButtonAction::shuffle,
                                      LeftButtonAction::repeatMode, LeftButtonAction::none},
                          .selection = settingBinding(settings.leftButton),
                          .height = 44,
                          .disabled = false,
                          .label =
                              [](const LeftButtonAction& action, bool selected) {
                                  const LeftButtonFace f = face(action);
                                  return symbolBounce(
                                             Symbol(f.symbol).font(Font::system(15, FontWeight::semibold)),
                                             selected)
                                      .help(f.tooltip)
                                      .id(std::string("left:") + std::string(rawValue(action)));
                              }},
                  })
        .padding(Edges::vertical, 15);
}

View hideAfterBlock(AppSettings& settings) {
    const std::string label = MediaPane::hideAfterLabel(settings.hideAfterPause.get());
    // The slider moves over positions; each move stores its step's delay at once.
    const Binding<double> position(
        [&settings] {
            return static_cast<double>(MediaPane::hideAfterPosition(settings.hideAfterPause.get()));
        },
        [&settings](double p) { settings.hideAfterPause = MediaPane::hideAfterSeconds(p); });
    const View block =
        VStack({.alignment = HorizontalAlignment::leading, .spacing = 8},
               {
                   sliderHeader("Ocultar después de",
                                Text(label)
                                    .font(Font::system(17, FontWeight::bold))
                                    .foregroundStyle(Color::white)
                                    .contentTransition(ContentTransition::numericText())
                                    .id("hideAfter.value"),
                                "")
                       .animation(Animation::spring(0.2, 0.85), label),
                   CanopySlider{position, 0, static_cast<double>(lastPosition), lastPosition + 1, 1},
                   sliderScale("Al instante", "Nunca"),
               })
            .padding(Edges::vertical, 14);
    return enabledWhen(block.id("hideAfter"), settings.collapseOnPause.get());
}

}  // namespace

std::string MediaPane::hideAfterLabel(double h) {
    if (h == 0) return "Al instante";
    if (!(h <= 600)) return "Nunca";
    if (h < 60) return truncatedNumberText(h) + " s";
    return truncatedNumberText(h / 60) + " min";
}

int MediaPane::hideAfterPosition(double seconds) {
    const auto& steps = AppSettings::hideAfterSteps;
    const auto found = std::find(steps.begin(), steps.end(), seconds);
    return found == steps.end() ? 0 : static_cast<int>(found - steps.begin());
}

double MediaPane::hideAfterSeconds(double position) {
    const double nearest =
        std::isnan(position) ? 0 : std::round(std::clamp(position, 0.0, double(lastPosition)));
    return AppSettings::hideAfterSteps[static_cast<std::size_t>(nearest)];
}

View MediaPane::body(Context& ctx) const {
    AppSettings& settings = ctx.object<AppSettings>();
    return VStack(
        {.alignment = HorizontalAlignment::leading, .spacing = 0},
        {
            PaneHeader{SettingsSection::media},
            Card{{ToggleRow{"Reproductor", settingBinding(settings.mediaEnabled)}}},
            Card{{StylePicker<MediaSourcePreference>{
                .title = "Fuente",
                .options = {MediaSourcePreference::automatic, MediaSourcePreference::spotify,
                            MediaSourcePreference::music},
                .selection = settingBinding(settings.mediaSource),
                .label = sourceLabel,
                .preview = [](const MediaSourcePreference& source, bool) { return sourcePreview(source); },
                .height = 108,
                .disabled = !settings.mediaEnabled.get()}}},
            Footnote{"«Auto» muestra el reproductor que esté sonando. Spotify muestra solo Spotify, y Música "
                     "cualquier otro: VLC, mpv, tu navegador."},
            Card{{leftButtonBlock(settings)}},
            Footnote{
                "Lo que hace el botón de la izquierda del reproductor, o ninguno para dejarlo vacío. Los "
                "reproductores de Linux no guardan «Me gusta»: con él, el botón hace aleatorio. El de la "
                "derecha siempre cambia la salida de audio."},
            GroupLabel{"Apariencia"},
            Card{{ToggleRow{"Actividad en vivo en el notch", settingBinding(settings.liveActivity)},
                  RowDivider{}, ToggleRow{"Color de la canción", settingBinding(settings.tintWithArtwork)}}},
            GroupLabel{"Comportamiento"},
            Card{{ToggleRow{"Contraer al pausar", settingBinding(settings.collapseOnPause)}, RowDivider{},
                  hideAfterBlock(settings)}},
            Footnote{
                "Al pausar, la portada y el ecualizador se quitan del notch al instante, después de un rato "
                "o nunca. La letra y la pantalla de bloqueo están en «Pantalla de bloqueo»."},
        });
}

Path SpotifyArc::path(const Rect& r) const {
    const double s = std::min(r.width(), r.height());
    const auto at = [&](double x, double yy) { return Point{r.minX() + x * s, r.minY() + yy * s}; };
    Path p;
    p.move(at(0.5 - width / 2 - 0.01, y + 0.012));
    p.quad(at(0.48, y - lift), at(0.5 + width / 2, y + 0.045));
    return p;
}

View SpotifyLogo::body(Context&) const {
    return GeometryReader([](const GeometryProxy& g) {
        const Size size = g.size();
        const double s = std::min(size.width, size.height);
        Views layers{Circle().fill(Color::sRGB(0.118, 0.843, 0.376))};
        for (const ArcShape& a : arcs)
            layers.push_back(SpotifyArc{.y = a.y, .width = a.width, .lift = a.lift}.stroke(
                Color::black, StrokeStyle{.lineWidth = s * a.line, .lineCap = LineCap::round}));
        return ZStack(std::move(layers))
            .frame({.width = s, .height = s})
            .frame({.width = size.width, .height = size.height});
    });
}

}  // namespace quorlix
