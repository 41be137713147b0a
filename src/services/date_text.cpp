#include "services/date_text.h"

#include <unicode/calendar.h>
#include <unicode/dtptngen.h>
#include <unicode/locid.h>
#include <unicode/smpdtfmt.h>
#include <unicode/unistr.h>

#include <memory>
#include <tuple>

namespace quorlix {

namespace {

UDate toUDate(Date date) { return date.secondsSince1970 * 1000.0; }

icu::UnicodeString unicode(std::string_view text) {
    return icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
}

std::unique_ptr<icu::Calendar> currentCalendar() {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Calendar> calendar(icu::Calendar::createInstance(status));
    if (U_FAILURE(status)) return nullptr;
    return calendar;
}

}  // namespace

struct DateFormatter::Format {
    icu::Locale locale;
    icu::SimpleDateFormat formatter;
};

DateFormatter::DateFormatter(std::string_view pattern, std::string_view locale) {
    UErrorCode status = U_ZERO_ERROR;
    const icu::Locale loc(std::string(locale).c_str());
    auto format = std::make_unique<Format>(Format{loc, icu::SimpleDateFormat(unicode(pattern), loc, status)});
    if (U_SUCCESS(status)) format_ = std::move(format);
}

DateFormatter::~DateFormatter() = default;

std::string DateFormatter::format(Date date, bool lowercase) const {
    if (!format_) return {};
    icu::UnicodeString text;
    format_->formatter.format(toUDate(date), text);
    if (lowercase) text.toLower(format_->locale);
    std::string out;
    text.toUTF8String(out);
    return out;
}

std::string formatDate(Date date, std::string_view pattern, std::string_view locale, bool lowercase) {
    return DateFormatter(pattern, locale).format(date, lowercase);
}

std::string currentLocale() { return icu::Locale::getDefault().getName(); }

std::string bestDatePattern(std::string_view skeleton, std::string_view locale) {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::DateTimePatternGenerator> generator(
        icu::DateTimePatternGenerator::createInstance(icu::Locale(std::string(locale).c_str()), status));
    if (U_FAILURE(status) || !generator) return {};
    const icu::UnicodeString pattern = generator->getBestPattern(unicode(skeleton), status);
    if (U_FAILURE(status)) return {};
    std::string out;
    pattern.toUTF8String(out);
    return out;
}

std::string upperFirst(std::string_view text, std::string_view locale) {
    const icu::UnicodeString whole = unicode(text);
    if (whole.isEmpty()) return std::string(text);
    const int32_t first = whole.moveIndex32(0, 1);
    icu::UnicodeString head(whole, 0, first);
    head.toUpper(icu::Locale(std::string(locale).c_str()));
    std::string out;
    head.toUTF8String(out);
    icu::UnicodeString(whole, first).toUTF8String(out);
    return out;
}

std::optional<Date> parseDate(std::string_view text, std::string_view pattern) {
    UErrorCode status = U_ZERO_ERROR;
    // A machine format: the POSIX locale, so the user's locale never changes how digits read.
    icu::SimpleDateFormat parser(unicode(pattern), icu::Locale("en_US_POSIX"), status);
    if (U_FAILURE(status)) return std::nullopt;
    parser.setLenient(false);
    const icu::UnicodeString input = unicode(text);
    icu::ParsePosition position(0);
    const UDate parsed = parser.parse(input, position);
    if (position.getErrorIndex() >= 0 || position.getIndex() != input.length()) return std::nullopt;
    return Date(parsed / 1000.0);
}

bool isSameDay(Date a, Date b) {
    const auto calendar = currentCalendar();
    if (!calendar) return false;
    UErrorCode status = U_ZERO_ERROR;
    auto day = [&](Date d) {
        calendar->setTime(toUDate(d), status);
        return std::tuple(calendar->get(UCAL_ERA, status), calendar->get(UCAL_YEAR, status),
                          calendar->get(UCAL_DAY_OF_YEAR, status));
    };
    const auto first = day(a);
    const auto second = day(b);
    return U_SUCCESS(status) && first == second;
}

std::optional<Date> startOfDay(Date date, int days) {
    const auto calendar = currentCalendar();
    if (!calendar) return std::nullopt;
    UErrorCode status = U_ZERO_ERROR;
    calendar->setTime(toUDate(date), status);
    calendar->set(UCAL_HOUR_OF_DAY, 0);
    calendar->set(UCAL_MINUTE, 0);
    calendar->set(UCAL_SECOND, 0);
    calendar->set(UCAL_MILLISECOND, 0);
    calendar->add(UCAL_DATE, days, status);
    const UDate start = calendar->getTime(status);
    if (U_FAILURE(status)) return std::nullopt;
    return Date(start / 1000.0);
}

}  // namespace quorlix
