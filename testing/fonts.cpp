// Font objects for tests (testing/fonts.h).
#include <testing/fonts.h>

#include <comrt/error.h>
#include <comrt/resource.h>

namespace pg_testing {

comrt::ComPtr<IFontDisp> MakeFont(const char16_t* name, double points, SHORT weight, bool italic) {
    comrt::Bstr family(name);
    FONTDESC desc{};
    desc.cbSizeofstruct = sizeof desc;
    desc.lpstrName = family.get();
    desc.cySize.int64 = static_cast<LONGLONG>(points * 10000.0 + 0.5);  // in 1/10,000 points
    desc.sWeight = weight;
    desc.sCharset = DEFAULT_CHARSET;
    desc.fItalic = italic ? TRUE : FALSE;
    comrt::ComPtr<IFontDisp> font;
    comrt::check(OleCreateFontIndirect(&desc, comrt::iid_of<IFontDisp>(), font.put_void()));
    return font;
}

}  // namespace pg_testing
