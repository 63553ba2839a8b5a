// Font objects for tests (testing/fonts.h).
#include <testing/fonts.h>

#include <cmath>

#include <comrt/font_attributes.h>

namespace pg_testing {

comrt::ComPtr<IFontDisp> MakeFont(const char16_t* name, double points, SHORT weight, bool italic) {
    comrt::FontAttributes font;
    font.name = reinterpret_cast<const OLECHAR*>(name);  // UTF-16 either way
    font.size.int64 = std::llround(points * 10000.0);  // in 1/10,000 points
    font.weight = weight;
    font.italic = italic;
    return comrt::CreateFontObject(font);
}

}  // namespace pg_testing
