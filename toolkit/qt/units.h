// Twips and pixels. A twip is 1/1440 inch; a widget's pixels per inch are the logical
// DPI of the screen it is on (QWidget::logicalDpiX / logicalDpiY), so at 96 DPI one
// pixel is exactly 15 twips.
#pragma once

class QWidget;

namespace orvane::qt {

inline constexpr double kTwipsPerInch = 1440.0;

// The pixels that `twips` cover on widget's screen, rounded to the nearest whole pixel
// (halves away from zero). A value that is not a finite number, or whose pixels lie
// outside what a widget can take (QWIDGETSIZE_MAX either way), fails with
// CTL_E_INVALIDPROPERTYVALUE (comrt::com_error).
int PixelsX(const QWidget& widget, double twips);
int PixelsY(const QWidget& widget, double twips);

// The twips that `pixels` cover on widget's screen.
double TwipsX(const QWidget& widget, int pixels) noexcept;
double TwipsY(const QWidget& widget, int pixels) noexcept;

// TwipsX / TwipsY rounded to a 32-bit integer (nearest, halves away from zero;
// saturating at the ends of the 32-bit range).
int WholeTwipsX(const QWidget& widget, int pixels) noexcept;
int WholeTwipsY(const QWidget& widget, int pixels) noexcept;

}  // namespace orvane::qt
