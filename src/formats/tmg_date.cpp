#include "formats/tmg_date.h"

#include "formats/date_value.h"
#include "support/error.h"
#include "support/text.h"

namespace hk {

using namespace date_value;
using namespace std::chrono;

namespace {

std::string_view Stored(std::string_view value) {
    return TrimRight(value);
}

// Like a calendar's date arithmetic: month 13 is January of the next year, 30 February is
// early March.
CalendarDate MakeDate(int y, int m, int d) {
    int months = m - 1;
    y += months / 12;
    months %= 12;
    sys_days first = sys_days(year{y} / month{static_cast<unsigned>(months + 1)} / day{1});
    return CalendarDate(first + days{d - 1});
}

CalendarDate Completed(const DatePart& p) {
    return MakeDate(p.year == 0 ? 100 : p.year, p.month == 0 ? 1 : p.month, p.day == 0 ? 1 : p.day);
}

bool ValidModifier(std::string_view modifier) {
    return modifier.size() == 1 && modifier[0] >= '0' && modifier[0] <= '7';
}

std::string Yyyymmdd(CalendarDate d, const char* procedure) {
    const int y = static_cast<int>(d.year());
    if (!d.ok() || y < 0 || y > 9999)
        throw Error(-1, ErrorSource("CTMGDate", procedure), "Date out of range");
    return ZeroPad(y, 4) + ZeroPad(static_cast<int>(static_cast<unsigned>(d.month())), 2) +
           ZeroPad(static_cast<int>(static_cast<unsigned>(d.day())), 2);
}

std::string PartDigits(int y, int m, int d, int oldStyle, const char* procedure) {
    if (y < 0 || y > 9999 || m < 0 || m > 99 || d < 0 || d > 99 || oldStyle < 0 || oldStyle > 9)
        throw Error(-1, ErrorSource("CTMGDate", procedure), "Date out of range");
    return ZeroPad(y, 4) + ZeroPad(m, 2) + ZeroPad(d, 2) + static_cast<char>('0' + oldStyle);
}

// Day, month and year of one date: "05 Mar 1820", "5 March 1820", "1720/21".
std::string PartText(const DatePart& p, const MonthNames& months, bool longForm) {
    std::string out;
    if (p.day > 0) {
        out += longForm ? std::to_string(p.day) : ZeroPad(p.day, 2);
        out += ' ';
    }
    if (p.month >= 1 && p.month <= 12) {
        out += longForm ? months.longNames[p.month] : months.shortNames[p.month];
        out += ' ';
    }
    if (ShowsDualYear(p))
        out += DualYearText(p.year);
    else if (p.year >= 1)
        out += ZeroPad(p.year, 4);
    return std::string(Trim(out));
}

} // namespace

CTMGDate::CTMGDate(const FormatSettings& settings, MonthNames months)
    : settings_(&settings), vocabulary_(DateVocabulary::Default(std::move(months))) {
    custom_.Parse("Aaa d Mmm yyy", vocabulary_);
    SetPairBrackets(0);
}

bool CTMGDate::IsRegular(std::string_view value) {
    return !value.empty() && value[0] == '1';
}

bool CTMGDate::IsEmptyDate(std::string_view value) {
    std::string_view trimmed = Trim(value);
    if (trimmed.size() < 2)
        return true;
    return IsRegular(value) && Stored(value) == kEmptyDate;
}

char CTMGDate::Modifier(std::string_view value) {
    if (!IsRegular(value))
        return '0';
    char m = At(value, 11);
    return m == '\0' ? '0' : m;
}

bool CTMGDate::IsOldStyle(std::string_view value) {
    // Position 10 of free text means nothing, so only regular values can be old style.
    return IsRegular(value) && At(value, 10) == '1';
}

int CTMGDate::Precision(std::string_view value) {
    if (!IsRegular(value) || At(value, 11) != '3')
        return 0;
    const DatePart p = FirstDate(value);
    if (p.year == 0)
        return 0;
    if (p.month == 0)
        return 1;
    return p.day == 0 ? 2 : 3;
}

CalendarDate CTMGDate::ToDate(std::string_view value) {
    if (!IsRegular(value))
        return MakeDate(100, 1, 1);
    const int code = ModifierCode(value);
    if (code < 0)
        return MakeDate(100, 1, 1); // "01000101"
    return Completed(code <= 4 ? FirstDate(value) : SecondDate(value));
}

std::string CTMGDate::TMGValue(std::string_view modifier, CalendarDate date1, CalendarDate date2) {
    if (!ValidModifier(modifier))
        throw Error(-1, ErrorSource("CTMGDate", "TMGValue"),
                    "Can not make format " + std::string(modifier));
    std::string v = "1" + Yyyymmdd(date1, "TMGValue") + "0" + std::string(modifier);
    if (modifier[0] <= '4')
        return v + "0000000000";
    return v + Yyyymmdd(date2, "TMGValue") + "00";
}

std::string CTMGDate::TMGValuePartial(std::string_view modifier, int year1, int month1, int day1,
                                      int year2, int month2, int day2, int oldStyle1,
                                      int oldStyle2) {
    static constexpr const char* kProc = "TMGValuePartial";
    if (!ValidModifier(modifier))
        throw Error(-1, ErrorSource("CTMGDate", kProc),
                    "Can not make format " + std::string(modifier));
    std::string v = "1" + PartDigits(year1, month1, day1, oldStyle1, kProc) + std::string(modifier);
    if (modifier[0] <= '4')
        return v + "0000000000";
    return v + PartDigits(year2, month2, day2, oldStyle2, kProc) + "0";
}

std::string CTMGDate::DayAfter(std::string_view value) {
    if (!IsRegular(value) || IsEmptyDate(value))
        return std::string(value);
    const int code = ModifierCode(value);
    const DatePart p = code >= 5 ? SecondDate(value) : FirstDate(value);
    CalendarDate d = ToDate(value);
    if (code >= 0 && p.year != 0 && p.month != 0 && p.day != 0)
        d = CalendarDate(sys_days(d) + days{1});
    if (static_cast<int>(d.year()) > 9999)
        return std::string(value);
    std::string out = TMGValue("3", d, d);
    if (IsOldStyle(value))
        out[9] = '1';
    return out;
}

std::string CTMGDate::BeforeValue(std::string_view value) {
    if (!IsRegular(value) || IsEmptyDate(value))
        return std::string(kEmptyDate);
    std::string out(Stored(value).substr(0, kRegularLength));
    out.resize(kRegularLength, '0');
    if (out[10] >= '1' && out[10] <= '7')
        out[10] = '0';
    out.replace(11, 10, "0000000000");
    return out;
}

std::string CTMGDate::IrregularText(std::string_view value) const {
    std::string_view text = value.size() > 1 ? value.substr(1) : std::string_view();
    return std::string(Trim(settings_->CleanExcludedText(text)));
}

std::string CTMGDate::Display(std::string_view value, bool longForm) const {
    if (!IsRegular(value))
        return IrregularText(value);
    const int code = ModifierCode(value);
    std::string out = code >= 0 ? vocabulary_.keywordFull[code] : "";
    out += PartText(FirstDate(value), vocabulary_.months, longForm);
    if (code >= 5) {
        out += vocabulary_.connectorFull[code];
        out += PartText(SecondDate(value), vocabulary_.months, longForm);
    }
    if (IsQuestionable(value))
        out += '?';
    return std::string(Trim(out));
}

std::string CTMGDate::CustomDisplayText(std::string_view value) const {
    return IsRegular(value) ? custom_.Print(value) : IrregularText(value);
}

void CTMGDate::SetPairBrackets(int layout) {
    pairBrackets_ = layout;
    pairOpening_.clear();
    pairMiddle_.clear();
    pairSeparator_.clear();
    pairClosing_.clear();
    switch (layout) {
    case 0:
        pairSeparator_ = ", ";
        break;
    case 1:
        pairOpening_ = "(";
        pairMiddle_ = " - ";
        pairClosing_ = ")";
        break;
    case 2:
        pairOpening_ = "(";
        pairMiddle_ = "-";
        pairClosing_ = ")";
        break;
    default:
        break;
    }
}

std::string CTMGDate::DatePairText(std::string_view prefix1, std::string_view date1,
                                   std::string_view prefix2, std::string_view date2) const {
    auto shown = [this](std::string_view date) {
        return IsEmptyDate(date) ? std::string()
                                 : settings_->CleanExcludedText(CustomDisplayText(date));
    };
    std::string first = shown(date1);
    std::string second = shown(date2);
    if (pairBrackets_ == 0) {
        if (!first.empty())
            first.insert(0, prefix1);
        if (!second.empty())
            second.insert(0, prefix2);
    }
    if (!first.empty() && !second.empty())
        first += pairSeparator_;
    if (first.empty() && second.empty())
        return {};
    return pairOpening_ + first + pairMiddle_ + second + pairClosing_;
}

} // namespace hk
