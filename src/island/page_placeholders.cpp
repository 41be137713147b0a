#include "island/page_placeholders.h"

#include "island/island_state.h"
#include "services/weather_service.h"
#include "ui/context.h"
#include "ui/views.h"

#include <string>

namespace quorlix {

namespace {

ui::View placeholder(IslandTab tab) {
    using namespace ui;
    return VStack({.spacing = 6},
                  {
                      Symbol(std::string(symbol(tab))).font(Font::system(13, FontWeight::semibold)),
                      Text(std::string(title(tab))).font(Font::system(12, FontWeight::semibold)).lineLimit(1),
                  })
        .foregroundStyle(Color::white)
        .frame({.maxWidth = infinity, .maxHeight = infinity});
}

}  // namespace

ui::View WeatherPage::body(ui::Context&) const { return placeholder(IslandTab::weather); }
ui::View TrayPanel::body(ui::Context&) const { return placeholder(IslandTab::tray); }
ui::View CalendarPage::body(ui::Context&) const { return placeholder(IslandTab::calendar); }
ui::View TimerPage::body(ui::Context&) const { return placeholder(IslandTab::timer); }
ui::View WeatherBadge::body(ui::Context& ctx) const {
    // It follows the weather, though it shows nothing yet.
    ctx.object<WeatherService>();
    return ui::EmptyView();
}

}  // namespace quorlix
