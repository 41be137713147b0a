// The weather page and the header's weather badge over published forecasts.

#include "island/weather_page.h"
#include "island/weather_badge.h"
#include "island_pages_test_support.h"

namespace quorlix {
namespace {

using namespace ui;

class WeatherPageTest : public testing::IslandPagesTest {
protected:
    void forecast(int hours) {
        weather.temperature = 21.5;
        weather.weatherCode = 0;
        std::vector<HourForecast> list;
        for (int i = 0; i < hours; ++i) {
            // Appended, not added: GCC 12 at -O3 sees a false overlap in "T" + text.
            std::string label = std::to_string(i + 1);
            label.append(" p. m.");
            list.push_back({label, label, 10.0 + i, 3, true});
        }
        weather.hours = list;
    }
    // The fixed width around an item: its nearest frame.
    double slot(const DisplayItem* item) {
        const auto path = shown().pathTo(item);
        for (auto it = path.rbegin(); it != path.rend(); ++it)
            if (std::string_view((*it)->role) == "frame") return (*it)->frame.width();
        return -1;
    }
};

TEST_F(WeatherPageTest, TemperaturesAreWholeDegreesRoundedAwayFromZero) {
    for (const auto& [value, text] : std::vector<std::pair<double, std::string>>{
             {21.5, "22°"}, {-0.4, "0°"}, {-2.5, "-3°"}, {0.5, "1°"}, {-0.5, "-1°"}, {99.49, "99°"}})
        EXPECT_EQ(degrees(value), text) << value;
}

TEST_F(WeatherPageTest, BeforeAReplyThePageSaysWhyAndTheBadgeIsAbsent) {
    showPage([] { return View(WeatherPage{}); });
    EXPECT_NE(shown().findText("Cargando el clima…"), nullptr);
    EXPECT_NE(shown().findSymbol("cloud.sun"), nullptr);
    weather.locationDenied = true;
    advance(0);
    EXPECT_NE(shown().findText("Escribe tu ciudad en Ajustes › Clima"), nullptr);
    EXPECT_EQ(shown().findText("Cargando el clima…"), nullptr);

    showPage([] { return View(WeatherBadge{}).id("badge"); });
    EXPECT_EQ(find([](auto& i) { return !i.text.empty() || !i.symbol.empty(); }), nullptr);
    weather.temperature = -2.5;
    advance(0);
    EXPECT_NE(shown().findText("-3°"), nullptr);
}

TEST_F(WeatherPageTest, ThePlaceAndTheRangeShowOnlyWhenKnown) {
    weather.temperature = 21.5;
    weather.weatherCode = 0;
    weather.high = 24.5;
    showPage([] { return View(WeatherPage{}); });
    EXPECT_NE(shown().findText("Tu ubicación"), nullptr);
    EXPECT_NE(shown().findText("22°"), nullptr);
    EXPECT_EQ(find([](auto& i) { return i.text.starts_with("Máx."); }), nullptr);
    EXPECT_EQ(WeatherBadge::tooltip(weather), "Despejado");

    weather.low = -0.4;
    weather.place = "Oaxaca";
    advance(0);
    EXPECT_NE(shown().findText("Oaxaca"), nullptr);
    EXPECT_NE(shown().findText("Máx. 25°  Mín. 0°"), nullptr);
    EXPECT_EQ(WeatherBadge::tooltip(weather), "Oaxaca — Despejado — Máx. 25° · Mín. 0°");
    weather.place = std::nullopt;
    EXPECT_EQ(WeatherBadge::tooltip(weather), "Despejado — Máx. 25° · Mín. 0°");

    showPage([] { return View(WeatherBadge{}); });
    EXPECT_EQ(host->events().helpAt(centre(shown().findText("22°"))), "Despejado — Máx. 25° · Mín. 0°");
}

TEST_F(WeatherPageTest, FourHoursUnder560PointsAndSixFromThereInFixedColumns) {
    forecast(6);
    AppSettings::shared().islandWidth = 343;
    showPage([] { return View(WeatherPage{}); }, {556, 120});
    const auto rows = [&] {
        return shown().findAll([](auto& i) { return i.text.ends_with(" p. m."); }).size();
    };
    EXPECT_EQ(rows(), 4u);
    for (const auto& [width, expected] :
         std::vector<std::pair<double, std::size_t>>{{559.9, 4}, {560, 6}, {600, 6}}) {
        LivePreview::shared().width = width;
        advance(0);
        EXPECT_EQ(rows(), expected) << width;
    }
    LivePreview::shared().width = std::nullopt;
    advance(0);
    EXPECT_EQ(rows(), 4u);

    const auto* label = shown().findText("1 p. m.");
    const auto* symbol = shown().findSymbol(WeatherService::symbol(3, true));
    const auto* temperature = shown().findText("10°");
    EXPECT_EQ(slot(label), 38);
    EXPECT_EQ(slot(symbol), 18);
    EXPECT_EQ(slot(temperature), 28);
    EXPECT_EQ(label->frame.minX(), 556 - 28 - 8 - 18 - 8 - 38);  // hours at the right edge
    EXPECT_EQ(temperature->frame.maxX(), 556);                   // temperatures right-aligned
}

}  // namespace
}  // namespace quorlix
