#include "chrome/status_text.hpp"

#include <glib.h>
#include <unicode/calendar.h>
#include <unicode/locid.h>
#include <unicode/reldatefmt.h>

#include <array>
#include <memory>
#include <utility>

namespace tq {

namespace {

struct Formatter {
    std::unique_ptr<icu::RelativeDateTimeFormatter> relative;
    std::unique_ptr<icu::Calendar> calendar;
};

Formatter makeFormatter(const icu::Locale& locale)
{
    UErrorCode status = U_ZERO_ERROR;
    Formatter formatter;
    formatter.relative = std::make_unique<icu::RelativeDateTimeFormatter>(
        locale, nullptr, UDAT_STYLE_SHORT, UDISPCTX_CAPITALIZATION_NONE, status);
    if (U_FAILURE(status))
        formatter.relative.reset();
    status = U_ZERO_ERROR;
    formatter.calendar.reset(icu::Calendar::createInstance(locale, status));
    if (U_FAILURE(status))
        formatter.calendar.reset();
    return formatter;
}

std::string fileName(const std::string& path)
{
    gchar* base = g_path_get_basename(path.c_str());
    std::string name(base);
    g_free(base);
    return name;
}

// The largest calendar unit in which the two moments differ, counted in that unit, the way
// "2 hr. ago" reads: whole units elapsed, from years down to seconds.
std::pair<int32_t, URelativeDateTimeUnit> elapsed(icu::Calendar& calendar, UDate from, UDate to)
{
    static constexpr std::array<std::pair<UCalendarDateFields, URelativeDateTimeUnit>, 7> units { {
        { UCAL_YEAR, UDAT_REL_UNIT_YEAR },
        { UCAL_MONTH, UDAT_REL_UNIT_MONTH },
        { UCAL_WEEK_OF_YEAR, UDAT_REL_UNIT_WEEK },
        { UCAL_DATE, UDAT_REL_UNIT_DAY },
        { UCAL_HOUR_OF_DAY, UDAT_REL_UNIT_HOUR },
        { UCAL_MINUTE, UDAT_REL_UNIT_MINUTE },
        { UCAL_SECOND, UDAT_REL_UNIT_SECOND },
    } };
    UErrorCode status = U_ZERO_ERROR;
    calendar.setTime(from, status);
    for (const auto& [field, unit] : units) {
        // fieldDifference advances the calendar by the whole units it counts, so the next,
        // smaller unit counts only the remainder.
        const int32_t count = calendar.fieldDifference(to, field, status);
        if (U_FAILURE(status))
            break;
        if (count != 0)
            return { count, unit };
    }
    return { 0, UDAT_REL_UNIT_SECOND };
}

std::string format(Formatter& formatter, const FileChangeEvent& change, std::chrono::system_clock::time_point now)
{
    std::string text = fileName(change.path) + " changed ";
    // A change is never in the future; a clock set back since then reads as "just now".
    const auto timestamp = std::min(change.timestamp, now);
    const auto toUDate = [](std::chrono::system_clock::time_point point) {
        return static_cast<UDate>(
            std::chrono::duration_cast<std::chrono::milliseconds>(point.time_since_epoch()).count());
    };
    if (!formatter.relative || !formatter.calendar)
        return text;
    const auto [count, unit] = elapsed(*formatter.calendar, toUDate(timestamp), toUDate(now));
    icu::UnicodeString relative;
    UErrorCode status = U_ZERO_ERROR;
    // Negative zero asks for the past form ("0 sec. ago" rather than "in 0 sec.").
    formatter.relative->formatNumeric(count == 0 ? -0.0 : -static_cast<double>(count), unit, relative, status);
    if (U_FAILURE(status))
        return text;
    relative.toUTF8String(text);
    return text;
}

} // namespace

std::string changeText(const FileChangeEvent& change, std::chrono::system_clock::time_point now)
{
    static Formatter shared = makeFormatter(icu::Locale::getDefault());
    return format(shared, change, now);
}

std::string changeText(const FileChangeEvent& change, std::chrono::system_clock::time_point now,
                       const icu::Locale& locale)
{
    Formatter formatter = makeFormatter(locale);
    return format(formatter, change, now);
}

} // namespace tq
