#include "island/progress_row.h"

#include <gtest/gtest.h>

#include <limits>

namespace quorlix {
namespace {

TEST(ProgressRowFormat, MinutesAndTwoDigitSecondsRoundedDownAndZeroForNonsense) {
    const double inf = std::numeric_limits<double>::infinity(),
                 nan = std::numeric_limits<double>::quiet_NaN();
    const std::pair<double, const char*> cases[] = {
        {0, "0:00"},     {59.9, "0:59"}, {61, "1:01"},
        {3725, "62:05"}, {-0.5, "0:00"}, {inf, "0:00"},
        {-inf, "0:00"},  {nan, "0:00"},  {1e300, "16666666666666:40"},
    };
    for (const auto& [seconds, text] : cases) EXPECT_EQ(ProgressRow::format(seconds), text) << seconds;
}

}  // namespace
}  // namespace quorlix
