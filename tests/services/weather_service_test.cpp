#include "services/weather_service.h"

#include <gtest/gtest.h>

namespace quorlix {
namespace {

TEST(WeatherServiceTest, CodeTables) {
    struct Row {
        int code;
        std::string summary, day, night;
    };
    const std::vector<Row> rows{
        {0, "Despejado", "sun.max.fill", "moon.stars.fill"},
        {2, "Parcialmente nublado", "cloud.sun.fill", "cloud.moon.fill"},
        {48, "Neblina", "cloud.fog.fill", "cloud.fog.fill"},
        {65, "Lluvia", "cloud.heavyrain.fill", "cloud.heavyrain.fill"},
        {67, "Lluvia", "cloud.rain.fill", "cloud.rain.fill"},
        {82, "Lluvia", "cloud.heavyrain.fill", "cloud.heavyrain.fill"},
        {58, "\u2014", "cloud.fill", "cloud.fill"},
        {100, "\u2014", "cloud.fill", "cloud.fill"},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(WeatherService::summary(r.code), r.summary) << r.code;
        EXPECT_EQ(WeatherService::symbol(r.code, true), r.day) << r.code;
        EXPECT_EQ(WeatherService::symbol(r.code, false), r.night) << r.code;
    }
}

TEST(WeatherServiceTest, SummaryFollowsThePublishedCode) {
    WeatherService weather;
    EXPECT_EQ(weather.summary(), "Despejado");
    weather.weatherCode = 95;
    EXPECT_EQ(weather.summary(), "Tormenta");
}

}  // namespace
}  // namespace quorlix
