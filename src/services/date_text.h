#pragma once
// Dates as the user reads them: formatted with a locale's own words (ICU patterns such as
// "EEE h:mm a") in the current time zone, read back from fixed machine formats, and the
// calendar-day arithmetic those texts depend on.

#include "platform/clock.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace quorlix {

// A date format made once and applied many times (a clock formats every minute): the ICU
// `pattern` for `locale`, in the current time zone. Formats to empty when the pattern
// cannot be used. Main thread only, as ICU's formatters are not shared between threads.
class DateFormatter {
public:
    DateFormatter(std::string_view pattern, std::string_view locale);
    ~DateFormatter();
    DateFormatter(const DateFormatter&) = delete;
    DateFormatter& operator=(const DateFormatter&) = delete;

    std::string format(Date date, bool lowercase = false) const;

private:
    struct Format;
    std::unique_ptr<Format> format_;
};

// The current locale's name ("es_MX"): ICU's default, which it takes from the environment.
std::string currentLocale();
// `locale`'s own pattern for the ICU `skeleton` ("EEEdMMM": weekday, day and abbreviated
// month; "j": the locale's preferred hour); empty when ICU has none.
std::string bestDatePattern(std::string_view skeleton, std::string_view locale);

// `date` in the ICU `pattern` for `locale` ("es_MX"), in the current time zone, lower-cased
// by that locale's rules when `lowercase` is set. Empty when the pattern cannot be used.
std::string formatDate(Date date, std::string_view pattern, std::string_view locale, bool lowercase = false);
// `text` with its first character upper-cased by `locale`'s rules, the rest unchanged.
std::string upperFirst(std::string_view text, std::string_view locale);
// The whole of `text` read strictly in the fixed ICU `pattern` ("yyyy-MM-dd'T'HH:mm") as a
// time of the current time zone; nothing when it does not fit the pattern exactly.
std::optional<Date> parseDate(std::string_view text, std::string_view pattern);
// Whether both dates fall on the same day of the current calendar and time zone.
bool isSameDay(Date a, Date b);
// Midnight at the start of `date`'s day, `days` days later, in the current time zone;
// nothing when the calendar cannot work it out.
std::optional<Date> startOfDay(Date date, int days = 0);

}  // namespace quorlix
