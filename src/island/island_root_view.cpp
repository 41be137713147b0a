#include "island/island_root_view.h"

#include "app/app_settings.h"
#include "island/island_background.h"
#include "island/island_content.h"
#include "island/island_environment.h"
#include "island/island_layout.h"
#include "island/live_preview.h"
#include "island/notch_shape.h"
#include "services/agent_service.h"
#include "services/hud_center.h"
#include "services/now_playing_service.h"
#include "services/timer_service.h"
#include "services/volume_service.h"
#include "ui/context.h"
#include "ui/views.h"

#include <algorithm>

namespace quorlix {

namespace {

constexpr double outputRowHeight = 29;
constexpr double outputMenuMargins = 10;
constexpr double outputMenuRoom = 300;
// Rows the output menu is expected to hold before it was first opened.
constexpr int initialOutputCount = 3;

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
    // Read through the environment, so the panel redraws when any of them publishes.
    ctx.object<IslandState>();
    const IslandState& island = *state;
    auto& hud = ctx.object<HUDCenter>();
    auto& nowPlaying = ctx.object<NowPlayingService>();
    auto& agents = ctx.object<AgentService>();
    auto& timer = ctx.object<TimerService>();
    ctx.object<AppSettings>();
    ctx.object<LivePreview>();

    const IslandMode m = islandMode(island, {hud, agents, timer, nowPlaying.liveVisible.get()});
    const Size size = IslandLayout::size(m, geometry.notchSize, island.hovering.get());
    // TODO(view layer II): in mode `live`, add the swipe bump (10 points for 0.16 s after each
    // track swipe, a view state); animate the mode (spring 0.34, 0.82) and the size (spring
    // 0.3, 0.7, none while a live preview is active); the content's insertion and removal
    // transitions.
    const double w = size.width;
    const double h = size.height;
    const Outline o = outline(m, geometry, h);
    const Shadow s = shadow(m, geometry.floating);

    const View island_ =
        ZStack({.alignment = Alignment::top},
               {islandContent(m, hud, island, geometry.notchSize).id(static_cast<int>(m))})
            .frame({.width = w, .height = h, .alignment = Alignment::top})
            .environment(islandWidth, w)
            .padding(Edges::horizontal, o.topRadius)
            .background(IslandBackground{.shape = o.shape, .notchBand = o.notchBand})
            .clipShape(o.shape)
            // The island is opaque to its outline, so the outline's shadow is the island's.
            // Cast by a copy behind it: the canvas garbles a shadow around a clipped layer.
            .background(o.shape.fill(Color::black).shadow(Color::black.opacity(s.opacity), s.radius, 0, s.y))
            .padding(Edge::top, geometry.topGap)
            .frame({.maxWidth = infinity, .maxHeight = infinity, .alignment = Alignment::top});

    const bool menuShown = island.outputMenuOpen.get() && m == IslandMode::expanded;
    // TODO(view layer II): refresh the expected row count from `VolumeService::outputs()`
    // each time the menu opens (a view state); its transitions.
    const int outputCount = initialOutputCount;
    return island_.environment(outputMenuOpen, island.outputMenuOpen.get())
        .overlayPreferenceValue(OutputButtonAnchorKey,
                                [menuShown, outputCount](const std::optional<Anchor>& anchor) -> View {
                                    if (!menuShown || !anchor) return EmptyView();
                                    const Anchor button = *anchor;
                                    return GeometryReader([button, outputCount](const GeometryProxy& proxy) {
                                        const Point at =
                                            outputMenuOrigin(proxy.size(), proxy[button], outputCount);
                                        return OutputMenuPlaceholder(outputMenuHeight(outputCount))
                                            .offset(at.x, at.y)
                                            .frame({.maxWidth = infinity,
                                                    .maxHeight = infinity,
                                                    .alignment = Alignment::topLeading});
                                    });
                                })
        .colorScheme(ColorScheme::dark);
}

}  // namespace quorlix
