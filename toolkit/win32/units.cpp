// Twips and pixels (units.h).
#include <toolkit/win32/units.h>

#include <algorithm>
#include <cmath>

#include <toolkit/win32/errors.h>

namespace orvane::win32 {
namespace {

constexpr double kTwipsPerInch = 1440.0;
// The coordinates the system's window positions hold.
constexpr double kMaxPixels = 32767.0;

struct Dpi {
    int x = 96, y = 96;
};

const Dpi& ScreenDpi() noexcept {
    static const Dpi dpi = [] {
        Dpi screen;
        if (HDC dc = GetDC(nullptr)) {
            screen.x = GetDeviceCaps(dc, LOGPIXELSX);
            screen.y = GetDeviceCaps(dc, LOGPIXELSY);
            ReleaseDC(nullptr, dc);
        }
        return screen;
    }();
    return dpi;
}

int ToPixels(double twips, int dpi) {
    if (!std::isfinite(twips)) FailInvalidValue();
    const double pixels = std::round(twips * dpi / kTwipsPerInch);
    if (std::fabs(pixels) > kMaxPixels) FailInvalidValue();
    return static_cast<int>(pixels);
}

double ToTwips(int pixels, int dpi) noexcept { return dpi > 0 ? pixels * kTwipsPerInch / dpi : 0.0; }

int ToWholeTwips(double twips) noexcept {
    return static_cast<int>(std::lround(std::clamp(twips, -2147483648.0, 2147483647.0)));
}

}  // namespace

int PixelsX(double twips) { return ToPixels(twips, ScreenDpi().x); }
int PixelsY(double twips) { return ToPixels(twips, ScreenDpi().y); }
double TwipsX(int pixels) noexcept { return ToTwips(pixels, ScreenDpi().x); }
double TwipsY(int pixels) noexcept { return ToTwips(pixels, ScreenDpi().y); }
int WholeTwipsX(int pixels) noexcept { return ToWholeTwips(TwipsX(pixels)); }
int WholeTwipsY(int pixels) noexcept { return ToWholeTwips(TwipsY(pixels)); }

}  // namespace orvane::win32
