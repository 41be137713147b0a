#pragma once
// The music page's progress row: the seek bar with the elapsed and remaining time under it.
// For now its time format, which the lock screen's progress row shares.
//
//     ProgressRow::format(61)   // "1:01"

#include <string>

namespace quorlix {

struct ProgressRow {
    // Whole minutes, a colon and two digits of seconds, rounded down: 59.9 is "0:59", 3725
    // is "62:05". A time that is not a finite number, or below 0, is "0:00".
    static std::string format(double seconds);
};

}  // namespace quorlix
