// Twips and pixels (units.h).
#include <toolkit/qt/units.h>

#include <algorithm>
#include <cmath>

#include <QWidget>

#include <comrt/error.h>
#include <control/widgets/contract.h>

namespace orvane::qt {
namespace {

int ToPixels(double twips, int dpi) {
    if (!std::isfinite(twips)) comrt::raise(comrt::runtime_error::invalid_property_value, kErrorSource);
    const double pixels = std::round(twips * dpi / kTwipsPerInch);
    if (std::fabs(pixels) > QWIDGETSIZE_MAX) comrt::raise(comrt::runtime_error::invalid_property_value, kErrorSource);
    return static_cast<int>(pixels);
}

double ToTwips(int pixels, int dpi) noexcept {
    return dpi > 0 ? pixels * kTwipsPerInch / dpi : 0.0;
}

// Saturates at the ends of the 32-bit range (only a screen of a few DPI gets there).
int ToWholeTwips(double twips) noexcept {
    return static_cast<int>(std::lround(std::clamp(twips, -2147483648.0, 2147483647.0)));
}

}  // namespace

int PixelsX(const QWidget& widget, double twips) { return ToPixels(twips, widget.logicalDpiX()); }
int PixelsY(const QWidget& widget, double twips) { return ToPixels(twips, widget.logicalDpiY()); }

double TwipsX(const QWidget& widget, int pixels) noexcept { return ToTwips(pixels, widget.logicalDpiX()); }
double TwipsY(const QWidget& widget, int pixels) noexcept { return ToTwips(pixels, widget.logicalDpiY()); }

int WholeTwipsX(const QWidget& widget, int pixels) noexcept { return ToWholeTwips(TwipsX(widget, pixels)); }
int WholeTwipsY(const QWidget& widget, int pixels) noexcept { return ToWholeTwips(TwipsY(widget, pixels)); }

}  // namespace orvane::qt
