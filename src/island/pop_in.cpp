#include "island/pop_in.h"

#include "ui/animation.h"
#include "ui/context.h"
#include "ui/lifecycle.h"

namespace quorlix {

namespace {

struct PopIn {
    ui::View content;
    double delay = 0;

    ui::View body(ui::Context& ctx) const {
        using namespace ui;
        const auto shown = ctx.state<bool>(false);
        // The entrance's animation goes with the change of `shown`, so elements appearing
        // together each keep their own delay.
        return content.blur(shown ? 0 : 6)
            .scaleEffect(shown ? 1 : 0.55)
            .opacity(shown ? 1 : 0)
            .animation(Animation::spring(0.45, 0.62).delay(delay + 0.06), shown.get())
            .onAppear([shown] { shown = true; });
    }
};

}  // namespace

ui::View popIn(ui::View content, double delay) { return PopIn{std::move(content), delay}; }

}  // namespace quorlix
