#include "island/wings.h"

#include "island/island_environment.h"
#include "ui/context.h"
#include "ui/views.h"

#include <algorithm>

namespace quorlix {

double Wings::wingWidth(double islandWidth, Size notch) {
    return std::max((islandWidth - notch.width) * 0.5, 0.0);
}

ui::View Wings::body(ui::Context& ctx) const {
    using namespace ui;
    const double w = wingWidth(ctx.environment(islandWidth), notch);
    return HStack({.alignment = VerticalAlignment::center, .spacing = 0},
                  {
                      HStack({.spacing = 0}, {left, Spacer()})
                          .padding(Edge::leading, edge)
                          .padding(Edge::trailing, inner)
                          .frame({.width = w}),
                      Color::clear.frame({.width = notch.width}),
                      HStack({.spacing = 0}, {Spacer(), right})
                          .padding(Edge::leading, inner)
                          .padding(Edge::trailing, edge)
                          .frame({.width = w}),
                  })
        .frame({.height = notch.height});
}

}  // namespace quorlix
