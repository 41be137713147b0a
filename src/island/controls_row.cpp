#include "island/controls_row.h"

#include "foundation/app_settings.h"
#include "island/island_button_style.h"
#include "island/island_environment.h"
#include "island/island_layout.h"
#include "services/now_playing_service.h"
#include "services/volume_service.h"
#include "ui/context.h"
#include "ui/display_list.h"
#include "ui/lifecycle.h"
#include "ui/shape.h"
#include "ui/views.h"

#include <optional>
#include <string>

namespace quorlix {

namespace {

using namespace ui;

// The row's sizes for one variant, before the scale.
struct Metrics {
    double leftGlyph, skipGlyph, playGlyph;
    Size control;
    Size placeholder;
};

constexpr Metrics plain{13, 15, 22, {34, 28}, {30, 28}};
constexpr Metrics canopied{18, 17, 29, {42, 30}, {42, 28}};

// Makes the row's buttons: a glyph of `size` in the row's frame, pressed with the island's
// style; dimmed, or in `tint`.
struct Controls {
    double s;
    Metrics m;
    bool wide;

    View operator()(const std::string& symbol, double size, bool dimmed, std::optional<Color> tint,
                    std::function<void()> action) const {
        const Color color = tint ? *tint : Color::white.opacity(dimmed ? (wide ? 0.45 : 0.5) : 1);
        return Button(Symbol(symbol)
                          .font(Font::system(size, FontWeight::semibold))
                          .foregroundStyle(color)
                          .contentTransition(ContentTransition::symbolReplace())
                          .frame({.width = m.control.width * s, .height = m.control.height * s}),
                      std::move(action))
            .buttonStyle(IslandButtonStyle{});
    }
};

// The left button the settings choose; favourite falls back to shuffle for a player without
// favourites.
View leftButton(const Controls& control, NowPlayingService& nowPlaying) {
    const double leftSize = control.m.leftGlyph * control.s;
    const auto shuffle = [&] {
        return control("shuffle", leftSize, !nowPlaying.shuffling.get(), std::nullopt,
                       [&nowPlaying] { nowPlaying.toggleShuffle(); });
    };
    switch (AppSettings::shared().leftButton.get()) {
        case LeftButtonAction::favorite:
            if (nowPlaying.canFavorite()) {
                const bool favorited = nowPlaying.favorited.get();
                return control(favorited ? "heart.fill" : "heart", leftSize, false,
                               favorited ? std::optional(Color::pink) : std::nullopt,
                               [&nowPlaying] { nowPlaying.toggleFavorite(); });
            }
            return shuffle();
        case LeftButtonAction::shuffle: return shuffle();
        case LeftButtonAction::repeatMode:
            return control("repeat", leftSize, !nowPlaying.repeating.get(), std::nullopt,
                           [&nowPlaying] { nowPlaying.toggleRepeat(); });
        case LeftButtonAction::none:
            return Color::clear.frame({.width = control.m.placeholder.width * control.s,
                                       .height = control.m.placeholder.height * control.s});
    }
    return View();
}

// The audio-output button, showing the current output's glyph, behind it a faint backdrop
// while the output menu is open.
View outputButton(const ControlsRow& row, const VolumeService& volume, double s, bool menuOpen) {
    const auto& current = volume.currentOutput.get();
    const std::string glyph = current ? current->symbol() : "hifispeaker.fill";
    View label;
    if (row.canopy) {
        label = Symbol(glyph)
                    .font(Font::system(20 * s, FontWeight::regular))
                    .foregroundStyle(Color::white.opacity(0.45))
                    .frame({.width = 42 * s, .height = 30 * s});
    } else {
        const Size frame = row.roundOutput ? Size{36, 36} : Size{30, 28};
        label = Symbol(glyph)
                    .font(Font::system(13 * s, FontWeight::semibold))
                    .foregroundStyle(Color::white.opacity(0.75))
                    .frame({.width = frame.width * s, .height = frame.height * s})
                    .background(Circle().fill(Color::white.opacity(row.roundOutput ? 0.1 : 0)));
    }
    return Group({
        Spacer(0),
        Button(label, row.onOutput)
            .buttonStyle(IslandButtonStyle{})
            .background(RoundedRectangle(9, RoundedCornerStyle::continuous)
                            .fill(Color::white.opacity(menuOpen ? 0.12 : 0)))
            .anchorPreference(OutputButtonAnchorKey, [](const Anchor& a) { return std::optional(a); })
            .help("Salida de audio"),
    });
}

}  // namespace

View ControlsRow::body(Context& ctx) const {
    NowPlayingService& nowPlaying = ctx.object<NowPlayingService>();
    VolumeService& volume = ctx.object<VolumeService>();
    // Not read here: observed so the row follows the left-button setting.
    ctx.object<AppSettings>();
    const bool menuOpen = ctx.environment(outputMenuOpen);
    const double s = IslandLayout::scale();
    const Controls control{s, canopy ? canopied : plain, canopy};
    const Metrics& m = control.m;

    const View left = leftButton(control, nowPlaying);
    View output;
    if (onOutput) output = outputButton(*this, volume, s, menuOpen);

    return HStack({.alignment = VerticalAlignment::center, .spacing = 0},
                  {
                      left,
                      Spacer(0),
                      control("backward.fill", m.skipGlyph * s, false, std::nullopt,
                              [&nowPlaying] { nowPlaying.send("previous track"); }),
                      Spacer(0),
                      control(nowPlaying.isPlaying.get() ? "pause.fill" : "play.fill", m.playGlyph * s, false,
                              std::nullopt, [&nowPlaying] { nowPlaying.togglePlayPause(); }),
                      Spacer(0),
                      control("forward.fill", m.skipGlyph * s, false, std::nullopt,
                              [&nowPlaying] { nowPlaying.send("next track"); }),
                      output,
                  })
        // The player's flags may have changed while the row was away.
        .onAppear([&nowPlaying] { nowPlaying.syncShuffle(); });
}

}  // namespace quorlix
