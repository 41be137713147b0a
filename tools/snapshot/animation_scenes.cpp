// Animations of the view layer: the island's outline morphing between two modes on springs,
// the pop-in entrance of a HUD's parts, and numeric and symbol content transitions.

#include "island/island_background.h"
#include "island/level_bar.h"
#include "island/notch_shape.h"
#include "island/pop_in.h"
#include "snapshot/scene.h"
#include "ui/ui.h"

namespace quorlix::snapshot {

namespace {

using namespace ui;

View expandedContent() {
    Views rows;
    for (const char* title : {"Canción de la orilla", "Los Faroles", "Noches de puerto"})
        rows.push_back(Text(title).font(Font::system(13, FontWeight::semibold)).lineLimit(1));
    return VStack({.alignment = HorizontalAlignment::leading, .spacing = 6}, std::move(rows))
        .foregroundStyle(Color::white)
        .padding(Edge::top, 40)
        .padding(Edges::horizontal, 20)
        .frame({.maxWidth = infinity, .alignment = Alignment::topLeading});
}

// The island resting over the notch, then expanded: the outline's radii, its size and its
// shadow spring from one mode to the other while the content changes with a transition.
const AnimationScene notchMorph{"notch-morph", {560, 220}, 1.0, [](bool expanded) {
    const double top = expanded ? 14 : 6, bottom = expanded ? 24 : 10;
    const double w = expanded ? 440 : 192, h = expanded ? 140 : 32;
    const AnyShape outline = NotchShape(top, bottom);
    const auto transition = AnyTransition::asymmetric(
        AnyTransition::scale(0.9, UnitPoint::top).combined(AnyTransition::opacity()).animation(Animation::easeOut(0.25).delay(0.06)),
        AnyTransition::opacity().animation(Animation::easeIn(0.1)));
    return ZStack({.alignment = Alignment::top}, {
               If(expanded, expandedContent(), Color::clear).id(expanded ? 1 : 0).transition(transition),
           })
        .frame({.width = w, .height = h, .alignment = Alignment::top})
        .padding(Edges::horizontal, top)
        .background(IslandBackground{.shape = outline, .notchBand = 32})
        .clipShape(outline)
        .shadow(Color::black.opacity(expanded ? 0.5 : 0), expanded ? 20 : 6, 0, expanded ? 10 : 2)
        .frame({.maxWidth = infinity, .maxHeight = infinity, .alignment = Alignment::top})
        .animation(Animation::spring(0.34, 0.82), expanded)
        .animation(Animation::spring(0.3, 0.7), w + h)
        .colorScheme(ColorScheme::dark);
}, true};

// A volume HUD whose parts arrive one after another.
const AnimationScene popInScene{"pop-in", {360, 90}, 0.9, [](bool) {
    return HStack({.spacing = 14}, {
               popIn(Symbol("speaker.wave.2.fill").font(Font::system(18, FontWeight::semibold)), 0),
               popIn(LevelBar{.value = 0.65, .tint = Color::white}.frame({.width = 140, .height = 5}), 0.12),
               popIn(Text("65").font(Font::system(13, FontWeight::bold).monospacedDigit()), 0.18),
           })
        .foregroundStyle(Color::white)
        .padding(Edges::horizontal, 22)
        .frame({.height = 44})
        .background(Capsule(RoundedCornerStyle::continuous).fill(Color::black));
}, false};

// A countdown's digits roll and a play symbol turns into pause.
const AnimationScene contentTransitions{"content-transitions", {300, 110}, 0.6, [](bool changed) {
    return HStack({.spacing = 24}, {
               Text(changed ? "1:10" : "1:09")
                   .font(Font::system(34, FontWeight::bold, FontDesign::rounded).monospacedDigit())
                   .contentTransition(ContentTransition::numericText()),
               Symbol(changed ? "pause.fill" : "play.fill")
                   .font(Font::system(30, FontWeight::semibold))
                   .contentTransition(ContentTransition::symbolReplace()),
           })
        .foregroundStyle(Color::white)
        .padding(20)
        .background(RoundedRectangle(22, RoundedCornerStyle::continuous).fill(Color::black));
}, true, Animation::easeOut(0.4)};

}  // namespace

}  // namespace quorlix::snapshot
