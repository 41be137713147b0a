#include "island/marquee_text.h"

#include "ui/animation.h"
#include "ui/color.h"
#include "ui/context.h"
#include "ui/lifecycle.h"
#include "ui/views.h"

#include <optional>
#include <tuple>

namespace quorlix {

namespace {

using namespace ui;

// Between the text and its copy, points.
constexpr double gap = 32;
// One pass takes the text's width divided by this many seconds.
constexpr double pointsPerSecond = 28;
constexpr double pause = 1.5;
constexpr double height = 17;

// A clear view that keeps `into` at its width: when it appears and on each later change.
View measuring(double width, const State<double>& into) {
    return Color::clear.onAppear([into, width] { into = width; }).onChange(width, [into](double w) {
        into = w;
    });
}

}  // namespace

View MarqueeText::body(Context& ctx) const {
    const auto textWidth = ctx.state<double>(0);
    const auto animate = ctx.state<bool>(false);
    const auto boxWidth = ctx.state<double>(0);
    // False until the box is measured.
    const bool overflowing = boxWidth > 0 && boxWidth < textWidth;

    const View label = Text(text).font(font).lineLimit(1).fixedSize().background(GeometryReader(
        [textWidth](const GeometryProxy& proxy) { return measuring(proxy.size().width, textWidth); }));

    const double measured = textWidth;
    const bool running = animate;
    const Alignment stillAlignment = centered ? Alignment::center : Alignment::leading;
    const auto layout = std::make_tuple(text, measured);
    const View scroller = GeometryReader([=](const GeometryProxy& proxy) {
        const double w = proxy.size().width;
        const bool scrolls = w < measured;
        const std::optional<Animation> loop =
            scrolls && running
                ? std::optional(
                      Animation::linear(measured / pointsPerSecond).delay(pause).repeatForever(false))
                : std::nullopt;
        return HStack({.alignment = VerticalAlignment::center, .spacing = gap}, {label, If(scrolls, label)})
            .fixedSize()
            .frame({.width = w, .alignment = scrolls ? Alignment::leading : stillAlignment})
            // A new text, its width or the space for it show at once; only the scroll moves.
            .animation(std::nullopt, std::tuple_cat(layout, std::make_tuple(w)))
            .offset(scrolls && running ? -(measured + gap) : 0, 0)
            // Stopping is a jump back to the start, which ends the loop.
            .animation(loop, running)
            .onAppear([animate] { animate = true; });
    });

    const Color edge = Color::black.opacity(overflowing ? 0 : 1);
    return scroller.frame({.height = height})
        .clipped()
        .background(GeometryReader(
            [boxWidth](const GeometryProxy& proxy) { return measuring(proxy.size().width, boxWidth); }))
        .mask(LinearGradient(Gradient(std::vector<GradientStop>{
                                 {edge, 0}, {Color::black, 0.07}, {Color::black, 0.93}, {edge, 1}}),
                             UnitPoint::leading, UnitPoint::trailing))
        // A new text stops the loop for one render, so it starts again from the beginning.
        .onChange(text, [animate](const std::string&) { animate = false; })
        .onChange(running, [animate](bool on) {
            if (!on) animate = true;
        });
}

}  // namespace quorlix
