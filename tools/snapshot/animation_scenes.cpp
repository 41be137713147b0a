// Animations of the view layer: the island's outline morphing between two modes on springs,
// the pop-in entrance of a HUD's parts, and numeric and symbol content transitions.

#include "island/island_background.h"
#include "island/notch_shape.h"
#include "snapshot/scene.h"
#include "ui/ui.h"

namespace quorlix::snapshot {

namespace {

using namespace ui;

// The island's entrance effect: blurred, small and invisible, then sprung into place.
struct PopIn {
    View content;
    double delay = 0;
    View body(Context& ctx) const {
        auto shown = ctx.state<bool>(false);
        return content.blur(shown ? 0 : 6)
            .scaleEffect(shown ? 1 : 0.55)
            .opacity(shown ? 1 : 0)
            .onAppear([shown, delay = delay] {
                withAnimation(Animation::spring(0.45, 0.62).delay(delay + 0.06), [&] { shown = true; });
            });
    }
};

View expandedContent() {
    Views rows;
    for (const char* title : {"Bohemian Rhapsody", "Queen", "A Night at the Opera"})
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
const AnimationScene popIn{"pop-in", {360, 90}, 0.9, [](bool) {
    return HStack({.spacing = 14}, {
               View(PopIn{Symbol("speaker.wave.2.fill").font(Font::system(18, FontWeight::semibold)), 0}),
               View(PopIn{ZStack({.alignment = Alignment::leading}, {
                              Capsule().fill(Color::white.opacity(0.18)),
                              Capsule().fill(Color::white).frame({.width = 90}),
                          }).frame({.width = 140, .height = 5}),
                          0.12}),
               View(PopIn{Text("65").font(Font::system(13, FontWeight::bold).monospacedDigit()), 0.18}),
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
