// The standard font object: IFont for direct callers, IFontDisp (IDispatch) for
// late-bound ones and for controls that hand fonts to each other.
//
// Attributes: face name (UTF-16, char16_t), size in points as a currency value (8.25 pt
// is int64 82500), weight (400 normal, 700 bold), charset, and the italic, underline and
// strikethrough flags. Bold is not stored: it reads as weight > 550 (half-way between
// normal and bold), and putting it sets the weight to 700 or 400.
//
// There is no device behind the object: the handle and text-metric members answer
// E_NOTIMPL.
//
// IFontDisp is a pure dispatch interface over the same members, described as a table
// below; late-bound callers see the four flags as VARIANT_BOOL.
#include "font_object.h"

#include <comrt/apartment.h>
#include <comrt/com_ptr.h>
#include <comrt/dispatch.h>
#include <comrt/error.h>
#include <comrt/font_attributes.h>
#include <comrt/implements.h>
#include <comrt/resource.h>
#include <comrt/typedesc.h>

#include <string>
#include <string_view>
#include <utility>

namespace {

constexpr char16_t kDefaultName[] = u"Tahoma";
constexpr LONGLONG kDefaultSize = 82500;  // 8.25 points
constexpr SHORT kBoldAbove = (FW_NORMAL + FW_BOLD) / 2;

using comrt::FontAttributes;

// A font object's attributes before anything is put: 8.25-point Tahoma, normal weight.
FontAttributes DefaultAttributes() {
    FontAttributes attributes;
    attributes.name = kDefaultName;
    attributes.size.int64 = kDefaultSize;
    return attributes;
}

BOOL to_bool(bool b) noexcept { return b ? TRUE : FALSE; }
VARIANT_BOOL to_variant_bool(bool b) noexcept { return b ? VARIANT_TRUE : VARIANT_FALSE; }

class StdFont final : public comrt::implements<StdFont, IFont, IFontDisp> {
public:
    explicit StdFont(FontAttributes attributes) noexcept : a_(std::move(attributes)) {}

    // ---- IFont: attributes ----
    HRESULT STDMETHODCALLTYPE get_Name(BSTR* pName) noexcept override try {
        check_thread();
        if (!pName) return E_POINTER;
        *pName = nullptr;
        *pName = comrt::Bstr(a_.name).detach();
        return S_OK;
    } catch (...) {
        return comrt::to_hresult();
    }
    HRESULT STDMETHODCALLTYPE put_Name(BSTR name) noexcept override try {
        check_thread();
        const std::u16string_view text = comrt::Bstr::view_of(name);
        if (text.empty()) return E_INVALIDARG;
        a_.name.assign(text);
        return S_OK;
    } catch (...) {
        return comrt::to_hresult();
    }
    HRESULT STDMETHODCALLTYPE get_Size(CY* pSize) noexcept override { return read(a_.size, pSize); }
    HRESULT STDMETHODCALLTYPE put_Size(CY size) noexcept override {
        check_thread();
        if (size.int64 <= 0) return E_INVALIDARG;
        a_.size = size;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Bold(BOOL* pBold) noexcept override {
        return read(to_bool(a_.weight > kBoldAbove), pBold);
    }
    HRESULT STDMETHODCALLTYPE put_Bold(BOOL bold) noexcept override {
        check_thread();
        a_.weight = bold ? FW_BOLD : FW_NORMAL;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Italic(BOOL* pItalic) noexcept override { return read(to_bool(a_.italic), pItalic); }
    HRESULT STDMETHODCALLTYPE put_Italic(BOOL italic) noexcept override { return write(a_.italic, italic); }
    HRESULT STDMETHODCALLTYPE get_Underline(BOOL* pUnderline) noexcept override {
        return read(to_bool(a_.underline), pUnderline);
    }
    HRESULT STDMETHODCALLTYPE put_Underline(BOOL underline) noexcept override { return write(a_.underline, underline); }
    HRESULT STDMETHODCALLTYPE get_Strikethrough(BOOL* pStrikethrough) noexcept override {
        return read(to_bool(a_.strikethrough), pStrikethrough);
    }
    HRESULT STDMETHODCALLTYPE put_Strikethrough(BOOL strikethrough) noexcept override {
        return write(a_.strikethrough, strikethrough);
    }
    HRESULT STDMETHODCALLTYPE get_Weight(SHORT* pWeight) noexcept override { return read(a_.weight, pWeight); }
    HRESULT STDMETHODCALLTYPE put_Weight(SHORT weight) noexcept override {
        check_thread();
        a_.weight = weight;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Charset(SHORT* pCharset) noexcept override { return read(a_.charset, pCharset); }
    HRESULT STDMETHODCALLTYPE put_Charset(SHORT charset) noexcept override {
        check_thread();
        a_.charset = charset;
        return S_OK;
    }

    // ---- IFont: copies and comparison ----
    HRESULT STDMETHODCALLTYPE Clone(IFont** ppFont) noexcept override try {
        check_thread();
        if (!ppFont) return E_POINTER;
        *ppFont = nullptr;
        *ppFont = static_cast<IFont*>(comrt::make<StdFont>(a_).detach());
        return S_OK;
    } catch (...) {
        return comrt::to_hresult();
    }
    // S_OK when every attribute of the other font equals this one's (names exactly),
    // S_FALSE otherwise.
    HRESULT STDMETHODCALLTYPE IsEqual(IFont* pFontOther) noexcept override try {
        check_thread();
        if (!pFontOther) return E_POINTER;
        if (pFontOther == static_cast<IFont*>(this)) return S_OK;
        const bool equal = comrt::ReadFontAttributes(pFontOther) == a_;
        return equal ? S_OK : S_FALSE;
    } catch (...) {
        return comrt::to_hresult();
    }

    // ---- IFont: device members (no device here) ----
    HRESULT STDMETHODCALLTYPE get_hFont(HFONT* phFont) noexcept override {
        if (phFont) *phFont = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetRatio(LONG, LONG) noexcept override { return S_OK; }
    HRESULT STDMETHODCALLTYPE QueryTextMetrics(TEXTMETRICOLE*) noexcept override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE AddRefHfont(HFONT) noexcept override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReleaseHfont(HFONT) noexcept override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetHdc(HDC) noexcept override { return E_NOTIMPL; }

    // ---- IDispatch (IFontDisp), over kFontDisp below ----
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* pctinfo) noexcept override { return read(UINT{1}, pctinfo); }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT iTInfo, LCID, ITypeInfo** ppTInfo) noexcept override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID,
                                            DISPID* rgDispId) noexcept override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID dispIdMember, REFIID riid, LCID, WORD wFlags, DISPPARAMS* pDispParams,
                                     VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) noexcept override;

    // ---- the flags as late-bound callers see them ----
    HRESULT auto_get_Bold(VARIANT_BOOL* p) noexcept { return read(to_variant_bool(a_.weight > kBoldAbove), p); }
    HRESULT auto_put_Bold(VARIANT_BOOL v) noexcept { return put_Bold(to_bool(v != VARIANT_FALSE)); }
    HRESULT auto_get_Italic(VARIANT_BOOL* p) noexcept { return read(to_variant_bool(a_.italic), p); }
    HRESULT auto_put_Italic(VARIANT_BOOL v) noexcept { return write(a_.italic, v); }
    HRESULT auto_get_Underline(VARIANT_BOOL* p) noexcept { return read(to_variant_bool(a_.underline), p); }
    HRESULT auto_put_Underline(VARIANT_BOOL v) noexcept { return write(a_.underline, v); }
    HRESULT auto_get_Strikethrough(VARIANT_BOOL* p) noexcept { return read(to_variant_bool(a_.strikethrough), p); }
    HRESULT auto_put_Strikethrough(VARIANT_BOOL v) noexcept { return write(a_.strikethrough, v); }

private:
    // Every member starts with the thread rule's check (comrt/apartment.h).
    void check_thread() const noexcept { owner_.check(OLESTR("StdFont")); }
    template <typename T>
    HRESULT read(T value, T* out) const noexcept {
        check_thread();
        if (!out) return E_POINTER;
        *out = value;
        return S_OK;
    }
    template <typename T>
    HRESULT write(bool& field, T value) noexcept {
        check_thread();
        field = value != 0;
        return S_OK;
    }

    FontAttributes a_;
    [[no_unique_address]] comrt::owner_thread owner_;
};

// ---- the dispatch description ------------------------------------------------------
using comrt::prop_get;
using comrt::prop_put;
using comrt::vt_bool;

constexpr comrt::param kFlagValue[] = {{u"rhs", vt_bool}};

constexpr comrt::member_desc kFontDispMembers[] = {
    prop_get<&StdFont::get_Name>(u"Name", DISPID_FONT_NAME),
    prop_put<&StdFont::put_Name>(u"Name", DISPID_FONT_NAME),
    prop_get<&StdFont::get_Size>(u"Size", DISPID_FONT_SIZE),
    prop_put<&StdFont::put_Size>(u"Size", DISPID_FONT_SIZE),
    prop_get<&StdFont::auto_get_Bold>(u"Bold", DISPID_FONT_BOLD).result_as(vt_bool),
    prop_put<&StdFont::auto_put_Bold>(u"Bold", DISPID_FONT_BOLD, kFlagValue),
    prop_get<&StdFont::auto_get_Italic>(u"Italic", DISPID_FONT_ITALIC).result_as(vt_bool),
    prop_put<&StdFont::auto_put_Italic>(u"Italic", DISPID_FONT_ITALIC, kFlagValue),
    prop_get<&StdFont::auto_get_Underline>(u"Underline", DISPID_FONT_UNDER).result_as(vt_bool),
    prop_put<&StdFont::auto_put_Underline>(u"Underline", DISPID_FONT_UNDER, kFlagValue),
    prop_get<&StdFont::auto_get_Strikethrough>(u"Strikethrough", DISPID_FONT_STRIKE).result_as(vt_bool),
    prop_put<&StdFont::auto_put_Strikethrough>(u"Strikethrough", DISPID_FONT_STRIKE, kFlagValue),
    prop_get<&StdFont::get_Weight>(u"Weight", DISPID_FONT_WEIGHT),
    prop_put<&StdFont::put_Weight>(u"Weight", DISPID_FONT_WEIGHT),
    prop_get<&StdFont::get_Charset>(u"Charset", DISPID_FONT_CHARSET),
    prop_put<&StdFont::put_Charset>(u"Charset", DISPID_FONT_CHARSET),
};

constexpr comrt::interface_desc kFontDisp{IID_IFontDisp, u"IFontDisp", TYPEFLAG_FDISPATCHABLE, kFontDispMembers,
                                          TKIND_DISPATCH};
constexpr const comrt::interface_desc* kFontInterfaces[] = {&kFontDisp};
constexpr comrt::class_desc kFontClasses[] = {{CLSID_StdFont, u"StdFont", TYPEFLAG_FCANCREATE, &kFontDisp}};
// The font's own type library: its rows name StdFont's members, so it cannot join the
// library description shared by the rest of comrt.
constexpr comrt::type_library kFontLibrary{comrt::make_guid("5D3B7A64-0C2E-4F1B-9A86-3E52C4D17B20"), u"ComrtFont", 1,
                                           0, 0, kFontInterfaces, kFontClasses};
static_assert(comrt::well_formed(kFontLibrary));

HRESULT STDMETHODCALLTYPE StdFont::GetTypeInfo(UINT iTInfo, LCID, ITypeInfo** ppTInfo) noexcept try {
    if (!ppTInfo) return E_POINTER;
    *ppTInfo = nullptr;
    if (iTInfo != 0) return DISP_E_BADINDEX;
    comrt::ComPtr<ITypeLib> library;
    comrt::check(comrt::create_typelib(kFontLibrary, library.put()));
    return library->GetTypeInfoOfGuid(IID_IFontDisp, ppTInfo);
} catch (...) {
    return comrt::to_hresult();
}

HRESULT STDMETHODCALLTYPE StdFont::GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID,
                                                 DISPID* rgDispId) noexcept {
    return comrt::dispatch_get_ids_of_names(kFontDisp, riid, rgszNames, cNames, rgDispId);
}

HRESULT STDMETHODCALLTYPE StdFont::Invoke(DISPID dispIdMember, REFIID riid, LCID, WORD wFlags,
                                          DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                                          UINT* puArgErr) noexcept {
    return comrt::dispatch_invoke(kFontDisp, this, dispIdMember, riid, wFlags, pDispParams, pVarResult, pExcepInfo,
                                  puArgErr);
}

}  // namespace

namespace comrt {

HRESULT create_std_font(const FONTDESC* desc, REFIID riid, void** ppv) noexcept try {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    FontAttributes attributes = DefaultAttributes();
    if (desc) {
        if (!desc->lpstrName || desc->lpstrName[0] == u'\0' || desc->cySize.int64 <= 0) return E_INVALIDARG;
        attributes.name = desc->lpstrName;
        attributes.size = desc->cySize;
        attributes.weight = desc->sWeight;
        attributes.charset = desc->sCharset;
        attributes.italic = desc->fItalic != 0;
        attributes.underline = desc->fUnderline != 0;
        attributes.strikethrough = desc->fStrikethrough != 0;
    }
    ComPtr<StdFont> font = make<StdFont>(std::move(attributes));
    return font->QueryInterface(riid, ppv);
} catch (...) {
    return to_hresult();
}

}  // namespace comrt

// Creates a font object from a description; see comrt::create_std_font.
//   S_OK; E_POINTER for a null lplpvObj; E_INVALIDARG for a bad description;
//   E_NOINTERFACE; E_OUTOFMEMORY. *lplpvObj is null on failure.
WINOLEAPI OleCreateFontIndirect(LPFONTDESC lpFontDesc, REFIID riid, LPVOID* lplpvObj) {
    return comrt::create_std_font(lpFontDesc, riid, lplpvObj);
}
