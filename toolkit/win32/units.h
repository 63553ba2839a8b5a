// Twips and pixels. A twip is 1/1440 inch; the screen's pixels per inch are the logical
// pixels its device context reports (GetDeviceCaps LOGPIXELSX / LOGPIXELSY), so at 96 DPI
// one pixel is exactly 15 twips.
#pragma once

namespace orvane::win32 {

// The pixels that `twips` cover, rounded to the nearest whole pixel (halves away from
// zero). A value that is not a finite number, or whose pixels lie outside what a window
// can take (a 16-bit coordinate range either way), fails with CTL_E_INVALIDPROPERTYVALUE
// (comrt::com_error).
int PixelsX(double twips);
int PixelsY(double twips);

// The twips that `pixels` cover.
double TwipsX(int pixels) noexcept;
double TwipsY(int pixels) noexcept;

// TwipsX / TwipsY rounded to a 32-bit integer (nearest, halves away from zero).
int WholeTwipsX(int pixels) noexcept;
int WholeTwipsY(int pixels) noexcept;

}  // namespace orvane::win32
