#pragma once
// Local wall-clock time as the run frame uses it (log file names, "Started at", elapsed
// time), behind a Clock so tests can set the time.
#include <string>

namespace hk {

// A local date and time to the second, as the user's clock shows it.
struct LocalTime {
    int year = 2000;
    int month = 1; // 1-12
    int day = 1;   // 1-31
    int hour = 0;
    int minute = 0;
    int second = 0;
    bool operator==(const LocalTime&) const = default;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalTime Now() const = 0;
};

// The machine's local time.
class SystemClock : public Clock {
public:
    LocalTime Now() const override;
};

// Seconds from `from` to `to` (negative when `to` is earlier), on the calendar alone: like the
// original's date arithmetic, a daylight-saving change inside a run is not accounted for.
long long SecondsBetween(const LocalTime& from, const LocalTime& to);

std::string FormatLogStamp(const LocalTime& t);  // "yyyymmdd-hhmmss"
std::string FormatTimeOfDay(const LocalTime& t); // "hh:mm:ss", 24-hour
std::string FormatDateTime(const LocalTime& t);  // "yyyy-mm-dd hh:mm:ss"

// The footer's elapsed time: "n seconds", or past 179 seconds the number of minute boundaries
// crossed (both times cut to whole minutes) as "n minutes".
std::string ElapsedTimeText(const LocalTime& start, const LocalTime& end);

} // namespace hk
