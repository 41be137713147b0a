#include "settings/sliders.h"

#include "ui/ui.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace quorlix {

using namespace ui;

namespace {

constexpr double half = CanopySlider::thumbWidth / 2;
// The most tick dots drawn, whatever the range.
constexpr int maxTicks = 200;

}  // namespace

View sliderScale(std::string lower, std::string upper) {
    return HStack({.spacing = 0}, {Text(std::move(lower)), Spacer(), Text(std::move(upper))})
        .font(Font::system(10.5, FontWeight::medium))
        .foregroundStyle(Color::white.opacity(0.42));
}

View sliderHeader(const std::string& title, View value, const std::string& unit) {
    Views group{std::move(value)};
    if (!unit.empty())
        group.push_back(Text(unit)
                            .font(Font::system(12.5, FontWeight::semibold))
                            .foregroundStyle(Color::white.opacity(0.5)));
    return HStack(
        {.alignment = VerticalAlignment::firstTextBaseline, .spacing = 0},
        {
            Text(title)
                .font(Font::system(13.5, FontWeight::medium))
                .foregroundStyle(Color::white.opacity(0.92)),
            Spacer(),
            HStack({.alignment = VerticalAlignment::firstTextBaseline, .spacing = 3}, std::move(group)),
        });
}

View sliderValueText(std::string text) {
    return Text(std::move(text))
        .font(Font::system(17, FontWeight::bold).monospacedDigit())
        .foregroundStyle(Color::white);
}

double CanopySlider::usable(double width) { return std::max(width - thumbWidth, 1.0); }

double CanopySlider::fraction(double value, double lower, double upper) {
    if (!(upper > lower) || std::isnan(value)) return 0;
    return (std::clamp(value, lower, upper) - lower) / (upper - lower);
}

double CanopySlider::valueAt(double x, double width, double lower, double upper, double step) {
    const double t = std::clamp((x - half) / usable(width), 0.0, 1.0);
    double v = lower + t * (upper - lower);
    if (step > 0) v = snapped(v, step);
    // Bounds that are not multiples of the step would otherwise snap outside the range.
    return std::clamp(v, lower, upper);
}

std::vector<double> CanopySlider::tickCentres(int ticks, double width) {
    std::vector<double> out;
    if (ticks < 2) return out;
    const double u = usable(width);
    for (int i = 0; i < ticks; ++i) out.push_back(half + u * i / (ticks - 1));
    return out;
}

View CanopySlider::look(double width, double f, int ticks, bool held) {
    const double u = usable(width);
    Views layers{
        Capsule(RoundedCornerStyle::continuous)
            .fill(Color::white.opacity(0.16))
            .frame({.width = width, .height = trackHeight}),
        Capsule(RoundedCornerStyle::continuous)
            .fill(Color::white.opacity(0.92))
            .frame({.width = half + u * f, .height = trackHeight})
            .id("slider-fill"),
    };
    for (const double centre : tickCentres(ticks, width))
        layers.push_back(Circle()
                             .fill(Color::white.opacity(0.32))
                             .frame({.width = tickSize, .height = tickSize})
                             .offset(centre - tickSize / 2, 9));
    layers.push_back(Capsule(RoundedCornerStyle::continuous)
                         .fill(Color::white)
                         .frame({.width = thumbWidth, .height = thumbHeight})
                         .shadow(Color::black.opacity(0.35), 3, 0, 1)
                         .scaleEffect(held ? 1.1 : 1.0)
                         .id("slider-thumb")
                         .offset(u * f, 0));
    return ZStack({.alignment = Alignment::leading}, std::move(layers))
        .frame({.width = width, .height = height, .alignment = Alignment::leading});
}

View CanopySlider::body(Context& ctx) const {
    const auto dragging = ctx.state<bool>(false);
    const Binding<double> binding = value;
    const double lo = lower, hi = upper, snap = step;
    const int tickCount = ticks;
    const bool held = dragging.get();
    const double f = fraction(value.get(), lower, upper);
    return GeometryReader([=](const GeometryProxy& g) {
               const double width = g.size().width;
               return look(width, f, tickCount, held)
                   .contentShape(Rectangle())
                   .gesture(DragGesture{.minimumDistance = 0}
                                .onChanged([=](const DragValue& d) {
                                    if (!dragging.get())
                                        withAnimation(Animation::easeOut(0.12), [&] { dragging = true; });
                                    const double v = valueAt(d.location.x, width, lo, hi, snap);
                                    if (v != binding.get()) binding.set(v);
                                })
                                .onEnded([=](const DragValue&) {
                                    withAnimation(Animation::easeOut(0.15), [&] { dragging = false; });
                                }));
           })
        .frame({.height = height});
}

std::string DurationRow::label(double seconds) {
    char text[64];
    const bool whole = std::isfinite(seconds) && seconds == std::trunc(seconds);
    std::snprintf(text, sizeof text, whole ? "%.0f" : "%.1f", seconds);
    return text;
}

int DurationRow::tickCount(double lower, double upper) {
    const double span = upper - lower;
    if (!std::isfinite(span) || span < 0) return 0;
    return static_cast<int>(std::min(std::trunc(span), static_cast<double>(maxTicks - 1))) + 1;
}

View DurationRow::body(Context&) const {
    const double lo = lower, hi = upper, snap = step;
    const std::string name = title;
    return LiveValue{
        .value = value, .step = step, .content = [=](const Binding<double>& live, bool editing) {
            // The text follows the snapped value while the thumb moves freely; at rest it
            // shows what is stored.
            const double shown = editing ? snapped(live.get(), snap) : live.get();
            return View(VStack({.alignment = HorizontalAlignment::leading, .spacing = 8},
                               {
                                   sliderHeader(name,
                                                sliderValueText(label(shown))
                                                    .contentTransition(ContentTransition::numericText())
                                                    .id(name + ".value"),
                                                "s")
                                       .animation(Animation::spring(0.2, 0.85), shown),
                                   CanopySlider{live, lo, hi, tickCount(lo, hi), 0},
                                   sliderScale(label(lo), label(hi)),
                               })
                            .padding(Edges::vertical, 14));
        }};
}

View SizeRow::body(Context&) const {
    const double lo = lower, hi = upper;
    const std::string name = title;
    return LiveValue{
        .value = value,
        .step = 1,
        .preview = preview,
        .content =
            [=](const Binding<double>& live, bool) {
                return View(
                    VStack(
                        {.alignment = HorizontalAlignment::leading, .spacing = 8},
                        {
                            sliderHeader(
                                name, sliderValueText(wholeNumberText(live.get())).id(name + ".value"), "pt"),
                            CanopySlider{live, lo, hi, 0, 0},
                            sliderScale(truncatedNumberText(lo), truncatedNumberText(hi)),
                        })
                        .padding(Edges::vertical, 14));
            },
        .commits = commits};
}

}  // namespace quorlix
