// Numbers to text and back for the variant coercions, in the invariant (C) locale.
//
// Decimal text is read exactly (digits and a power of ten), so rounding a string to an
// integer or to currency is decided on the decimal digits themselves, never on a binary
// approximation. Doubles and floats are written with std::to_chars, which does not depend
// on the process locale, and read with strtod / strtof from digits and an exponent alone:
// text without a decimal point, which no locale reads differently.
#include "vartype_string.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <type_traits>

#include <comrt/error.h>

namespace comrt::vartype {
namespace {

// An explicit exponent beyond this is held at it: the result over- or underflows anyway,
// and the sum with the digit count stays far from the int64 limits.
constexpr std::int64_t kExponentLimit = 1'000'000'000;
// Text longer than this is cut for strtod; a '1' stands for the cut digits so
// that rounding still sees them (a double never needs more than 767 significant digits).
constexpr std::size_t kMaxDigitsForReal = 800;
// Numbers whose leading digit lies beyond 10^±400 are out of any floating range.
constexpr std::int64_t kRealMagnitudeLimit = 400;

[[noreturn]] void type_mismatch() { throw com_error(DISP_E_TYPEMISMATCH); }
[[noreturn]] void overflow() { throw com_error(DISP_E_OVERFLOW); }

bool is_space(char16_t c) noexcept { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }
bool is_digit(char16_t c) noexcept { return c >= u'0' && c <= u'9'; }

int hex_digit_value(char16_t c) noexcept {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

std::u16string_view trim(std::u16string_view text) noexcept {
    while (!text.empty() && is_space(text.front())) text.remove_prefix(1);
    while (!text.empty() && is_space(text.back())) text.remove_suffix(1);
    return text;
}

std::u16string widen(std::string_view text) { return std::u16string(text.begin(), text.end()); }

// "H1F" or "O17", the part after '&'.
NumberText parse_radix(std::u16string_view s) {
    if (s.size() < 2) type_mismatch();
    unsigned shift = 0;
    switch (s.front()) {
    case u'h':
    case u'H':
        shift = 4;
        break;
    case u'o':
    case u'O':
        shift = 3;
        break;
    default:
        type_mismatch();
    }
    s.remove_prefix(1);
    const int radix = 1 << shift;
    for (char16_t c : s) {
        const int d = hex_digit_value(c);
        if (d < 0 || d >= radix) type_mismatch();
    }
    NumberText n;
    n.radix_literal = true;
    for (char16_t c : s) {
        if (n.radix_value > (std::numeric_limits<std::uint64_t>::max() >> shift)) overflow();
        n.radix_value = (n.radix_value << shift) | static_cast<unsigned>(hex_digit_value(c));
    }
    return n;
}

NumberText parse_decimal(std::u16string_view s) {
    NumberText n;
    std::size_t i = 0;
    if (s[i] == u'+' || s[i] == u'-') n.negative = s[i++] == u'-';

    bool any_digit = false;
    auto take = [&](char16_t c) {
        any_digit = true;
        if (n.digits.empty() && c == u'0') return;  // leading zero
        n.digits.push_back(static_cast<char>(c));
    };
    // The thousands separator ',' may follow any digit of the mantissa, before the decimal
    // point or after it, and is skipped, as the platform's number parsing skips it
    // ("1,000" and "1,,0" are numbers, ",5" is not).
    const auto separator = [&](char16_t c) { return c == u',' && any_digit; };
    for (; i < s.size() && (is_digit(s[i]) || separator(s[i])); ++i)
        if (s[i] != u',') take(s[i]);
    if (i < s.size() && s[i] == u'.') {
        for (++i; i < s.size() && (is_digit(s[i]) || separator(s[i])); ++i) {
            if (s[i] == u',') continue;
            take(s[i]);
            --n.exponent;
        }
    }
    if (!any_digit) type_mismatch();

    if (i < s.size() && (s[i] == u'e' || s[i] == u'E')) {
        ++i;
        bool exponent_negative = false;
        if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) exponent_negative = s[i++] == u'-';
        if (i == s.size() || !is_digit(s[i])) type_mismatch();
        std::int64_t e = 0;
        for (; i < s.size() && is_digit(s[i]); ++i) e = std::min(e * 10 + (s[i] - u'0'), kExponentLimit);
        n.exponent += exponent_negative ? -e : e;
    }
    if (i != s.size()) type_mismatch();

    while (!n.digits.empty() && n.digits.back() == '0') {
        n.digits.pop_back();
        ++n.exponent;
    }
    if (n.digits.empty()) n.exponent = 0;
    return n;
}

std::int64_t radix_to_integer(const NumberText& n, int scale, std::int64_t min, std::int64_t max, int wrap_bits) {
    std::uint64_t v = n.radix_value;
    for (int k = 0; k < scale; ++k) {
        if (v > std::numeric_limits<std::uint64_t>::max() / 10) overflow();
        v *= 10;
    }
    std::int64_t value = 0;
    if (v <= static_cast<std::uint64_t>(max))
        value = static_cast<std::int64_t>(v);
    else if (wrap_bits > 0 && wrap_bits < 64 && v < (std::uint64_t{1} << wrap_bits))
        value = static_cast<std::int64_t>(v) - (std::int64_t{1} << wrap_bits);
    else if (wrap_bits == 64)
        value = static_cast<std::int64_t>(v);
    else
        overflow();
    if (value < min || value > max) overflow();
    return value;
}

// Floating text to F, for double and float alike.
template <typename F>
F to_real(const NumberText& n) {
    if (n.radix_literal) return static_cast<F>(n.radix_value);
    const F zero = n.negative ? -F(0) : F(0);
    if (n.digits.empty()) return zero;
    // The value lies in [10^(magnitude-1), 10^magnitude).
    const std::int64_t magnitude = static_cast<std::int64_t>(n.digits.size()) + n.exponent;
    if (magnitude > kRealMagnitudeLimit) overflow();
    if (magnitude < -kRealMagnitudeLimit) return zero;

    std::string text;
    std::int64_t exponent = n.exponent;
    if (n.digits.size() > kMaxDigitsForReal) {
        text.assign(n.digits, 0, kMaxDigitsForReal - 1);
        text.push_back('1');
        exponent += static_cast<std::int64_t>(n.digits.size() - kMaxDigitsForReal);
    } else {
        text = n.digits;
    }
    text.push_back('e');
    text += std::to_string(exponent);

    // Both round correctly. ERANGE also comes with a result below the normal range, which
    // is kept (a denormal, or zero); only an infinite result is an overflow.
    char* end = nullptr;
    F value{};
    if constexpr (std::is_same_v<F, float>)
        value = std::strtof(text.c_str(), &end);
    else
        value = std::strtod(text.c_str(), &end);
    if (end != text.data() + text.size()) type_mismatch();
    if (std::isinf(value)) overflow();
    return n.negative ? -value : value;
}

template <typename F>
std::u16string format_real(F value, int precision) {
    // The platform's spellings of the values that are not numbers.
    if (std::isnan(value)) return std::signbit(value) ? u"-1.#IND" : u"1.#QNAN";
    if (std::isinf(value)) return value < 0 ? u"-1.#INF" : u"1.#INF";
    if (value == 0) return u"0";  // -0 too
    char buf[64];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, precision);
    if (ec != std::errc{}) throw com_error(E_UNEXPECTED);
    std::u16string text = widen(std::string_view(buf, static_cast<std::size_t>(end - buf)));
    for (char16_t& c : text)
        if (c == u'e') c = u'E';
    return text;
}

}  // namespace

NumberText parse_number(std::u16string_view text) {
    const std::u16string_view body = trim(text);
    if (body.empty()) type_mismatch();
    if (body.front() == u'&') return parse_radix(body.substr(1));
    return parse_decimal(body);
}

std::int64_t to_integer(const NumberText& n, int scale, std::int64_t min, std::int64_t max, int wrap_bits) {
    if (n.radix_literal) return radix_to_integer(n, scale, min, max, wrap_bits);
    if (n.digits.empty()) return 0;

    // Digits before the decimal point once scaled; 19 digits still fit an unsigned 64-bit
    // magnitude with room for rounding up.
    const std::int64_t length = static_cast<std::int64_t>(n.digits.size());
    const std::int64_t whole_length = length + n.exponent + scale;
    if (whole_length > 19) overflow();

    std::uint64_t magnitude = 0;
    for (std::int64_t k = 0; k < whole_length; ++k)
        magnitude = magnitude * 10 + (k < length ? static_cast<unsigned>(n.digits[k] - '0') : 0U);

    if (whole_length < length) {
        // Round half to even on the first dropped digit and whether any other follows
        // (there are no trailing zeros, so any digit after it is non-zero).
        const char first = whole_length >= 0 ? n.digits[whole_length] : '0';
        const bool more = whole_length < 0 || whole_length + 1 < length;
        if (first > '5' || (first == '5' && (more || (magnitude & 1U)))) ++magnitude;
    }

    if (!n.negative) {
        if (magnitude > static_cast<std::uint64_t>(max)) overflow();
        return static_cast<std::int64_t>(magnitude);
    }
    // -magnitude >= min, with min <= 0.
    if (magnitude > std::uint64_t{0} - static_cast<std::uint64_t>(min)) overflow();
    return static_cast<std::int64_t>(std::uint64_t{0} - magnitude);
}

double to_double(const NumberText& n) { return to_real<double>(n); }
float to_float(const NumberText& n) { return to_real<float>(n); }

VARIANT_BOOL bool_from_text(std::u16string_view text) {
    const std::u16string_view body = trim(text);
    auto named = [&](std::u16string_view name) {
        if (body.size() != name.size()) return false;
        for (std::size_t i = 0; i < name.size(); ++i) {
            const char16_t c = body[i] >= u'A' && body[i] <= u'Z' ? body[i] - u'A' + u'a' : body[i];
            if (c != name[i]) return false;
        }
        return true;
    };
    if (named(u"true")) return VARIANT_TRUE;
    if (named(u"false")) return VARIANT_FALSE;
    // A number beyond a double's range is an overflow, not a true value.
    return to_double(parse_number(body)) == 0 ? VARIANT_FALSE : VARIANT_TRUE;
}

std::u16string text_from_integer(std::int64_t value) {
    char buf[24];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
    if (ec != std::errc{}) throw com_error(E_UNEXPECTED);
    return widen(std::string_view(buf, static_cast<std::size_t>(end - buf)));
}

std::u16string text_from_double(double value) { return format_real(value, 15); }
std::u16string text_from_float(float value) { return format_real(value, 7); }

std::u16string text_from_currency(std::int64_t scaled) {
    const bool negative = scaled < 0;
    const std::uint64_t magnitude =
        negative ? std::uint64_t{0} - static_cast<std::uint64_t>(scaled) : static_cast<std::uint64_t>(scaled);
    std::string text = negative ? "-" : "";
    text += std::to_string(magnitude / 10000);
    std::uint64_t fraction = magnitude % 10000;
    if (fraction != 0) {
        char decimals[4];
        for (int k = 3; k >= 0; --k, fraction /= 10) decimals[k] = static_cast<char>('0' + fraction % 10);
        std::size_t used = 4;
        while (decimals[used - 1] == '0') --used;
        text.push_back('.');
        text.append(decimals, used);
    }
    return widen(text);
}

}  // namespace comrt::vartype
