// Numbers to text and back for the variant coercions (vartype.cpp).
//
// Always the invariant (C) locale, whatever locale a caller names: '.' is the decimal
// point, ',' the thousands separator (skipped when read, never written), there are no
// currency symbols, and the boolean names are the English "True" and "False". Text is UTF-16 (char16_t); only ASCII characters
// can be part of a number.
//
// Every function throws comrt::com_error: DISP_E_TYPEMISMATCH for text that is not a
// number, DISP_E_OVERFLOW for a number outside the range asked for.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include <comrt/wintypes.h>

namespace comrt::vartype {

// A number read from text. Decimal text is kept exactly, as digits × 10^exponent;
// a "&H" / "&O" literal keeps its bits in radix_value.
struct NumberText {
    bool negative = false;
    bool radix_literal = false;
    std::uint64_t radix_value = 0;
    std::string digits;  // significant digits, no leading or trailing '0'; empty for zero
    std::int64_t exponent = 0;

    bool is_zero() const noexcept { return radix_literal ? radix_value == 0 : digits.empty(); }
};

// Reads text of the form
//   [space] [+|-] digits [. digits] [(e|E) [+|-] digits] [space]    (".5" and "5." too;
//                                    a ',' after any digit before the exponent is skipped)
//   [space] &H hexdigits [space]   or   [space] &O octaldigits [space]
// Space is blanks, tabs, CR and LF.
NumberText parse_number(std::u16string_view text);

// The number × 10^scale rounded half to even, when that lies in [min, max].
// A radix literal that does not fit but lies below 2^wrap_bits is read as a two's
// complement value of wrap_bits bits ("&HFFFF" is -1 in 16 bits); wrap_bits 0: no wrap.
std::int64_t to_integer(const NumberText& n, int scale, std::int64_t min, std::int64_t max, int wrap_bits);

// The nearest double / float; overflow fails, underflow gives zero.
double to_double(const NumberText& n);
float to_float(const NumberText& n);

// "True" / "False" in any case, or any number within a double's range (non-zero is
// true): VARIANT_TRUE or VARIANT_FALSE.
VARIANT_BOOL bool_from_text(std::u16string_view text);

// Integers plainly ("-32768").
std::u16string text_from_integer(std::int64_t value);
// Up to 15 (double) or 7 (float) significant digits without trailing zeros; an exponent
// of at least two digits once the value needs more whole digits than that, or lies
// below 0.0001 ("2.5", "0.0001", "1E-05", "123456789012345", "1E+15").
std::u16string text_from_double(double value);
std::u16string text_from_float(float value);
// A currency value (scaled by 10,000) with up to 4 decimals ("1.2345", "-0.5", "3").
std::u16string text_from_currency(std::int64_t scaled);

}  // namespace comrt::vartype
