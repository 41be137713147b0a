#include "settings/island_demo.h"

#include "island/equalizer_view.h"
#include "island/notch_shape.h"
#include "platform/main_queue.h"
#include "ui/animation.h"
#include "ui/transaction.h"
#include "ui/ui.h"

#include <memory>

namespace quorlix {

using namespace ui;

View IslandDemo::island(bool open) {
    const Size size = open ? openSize : closedSize;
    const double artwork = open ? 44 : 18;
    Views row{RoundedRectangle(8, RoundedCornerStyle::continuous)
                  .fill(LinearGradient(Gradient{Color::pink, Color::purple, Color::blue},
                                       UnitPoint::topLeading, UnitPoint::bottomTrailing))
                  .frame({.width = artwork, .height = artwork})};
    // Placeholder lines of a title and an artist, there only while open.
    // Their place stays in the row while closed (as an empty view), so what follows keeps its
    // place too: the equalizer moves and grows with the spring rather than fading out where it
    // stood while another fades in.
    row.push_back(!open ? View(EmptyView())
                        : VStack({.alignment = HorizontalAlignment::leading, .spacing = 5},
                                 {
                                     Capsule(RoundedCornerStyle::continuous)
                                         .fill(Color::white.opacity(0.9))
                                         .frame({.width = 110, .height = 7}),
                                     Capsule(RoundedCornerStyle::continuous)
                                         .fill(Color::white.opacity(0.45))
                                         .frame({.width = 70, .height = 6}),
                                 })
                              .transition(AnyTransition::opacity())
                              .id("demo.lines"));
    row.push_back(Spacer(0));
    row.push_back(EqualizerView{{}, Color::pink, true, EqualizerView::nowPlayingBars()}.frame(
        {.width = open ? 22.0 : 15.0, .height = open ? 14.0 : 10.0}));

    return ZStack({.alignment = Alignment::top},
                  {
                      // Flat along the top, as if hanging from the notch.
                      NotchShape(0, open ? 26 : 12)
                          .fill(Color::black)
                          .frame({.width = size.width, .height = size.height})
                          .shadow(Color::black.opacity(0.4), 14, 0, 6)
                          .id("demo.body"),
                      HStack({.alignment = VerticalAlignment::center, .spacing = 10}, std::move(row))
                          .padding(Edges::horizontal, open ? 22 : 8)
                          .padding(Edge::top, open ? 26 : 6)
                          .frame({.width = size.width}),
                  })
        .frame({.maxWidth = infinity, .maxHeight = infinity, .alignment = Alignment::top});
}

View IslandDemo::body(Context& ctx) const {
    auto open = ctx.state<bool>(false);
    return island(open).task([open](ViewTask& task) { IslandDemoLoop::run(task, [open] { open = !open; }); });
}

IslandDemoLoop::IslandDemoLoop(std::function<void()> toggle) : toggle_(std::move(toggle)) {
    schedule(firstDelay);
}

void IslandDemoLoop::run(ui::ViewTask& task, std::function<void()> toggle) {
    auto loop = std::make_shared<IslandDemoLoop>(std::move(toggle));
    // The task ends its subscriptions when it ends; the loop goes with this one.
    task.hold(Subscription([loop] {}));
}

void IslandDemoLoop::schedule(double seconds) {
    next_ = platform::MainQueue::shared().after(seconds, [this] {
        schedule(interval);
        // The change may remove the view, and this loop with it.
        const auto toggle = toggle_;
        ui::withAnimation(ui::Animation::spring(0.5, 0.72), toggle);
    });
}

}  // namespace quorlix
