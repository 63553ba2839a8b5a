// Dates as text, for the variant coercions (vartype.cpp).
//
// A DATE is a double: whole days since 30 December 1899 (day 0), and the time of day as
// the fraction's size, so that -1.25 is 29 December 1899, 6:00 AM. Days run from
// 1 January 100 (-657434) to 31 December 9999 (2958465), in the proleptic Gregorian
// calendar.
//
// Text uses the forms the platform writes for US English: "M/D/YYYY" for the date and
// "H:MM:SS AM" (12-hour) for the time, both when there are both.
#pragma once

#include <string>
#include <string_view>

namespace comrt::vartype {

// Whether a number lies within the days a DATE can hold.
bool is_date_in_range(double value) noexcept;

// The text of a date: the date alone when its fraction is 0, the time alone when its whole
// part is 0 (30 December 1899), else both; the time rounded to the second. Throws
// com_error(E_INVALIDARG) for a date outside the range.
std::u16string text_from_date(double date);

// A date read from text: [space] M/D/YYYY [H:MM[:SS] [AM|PM]] [space], or the time alone
// (a date of day 0), hours 0-23 without AM / PM and 1-12 with it (either case), a year
// of 100 to 9999. Throws com_error(DISP_E_TYPEMISMATCH) for any other text, a month,
// day or time that does not exist included.
double date_from_text(std::u16string_view text);

}  // namespace comrt::vartype
