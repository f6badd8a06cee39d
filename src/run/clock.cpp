#include "run/clock.h"

#include <cstdio>
#include <ctime>

namespace hk {
namespace {

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's days_from_civil).
long long DaysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

long long MinutesOf(const LocalTime& t) {
    return DaysFromCivil(t.year, t.month, t.day) * 1440 + t.hour * 60 + t.minute;
}

} // namespace

LocalTime SystemClock::Now() const {
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

long long SecondsBetween(const LocalTime& from, const LocalTime& to) {
    return (MinutesOf(to) - MinutesOf(from)) * 60 + (to.second - from.second);
}

std::string FormatLogStamp(const LocalTime& t) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d-%02d%02d%02d", t.year, t.month, t.day, t.hour,
                  t.minute, t.second);
    return buf;
}

std::string FormatTimeOfDay(const LocalTime& t) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", t.hour, t.minute, t.second);
    return buf;
}

std::string FormatDateTime(const LocalTime& t) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour,
                  t.minute, t.second);
    return buf;
}

std::string ElapsedTimeText(const LocalTime& start, const LocalTime& end) {
    long long seconds = SecondsBetween(start, end);
    if (seconds > 179)
        return std::to_string(MinutesOf(end) - MinutesOf(start)) + " minutes";
    return std::to_string(seconds) + " seconds";
}

} // namespace hk
