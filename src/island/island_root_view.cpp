#include "island/island_root_view.h"

#include "foundation/app_settings.h"
#include "island/island_background.h"
#include "island/island_content.h"
#include "island/island_environment.h"
#include "island/island_layout.h"
#include "island/live_preview.h"
#include "island/notch_shape.h"
#include "island/output_menu.h"
#include "platform/main_queue.h"
#include "services/agent_service.h"
#include "services/calendar_service.h"
#include "services/hud_center.h"
#include "services/lyrics_service.h"
#include "services/now_playing_service.h"
#include "services/timer_service.h"
#include "services/tray_store.h"
#include "services/volume_service.h"
#include "services/weather_service.h"
#include "ui/animation.h"
#include "ui/context.h"
#include "ui/lifecycle.h"
#include "ui/transaction.h"
#include "ui/transition.h"
#include "ui/views.h"

#include <algorithm>

namespace quorlix {

namespace {

constexpr double outputRowHeight = 29;
constexpr double outputMenuMargins = 10;
constexpr double outputMenuRoom = 300;
// Rows the output menu is expected to hold before it was first opened.
constexpr int initialOutputCount = 3;
// How much wider the live island is, and for how long, after a track swipe.
constexpr double swipeBumpWidth = 10;
constexpr double swipeBumpDuration = 0.16;

// The island's size and shape follow a new mode with one spring, and a new size alone (the
// settings' sliders) with another, unless a live preview shows each size at once.
const ui::Animation modeSpring = ui::Animation::spring(0.34, 0.82);
const ui::Animation sizeSpring = ui::Animation::spring(0.3, 0.7);

// A new mode's content grows in from this scale at the top after a short wait; the old one
// fades quickly.
constexpr double contentEntranceScale = 0.9;
constexpr double contentEntranceDuration = 0.25;
constexpr double contentEntranceDelay = 0.06;
constexpr double contentExitDuration = 0.1;

// The output menu grows in from its top-leading corner, fades away, and closes with a spring.
constexpr double menuEntranceScale = 0.85;
constexpr double menuExitDuration = 0.12;
const ui::Animation menuCloseSpring = ui::Animation::spring(0.28, 0.85);

ui::AnyTransition newModeTransition() {
    using namespace ui;
    return AnyTransition::asymmetric(
        AnyTransition::scale(contentEntranceScale, UnitPoint::top)
            .combined(AnyTransition::opacity())
            .animation(Animation::easeOut(contentEntranceDuration).delay(contentEntranceDelay)),
        AnyTransition::opacity().animation(Animation::easeIn(contentExitDuration)));
}

// The output menu of `rows` rows, hung under the output button's `anchor`; the island learns
// where it stands, so the window takes the pointer over it.
ui::View outputMenuOverlay(IslandState& island, const ui::Anchor& button, int rows) {
    using namespace ui;
    return GeometryReader([button, rows, &island](const GeometryProxy& proxy) {
        const Point at = IslandRootView::outputMenuOrigin(proxy.size(), proxy[button], rows);
        const Rect frame(at, {outputMenuRoom, IslandRootView::outputMenuHeight(rows)});
        const auto close = [&island] {
            withAnimation(menuCloseSpring, [&] { island.outputMenuOpen = false; });
        };
        return OutputMenu{.close = close}
            .transition(AnyTransition::asymmetric(
                AnyTransition::scale(menuEntranceScale, UnitPoint::topLeading)
                    .combined(AnyTransition::opacity()),
                AnyTransition::opacity().animation(Animation::easeIn(menuExitDuration))))
            .offset(at.x, at.y)
            .frame({.maxWidth = infinity, .maxHeight = infinity, .alignment = Alignment::topLeading})
            .onAppear([&island, frame] { island.outputMenuFrame = frame; })
            .onChange(frame, [&island](const Rect& f) { island.outputMenuFrame = f; })
            .onDisappear([&island] { island.outputMenuFrame = std::nullopt; });
    });
}

}  // namespace

IslandRootView::Outline IslandRootView::outline(IslandMode mode, const NotchGeometry& geometry,
                                                double height) {
    const bool wide = IslandLayout::isWideExpanded();
    if (geometry.floating) {
        double radius = height * 0.5;  // a capsule
        if (mode == IslandMode::deviceDetail) radius = 30;
        if (mode == IslandMode::expanded) radius = wide ? 38 : 34;
        return {ui::RoundedRectangle(radius, ui::RoundedCornerStyle::continuous), 0, radius, 0};
    }
    double top = 6;
    double bottom = 13;
    if (mode == IslandMode::idle) bottom = 10;
    if (mode == IslandMode::deviceDetail) top = 10, bottom = 24;
    if (mode == IslandMode::expanded) top = 14, bottom = wide ? 32 : 24;
    return {NotchShape(top, bottom), top, bottom, geometry.notchSize.height};
}

IslandRootView::Shadow IslandRootView::shadow(IslandMode mode, bool floating) {
    if (mode == IslandMode::expanded) return {0.5, 20, 10};
    return {floating ? 0.3 : 0.0, 6, 2};
}

double IslandRootView::outputMenuHeight(int outputCount) {
    return std::max(outputCount, 1) * outputRowHeight + outputMenuMargins;
}

Point IslandRootView::outputMenuOrigin(Size size, const Rect& button, int outputCount) {
    const double height = outputMenuHeight(outputCount);
    return {std::min(size.width - outputMenuRoom, button.minX() - 6),
            std::min(size.height - height - 4, button.maxY() + 4)};
}

ui::View IslandRootView::body(ui::Context& ctx) const {
    using namespace ui;
    IslandState& island = *state;
    ctx.observe(island);
    LivePreview& preview = LivePreview::shared();
    ctx.observe(preview);
    auto& hud = ctx.object<HUDCenter>();
    auto& nowPlaying = ctx.object<NowPlayingService>();
    auto& agents = ctx.object<AgentService>();
    auto& timer = ctx.object<TimerService>();
    auto& volume = ctx.object<VolumeService>();
    ctx.object<AppSettings>();
    // Extra width of the live island for a moment after each track swipe.
    const auto swipeBump = ctx.state<double>(0);
    // Rows the output menu is expected to hold.
    const auto outputCount = ctx.state<int>(initialOutputCount);

    const IslandMode m = islandMode(island, {hud, agents, timer, nowPlaying.liveVisible.get()});
    const Size size = IslandLayout::size(m, geometry.notchSize, island.hovering.get());
    const double w = size.width + (m == IslandMode::live ? swipeBump.get() : 0);
    const double h = size.height;
    const Outline o = outline(m, geometry, h);
    const Shadow s = shadow(m, geometry.floating);

    const View body =
        ZStack({.alignment = Alignment::top}, {islandContent(m, hud, island, geometry.notchSize)
                                                   .id(static_cast<int>(m))
                                                   .transition(newModeTransition())})
            .frame({.width = w, .height = h, .alignment = Alignment::top})
            .environment(islandWidth, w)
            .environment(floatingIsland, geometry.floating)
            .padding(Edges::horizontal, o.topRadius)
            .background(IslandBackground{.shape = o.shape, .notchBand = o.notchBand})
            .clipShape(o.shape)
            .shadow(Color::black.opacity(s.opacity), s.radius, 0, s.y)
            .padding(Edge::top, geometry.topGap)
            .frame({.maxWidth = infinity, .maxHeight = infinity, .alignment = Alignment::top})
            .animation(modeSpring, m)
            // A live preview of the settings shows each size at once.
            .animation(preview.isActive() ? std::nullopt : std::optional(sizeSpring), Size{w, h});

    const bool menuShown = island.outputMenuOpen.get() && m == IslandMode::expanded;
    const int rows = outputCount.get();
    return body.environment(outputMenuOpen, island.outputMenuOpen.get())
        .overlayPreferenceValue(OutputButtonAnchorKey,
                                [menuShown, rows, &island](const std::optional<Anchor>& anchor) -> View {
                                    if (!menuShown || !anchor) return EmptyView();
                                    return outputMenuOverlay(island, *anchor, rows);
                                })
        .onChange(island.outputMenuOpen.get(),
                  [outputCount, &volume](bool open) {
                      if (open) outputCount = static_cast<int>(volume.outputs().size());
                  })
        .colorScheme(ColorScheme::dark)
        .onChange(island.trackSwipeCount.get(), [swipeBump](int) {
            swipeBump = swipeBumpWidth;
            platform::MainQueue::shared().after(swipeBumpDuration, [swipeBump] { swipeBump = 0; }).detach();
        });
}

ui::View islandTree(IslandState& state, const NotchGeometry& geometry, const IslandServices& services) {
    return ui::View(IslandRootView(state, geometry))
        .environmentObject(services.settings)
        .environmentObject(services.nowPlaying)
        .environmentObject(services.lyrics)
        .environmentObject(services.tray)
        .environmentObject(services.weather)
        .environmentObject(services.volume)
        .environmentObject(services.hud)
        .environmentObject(services.timer)
        .environmentObject(services.agents)
        .environmentObject(services.calendar)
        .environmentObject(state);
}

}  // namespace quorlix
