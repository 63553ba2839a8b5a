// The probe object: implements _clsProbe through dispatch<> and counts calls per member,
// so tests can see which member a late-bound call reached.
#pragma once

#include <map>
#include <string>

#include "probe_types.h"

namespace probe {

class Probe final : public comrt::implements<Probe, comrt::dispatch<_clsProbe, kLibrary>> {
public:
    std::map<std::string, int> calls;
    comrt::Bstr label;
    SHORT level = 0;
    VARIANT_BOOL enabled = VARIANT_FALSE;
    comrt::ComPtr<_clsProbe> partner;

    // Members that allocate catch as a library member would; the others cannot fail.
    HRESULT STDMETHODCALLTYPE get_Label(BSTR* result) noexcept override try {
        ++calls["get_Label"];
        *result = label.copy();
        return S_OK;
    } catch (...) {
        return comrt::to_hresult();
    }
    HRESULT STDMETHODCALLTYPE put_Label(BSTR value) noexcept override try {
        ++calls["put_Label"];
        label = comrt::Bstr::copy_of(value);
        return S_OK;
    } catch (...) {
        return comrt::to_hresult();
    }
    HRESULT STDMETHODCALLTYPE get_Level(SHORT* result) noexcept override { return count("get_Level", *result = level); }
    HRESULT STDMETHODCALLTYPE put_Level(SHORT value) noexcept override { return count("put_Level", level = value); }
    HRESULT STDMETHODCALLTYPE get_Partner(_clsProbe** result) noexcept override {
        partner.copy_to(result);
        return count("get_Partner");
    }
    HRESULT STDMETHODCALLTYPE put_Partner(_clsProbe* value) noexcept override {
        partner = comrt::ComPtr<_clsProbe>(value);
        return count("put_Partner");
    }
    HRESULT STDMETHODCALLTYPE putref_Partner(_clsProbe* value) noexcept override {
        partner = comrt::ComPtr<_clsProbe>(value);
        return count("putref_Partner");
    }
    HRESULT STDMETHODCALLTYPE get_Enabled(VARIANT_BOOL* r) noexcept override { return count("get_Enabled", *r = enabled); }
    HRESULT STDMETHODCALLTYPE put_Enabled(VARIANT_BOOL v) noexcept override { return count("put_Enabled", enabled = v); }
    HRESULT STDMETHODCALLTYPE get_Tint(OLE_COLOR* result) noexcept override {
        return count("get_Tint", *result = 0x8000000F);
    }
    HRESULT STDMETHODCALLTYPE Scale(SHORT nBy, LONG nTotal, LONG* result) noexcept override {
        return count("Scale", *result = nBy * nTotal);
    }
    HRESULT STDMETHODCALLTYPE Swap(BSTR* sLeft, BSTR* sRight) noexcept override {
        std::swap(*sLeft, *sRight);
        return count("Swap");
    }
    // nValue + 1, nWide * 2, vAny becomes the string "bumped".
    HRESULT STDMETHODCALLTYPE Bump(SHORT* nValue, LONG* nWide, VARIANT* vAny) noexcept override try {
        ++calls["Bump"];
        *nValue = static_cast<SHORT>(*nValue + 1);
        *nWide *= 2;
        comrt::Bstr text(u"bumped");
        VariantClear(vAny);
        vAny->vt = VT_BSTR;
        vAny->bstrVal = text.detach();
        return S_OK;
    } catch (...) {
        return comrt::to_hresult();
    }
    // "<sName>|missing" without vExtra, otherwise "<sName>|<vExtra's vt>".
    HRESULT STDMETHODCALLTYPE Describe(BSTR sName, VARIANT* vExtra, BSTR* result) noexcept override try {
        ++calls["Describe"];
        std::u16string text(comrt::Bstr::view_of(sName));
        const bool missing = vExtra->vt == VT_ERROR && vExtra->scode == DISP_E_PARAMNOTFOUND;
        text += missing ? u"|missing" : u"|" + std::u16string(1, static_cast<char16_t>(u'0' + vExtra->vt));
        *result = comrt::Bstr(text).detach();
        return S_OK;
    } catch (...) {
        return comrt::to_hresult();
    }
    // 9: raises error 9 with error information (source "Probe"); 6: returns error 6
    // without error information; anything else: E_FAIL.
    HRESULT STDMETHODCALLTYPE Fail(SHORT nMode) noexcept override try {
        ++calls["Fail"];
        if (nMode == 9) comrt::raise(comrt::runtime_error::subscript_out_of_range, u"Probe");
        return nMode == 6 ? comrt::runtime_hresult(comrt::runtime_error::overflow) : E_FAIL;
    } catch (...) {
        return comrt::to_hresult();
    }
    // The upper bound of the array's first dimension, -1 without an array.
    HRESULT STDMETHODCALLTYPE Names(SAFEARRAY** aNames, LONG* result) noexcept override {
        ++calls["Names"];
        *result = -1;
        return *aNames ? SafeArrayGetUBound(*aNames, 1, result) : S_OK;
    }

private:
    template <typename... Ignored>
    HRESULT count(const char* member, Ignored&&...) noexcept {
        ++calls[member];
        return S_OK;
    }
};

}  // namespace probe
