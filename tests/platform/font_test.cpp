// The standard font object: creation, Bold and Weight, copies and comparison, and its
// dispatch interface.
#include <gtest/gtest.h>

#include <comrt/com.h>
#include <comrt/olectl.h>
#include <comrt/typeinfo.h>
#include <testing/unload_check.h>

#include <functional>
#include <string>

namespace {

using comrt::ComPtr;

ComPtr<IFont> make_font(FONTDESC* desc = nullptr) {
    ComPtr<IFont> font;
    EXPECT_EQ(OleCreateFontIndirect(desc, IID_IFont, font.put_void()), S_OK);
    return font;
}

std::string name_of(IFont* font) {
    comrt::Bstr name;
    EXPECT_EQ(font->get_Name(name.put()), S_OK);
    return {name.view().begin(), name.view().end()};
}

// Weight, Bold, Italic, Underline, Strikethrough, Charset, Size in one line.
std::string summary(IFont* font) {
    SHORT weight = 0, charset = 0;
    BOOL b = 0, i = 0, u = 0, s = 0;
    CY size{};
    font->get_Weight(&weight);
    font->get_Bold(&b);
    font->get_Italic(&i);
    font->get_Underline(&u);
    font->get_Strikethrough(&s);
    font->get_Charset(&charset);
    font->get_Size(&size);
    return std::to_string(weight) + " b" + std::to_string(b) + " i" + std::to_string(i) + " u" + std::to_string(u) +
           " s" + std::to_string(s) + " c" + std::to_string(charset) + " " + std::to_string(size.int64);
}

TEST(FontCreation, DefaultAndDescribedFonts) {
    auto font = make_font();
    EXPECT_EQ(name_of(font.get()), "Tahoma");
    EXPECT_EQ(summary(font.get()), "400 b0 i0 u0 s0 c1 82500");

    OLECHAR name[] = u"Courier New";
    FONTDESC desc{sizeof(FONTDESC), name, {.int64 = 120000}, 800, 0, TRUE, FALSE, 7};
    font = make_font(&desc);
    name[0] = u'X';  // the font keeps its own copy
    EXPECT_EQ(name_of(font.get()), "Courier New");
    EXPECT_EQ(summary(font.get()), "800 b1 i1 u0 s1 c0 120000");
}

TEST(FontCreation, Failures) {
    OLECHAR name[] = u"Arial", empty[] = u"";
    const struct {
        LPOLESTR name;
        LONGLONG size;
    } bad[] = {{nullptr, 82500}, {empty, 82500}, {name, 0}, {name, -1}};
    for (const auto& row : bad) {
        FONTDESC d{sizeof(FONTDESC), row.name, {.int64 = row.size}, FW_NORMAL, DEFAULT_CHARSET, 0, 0, 0};
        void* out = reinterpret_cast<void*>(0x1);
        EXPECT_EQ(OleCreateFontIndirect(&d, IID_IFont, &out), E_INVALIDARG) << row.size;
        EXPECT_EQ(out, nullptr);
    }
    void* out = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(OleCreateFontIndirect(nullptr, IID_IClassFactory, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(OleCreateFontIndirect(nullptr, IID_IFont, nullptr), E_POINTER);
}

TEST(FontAttributes, BoldAndWeightAreLinked) {
    auto font = make_font();
    for (SHORT weight : {0, 400, 550, 551, 700, 1000}) {
        BOOL bold = -1;
        font->put_Weight(weight);
        font->get_Bold(&bold);
        EXPECT_EQ(bold, weight > 550 ? TRUE : FALSE) << "weight " << weight;
    }
    for (BOOL bold : {TRUE, FALSE, 2}) {  // any non-zero value is TRUE
        font->put_Weight(900);
        EXPECT_EQ(font->put_Bold(bold), S_OK);
        SHORT weight = 0;
        font->get_Weight(&weight);
        EXPECT_EQ(weight, bold ? FW_BOLD : FW_NORMAL) << "Bold " << bold;
    }
}

TEST(FontAttributes, RejectedPutsChangeNothing) {
    auto font = make_font();
    const std::string before = summary(font.get());
    EXPECT_EQ(font->put_Name(nullptr), E_INVALIDARG);
    EXPECT_EQ(font->put_Size(CY{.int64 = 0}), E_INVALIDARG);
    EXPECT_EQ(font->put_Size(CY{.int64 = -10000}), E_INVALIDARG);
    EXPECT_EQ(name_of(font.get()), "Tahoma");
    EXPECT_EQ(summary(font.get()), before);
    EXPECT_EQ(font->get_Bold(nullptr), E_POINTER);
    HFONT handle = reinterpret_cast<HFONT>(0x1);  // no device: no handle
    EXPECT_EQ(font->get_hFont(&handle), E_NOTIMPL);
    EXPECT_EQ(handle, nullptr);
}

TEST(FontCopies, CloneIsIndependentAndIsEqualSeesEveryAttribute) {
    auto original = make_font();
    const struct {
        const char* what;
        std::function<HRESULT(IFont*)> change;
    } rows[] = {
        {"name case", [](IFont* f) { return f->put_Name(comrt::Bstr(u"tahoma").get()); }},
        {"size", [](IFont* f) { return f->put_Size(CY{.int64 = 82501}); }},
        {"weight", [](IFont* f) { return f->put_Weight(401); }},
        {"charset", [](IFont* f) { return f->put_Charset(0); }},
        {"italic", [](IFont* f) { return f->put_Italic(TRUE); }},
        {"underline", [](IFont* f) { return f->put_Underline(TRUE); }},
        {"strikethrough", [](IFont* f) { return f->put_Strikethrough(TRUE); }},
    };
    for (const auto& row : rows) {
        ComPtr<IFont> copy;
        ASSERT_EQ(original->Clone(copy.put()), S_OK);
        EXPECT_EQ(copy->IsEqual(original.get()), S_OK) << row.what;
        ASSERT_EQ(row.change(copy.get()), S_OK) << row.what;
        EXPECT_EQ(original->IsEqual(copy.get()), S_FALSE) << row.what;
    }
    EXPECT_EQ(original->IsEqual(make_font().get()), S_OK) << "a change reached the original";
    EXPECT_EQ(original->IsEqual(nullptr), E_POINTER);
}

// ---- dispatch ------------------------------------------------------------------------

class FontDispatch : public ::testing::Test {
protected:
    void TearDown() override {
        disp = nullptr;
        font = nullptr;
        pg_testing::ExpectNothingAlive();
    }
    HRESULT get(DISPID id, comrt::Variant& result) {
        DISPPARAMS none{nullptr, nullptr, 0, 0};
        return disp->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, result.put(), nullptr, nullptr);
    }
    HRESULT put(DISPID id, LONG value, UINT* arg_err = nullptr, EXCEPINFO* info = nullptr) {
        comrt::Variant v;
        V_VT(v.get()) = VT_I4;
        V_I4(v.get()) = value;
        DISPID named = DISPID_PROPERTYPUT;
        DISPPARAMS params{v.get(), &named, 1, 1};
        return disp->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYPUT, &params, nullptr, info, arg_err);
    }

    ComPtr<IFont> font = make_font();
    ComPtr<IDispatch> disp = font.as<IFontDisp>();  // IDispatch is IFontDisp
};

TEST_F(FontDispatch, NamesInAnyCase) {
    EXPECT_EQ(font.as<IDispatch>().get(), disp.get());
    const struct {
        const char16_t* name;
        DISPID id;
    } rows[] = {{u"name", DISPID_FONT_NAME}, {u"SIZE", DISPID_FONT_SIZE}, {u"Strikethrough", DISPID_FONT_STRIKE},
                {u"charSet", DISPID_FONT_CHARSET}, {u"Colour", DISPID_UNKNOWN}};
    for (const auto& row : rows) {
        LPOLESTR names[] = {const_cast<LPOLESTR>(row.name)};
        DISPID id = 12345;
        disp->GetIDsOfNames(IID_NULL, names, 1, 0, &id);
        EXPECT_EQ(id, row.id) << "row " << &row - rows;
    }
}

TEST_F(FontDispatch, GetsAndCoercedPuts) {
    EXPECT_EQ(put(DISPID_FONT_SIZE, 12), S_OK);  // 12 points
    EXPECT_EQ(put(DISPID_FONT_BOLD, 1), S_OK);   // non-zero: true
    EXPECT_EQ(put(DISPID_FONT_ITALIC, -1), S_OK);
    EXPECT_EQ(summary(font.get()), "700 b1 i1 u0 s0 c1 120000");

    const struct {
        DISPID id;
        VARTYPE vt;
        LONGLONG value;  // of the variant's integer field of that type
    } rows[] = {{DISPID_FONT_SIZE, VT_CY, 120000},   {DISPID_FONT_BOLD, VT_BOOL, VARIANT_TRUE},
                {DISPID_FONT_UNDER, VT_BOOL, 0},     {DISPID_FONT_WEIGHT, VT_I2, 700},
                {DISPID_FONT_CHARSET, VT_I2, 1}};
    for (const auto& row : rows) {
        comrt::Variant v;
        ASSERT_EQ(get(row.id, v), S_OK) << row.id;
        EXPECT_EQ(v.vt(), row.vt) << row.id;
        EXPECT_EQ(row.vt == VT_CY ? V_CY(v.get()).int64 : V_I2(v.get()), row.value) << row.id;
    }
    comrt::Variant name;
    ASSERT_EQ(get(DISPID_FONT_NAME, name), S_OK);
    ASSERT_EQ(name.vt(), VT_BSTR);
    EXPECT_TRUE(comrt::Bstr::view_of(V_BSTR(name.get())) == u"Tahoma");
}

TEST_F(FontDispatch, FailingCalls) {
    UINT arg_err = 99;
    EXPECT_EQ(put(DISPID_FONT_WEIGHT, 40000, &arg_err), DISP_E_OVERFLOW);  // beyond 16 bits
    EXPECT_EQ(arg_err, 99u) << "an overflow names no argument";
    EXCEPINFO info{};
    EXPECT_EQ(put(DISPID_FONT_SIZE, 0, nullptr, &info), DISP_E_EXCEPTION);
    EXPECT_EQ(info.scode, E_INVALIDARG);
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrHelpFile);
    EXPECT_EQ(summary(font.get()), "400 b0 i0 u0 s0 c1 82500");
}

TEST_F(FontDispatch, TypeInformation) {
    UINT count = 0;
    EXPECT_EQ(disp->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 1u);
    ComPtr<ITypeInfo> info;
    ASSERT_EQ(disp->GetTypeInfo(0, 0, info.put()), S_OK);
    comrt::Bstr name;
    EXPECT_EQ(info->GetDocumentation(MEMBERID_NIL, name.put(), nullptr, nullptr, nullptr), S_OK);
    EXPECT_TRUE(name == std::u16string_view(u"IFontDisp"));
}

}  // namespace
