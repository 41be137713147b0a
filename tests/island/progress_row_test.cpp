#include "island/progress_row.h"

#include <gtest/gtest.h>

#include <limits>

namespace quorlix {
namespace {

TEST(ProgressRowFormat, MinutesAndTwoDigitSecondsRoundedDownAndZeroForNonsense) {
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        double seconds;
        const char* text;
    } cases[] = {
        {0, "0:00"},
        {59.9, "0:59"},
        {61, "1:01"},
        {3725, "62:05"},
        {600, "10:00"},
        {0.999, "0:00"},
        {-0.5, "0:00"},
        {-61, "0:00"},
        {inf, "0:00"},
        {-inf, "0:00"},
        {std::numeric_limits<double>::quiet_NaN(), "0:00"},
        {1e300, "16666666666666:40"},
    };
    for (const auto& c : cases) EXPECT_EQ(ProgressRow::format(c.seconds), c.text) << c.seconds;
}

}  // namespace
}  // namespace quorlix
