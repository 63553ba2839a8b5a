// The control's integer arithmetic: counters, positions and indices are 16-bit signed
// integers, and a value that leaves their range fails with the overflow error (6)
// instead of wrapping. Widths handed to the widgets are rounded to 32-bit integers,
// halves to the even neighbour.
#pragma once

#include <cmath>
#include <cstdint>

#include <comrt/error.h>
#include <control/widgets/contract.h>

namespace orvane {

[[noreturn]] inline void RaiseOverflow() { comrt::raise(comrt::runtime_error::overflow, kErrorSource); }

// value as a 16-bit signed integer; overflow (6) outside -32768 to 32767.
inline std::int16_t ToInt16(std::int64_t value) {
    if (value < INT16_MIN || value > INT16_MAX) RaiseOverflow();
    return static_cast<std::int16_t>(value);
}

// a + b in 16 bits; overflow (6) when the sum leaves the range.
inline std::int16_t AddInt16(std::int16_t a, std::int16_t b) {
    return ToInt16(static_cast<std::int64_t>(a) + static_cast<std::int64_t>(b));
}

// value rounded to the nearest 32-bit integer, halves to the even neighbour (314.5 ->
// 314, 315.5 -> 316); overflow (6) outside the 32-bit range and for a NaN.
inline std::int32_t RoundToInt32(double value) {
    // nearbyint rounds halves to even under the default rounding mode, which the
    // control never changes.
    const double rounded = std::nearbyint(value);
    if (!(rounded >= static_cast<double>(INT32_MIN) && rounded <= static_cast<double>(INT32_MAX))) RaiseOverflow();
    return static_cast<std::int32_t>(rounded);
}

}  // namespace orvane
