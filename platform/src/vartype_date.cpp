// Dates as text (vartype_date.h).
//
// Calendar days convert to and from a day count with the proleptic Gregorian rules (a
// year is a leap year when divisible by 4, except centuries not divisible by 400); the
// count is kept as days since 1 March of year 0, so that the leap day ends a year.
#include "vartype_date.h"

#include <cmath>
#include <cstdint>
#include <string>

#include <comrt/error.h>

namespace comrt::vartype {
namespace {

// 30 December 1899, day 0 of a DATE, as days since 1 January 1970.
constexpr std::int64_t kDayZero = -25569;
constexpr std::int64_t kFirstDay = -657434;  // 1 January 100
constexpr std::int64_t kLastDay = 2958465;   // 31 December 9999
constexpr int kSecondsPerDay = 86400;

struct calendar_day {
    std::int64_t year;
    unsigned month;  // 1-12
    unsigned day;    // 1-31
};

// Days since 1 January 1970 of a calendar day.
std::int64_t days_of(std::int64_t year, unsigned month, unsigned day) noexcept {
    year -= month <= 2;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const auto year_of_era = static_cast<unsigned>(year - era * 400);
    const unsigned day_of_year = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const unsigned day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
    return era * 146097 + static_cast<std::int64_t>(day_of_era) - 719468;
}

// The calendar day of a count of days since 1 January 1970.
calendar_day day_of(std::int64_t days) noexcept {
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const auto day_of_era = static_cast<unsigned>(days - era * 146097);
    const unsigned year_of_era = (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
    const unsigned day_of_year = day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
    const unsigned shifted_month = (5 * day_of_year + 2) / 153;
    const unsigned day = day_of_year - (153 * shifted_month + 2) / 5 + 1;
    const unsigned month = shifted_month < 10 ? shifted_month + 3 : shifted_month - 9;
    return {static_cast<std::int64_t>(year_of_era) + era * 400 + (month <= 2), month, day};
}

unsigned days_in_month(std::int64_t year, unsigned month) noexcept {
    static constexpr unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

std::u16string number_text(std::int64_t value, int width = 0) {
    std::string digits = std::to_string(value);
    while (static_cast<int>(digits.size()) < width) digits.insert(digits.begin(), '0');
    return std::u16string(digits.begin(), digits.end());
}

[[noreturn]] void not_a_date() { throw com_error(DISP_E_TYPEMISMATCH); }

// Reads text from left to right.
class reader {
public:
    explicit reader(std::u16string_view text) : text_(text) {}

    bool at_end() const noexcept { return at_ == text_.size(); }
    bool at_digit() const noexcept { return !at_end() && text_[at_] >= u'0' && text_[at_] <= u'9'; }
    bool skip_spaces() noexcept {
        const std::size_t from = at_;
        while (!at_end() && (text_[at_] == u' ' || text_[at_] == u'\t')) ++at_;
        return at_ != from;
    }
    bool take(char16_t c) noexcept {
        if (at_end() || text_[at_] != c) return false;
        ++at_;
        return true;
    }
    // A number of 1 to max_digits digits.
    unsigned number(std::size_t max_digits) {
        std::size_t count = 0;
        unsigned value = 0;
        for (; at_digit() && count < max_digits; ++count) value = value * 10 + static_cast<unsigned>(text_[at_++] - u'0');
        if (count == 0 || at_digit()) not_a_date();
        return value;
    }
    // "AM" or "PM" in either case: 0 or 12 hours; -1 when neither follows.
    int meridiem() noexcept {
        if (text_.size() - at_ < 2) return -1;
        const auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; };
        const char16_t first = lower(text_[at_]);
        if ((first != u'a' && first != u'p') || lower(text_[at_ + 1]) != u'm') return -1;
        at_ += 2;
        return first == u'a' ? 0 : 12;
    }
    // Whether a number followed by c starts here (without moving on).
    bool number_then(char16_t c) const noexcept {
        std::size_t k = at_;
        while (k < text_.size() && text_[k] >= u'0' && text_[k] <= u'9') ++k;
        return k != at_ && k < text_.size() && text_[k] == c;
    }

private:
    std::u16string_view text_;
    std::size_t at_ = 0;
};

// H:MM[:SS] [AM|PM] as seconds of the day.
int time_of_day(reader& in) {
    unsigned hour = in.number(2);
    if (!in.take(u':')) not_a_date();
    const unsigned minute = in.number(2);
    unsigned second = 0;
    if (in.take(u':')) second = in.number(2);
    in.skip_spaces();
    const int meridiem = in.meridiem();
    if (meridiem >= 0) {
        if (hour < 1 || hour > 12) not_a_date();
        hour = hour % 12 + static_cast<unsigned>(meridiem);
    }
    if (hour > 23 || minute > 59 || second > 59) not_a_date();
    return static_cast<int>(hour * 3600 + minute * 60 + second);
}

}  // namespace

bool is_date_in_range(double value) noexcept {
    return value > static_cast<double>(kFirstDay - 1) && value < static_cast<double>(kLastDay + 1);
}

std::u16string text_from_date(double date) {
    if (!is_date_in_range(date)) throw com_error(E_INVALIDARG);
    const double whole = std::trunc(date);
    const double fraction = std::fabs(date - whole);
    // What is shown follows the value itself; the time is then rounded to the second,
    // which may carry it into the next day.
    const bool show_date = whole != 0;
    const bool show_time = fraction != 0;
    auto day = static_cast<std::int64_t>(whole);
    auto seconds = static_cast<int>(std::floor(fraction * kSecondsPerDay + 0.5));
    if (seconds >= kSecondsPerDay) {
        seconds -= kSecondsPerDay;
        ++day;
    }
    std::u16string text;
    if (show_date) {
        const calendar_day c = day_of(day + kDayZero);
        text = number_text(c.month) + u"/" + number_text(c.day) + u"/" + number_text(c.year);
    }
    if (show_time || !show_date) {
        const int hour = seconds / 3600;
        const int hour12 = hour % 12 == 0 ? 12 : hour % 12;
        if (!text.empty()) text += u" ";
        text += number_text(hour12) + u":" + number_text(seconds / 60 % 60, 2) + u":" + number_text(seconds % 60, 2) +
                (hour < 12 ? u" AM" : u" PM");
    }
    return text;
}

double date_from_text(std::u16string_view text) {
    reader in(text);
    in.skip_spaces();
    std::int64_t day = 0;
    int seconds = 0;
    if (in.number_then(u'/')) {
        const unsigned month = in.number(2);
        in.take(u'/');
        const unsigned day_of_month = in.number(2);
        if (!in.take(u'/')) not_a_date();
        const unsigned year = in.number(4);
        if (month < 1 || month > 12 || year < 100 || day_of_month < 1 || day_of_month > days_in_month(year, month))
            not_a_date();
        day = days_of(year, month, day_of_month) - kDayZero;
        const bool spaced = in.skip_spaces();
        if (!in.at_end()) {
            if (!spaced) not_a_date();
            seconds = time_of_day(in);
        }
    } else {
        seconds = time_of_day(in);
    }
    in.skip_spaces();
    if (!in.at_end()) not_a_date();
    const double time = static_cast<double>(seconds) / kSecondsPerDay;
    return day >= 0 ? static_cast<double>(day) + time : static_cast<double>(day) - time;
}

}  // namespace comrt::vartype
