#include "ui/symbol_effect.h"

#include "ui/animation.h"
#include "ui/context.h"
#include "ui/lifecycle.h"
#include "ui/transaction.h"

namespace quorlix::ui {

namespace {

// Up quickly, then down on a bouncy spring.
constexpr double rise = 0.1;
constexpr double peak = 1.22;

struct Bounce {
    View content;
    std::uint64_t value;

    View body(Context& ctx) const {
        auto up = ctx.state<bool>(false);
        return content.scaleEffect(up.get() ? peak : 1.0)
            .onChange(value,
                      [up](std::uint64_t) { withAnimation(Animation::easeOut(rise), [&] { up = true; }); })
            .task(up.get(), [up](ViewTask& task) {
                if (!up.get()) return;
                task.after(rise, [up] { withAnimation(Animation::spring(0.3, 0.5), [&] { up = false; }); });
            });
    }
};

}  // namespace

View detail::symbolBounce(View content, std::uint64_t value) { return Bounce{std::move(content), value}; }

}  // namespace quorlix::ui
