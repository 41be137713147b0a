#include "services/date_text.h"

#include <unicode/calendar.h>
#include <unicode/locid.h>
#include <unicode/smpdtfmt.h>
#include <unicode/unistr.h>

#include <memory>
#include <tuple>

namespace quorlix {

namespace {
UDate toUDate(Date date) { return date.secondsSince1970 * 1000.0; }
}  // namespace

std::string formatDate(Date date, std::string_view pattern, std::string_view locale, bool lowercase) {
    UErrorCode status = U_ZERO_ERROR;
    const icu::Locale loc(std::string(locale).c_str());
    icu::SimpleDateFormat formatter(
        icu::UnicodeString::fromUTF8(icu::StringPiece(pattern.data(), static_cast<int32_t>(pattern.size()))),
        loc, status);
    if (U_FAILURE(status)) return {};
    icu::UnicodeString text;
    formatter.format(toUDate(date), text);
    if (lowercase) text.toLower(loc);
    std::string out;
    text.toUTF8String(out);
    return out;
}

bool isSameDay(Date a, Date b) {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Calendar> calendar(icu::Calendar::createInstance(status));
    if (U_FAILURE(status)) return false;
    auto day = [&](Date d) {
        calendar->setTime(toUDate(d), status);
        return std::tuple(calendar->get(UCAL_ERA, status), calendar->get(UCAL_YEAR, status),
                          calendar->get(UCAL_DAY_OF_YEAR, status));
    };
    const auto first = day(a);
    const auto second = day(b);
    return U_SUCCESS(status) && first == second;
}

}  // namespace quorlix
