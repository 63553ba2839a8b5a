// Helpers for late-bound calls in tests: argument lists in natural order, one Invoke
// call with its outcome, HRESULTs printed as hex.
#pragma once

#include <comrt/oleauto.h>
#include <comrt/resource.h>
#include <comrt/text.h>

#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

namespace dispatch_support {

inline std::string hex(HRESULT hr) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
    return text;
}

inline std::string utf8(std::u16string_view s) { return comrt::to_utf8(s); }
inline std::string utf8(BSTR s) { return comrt::to_utf8(comrt::Bstr::view_of(s)); }

inline VARIANT i2(SHORT v) { VARIANT x{}; x.vt = VT_I2; x.iVal = v; return x; }
inline VARIANT i4(LONG v) { VARIANT x{}; x.vt = VT_I4; x.lVal = v; return x; }
inline VARIANT r8(double v) { VARIANT x{}; x.vt = VT_R8; x.dblVal = v; return x; }
inline VARIANT text(const char16_t* v) { VARIANT x{}; x.vt = VT_BSTR; x.bstrVal = SysAllocString(v); return x; }
inline VARIANT obj(IDispatch* p) { VARIANT x{}; x.vt = VT_DISPATCH; x.pdispVal = p; if (p) p->AddRef(); return x; }
inline VARIANT missing() { VARIANT x{}; x.vt = VT_ERROR; x.scode = DISP_E_PARAMNOTFOUND; return x; }
// A reference to a caller's variable; the variable stays the caller's.
inline VARIANT ref(VARTYPE vt, void* p) { VARIANT x{}; x.vt = static_cast<VARTYPE>(VT_BYREF | vt); x.byref = p; return x; }

// rgvarg for Invoke: given in natural order, held in reverse; named arguments first.
class Args {
public:
    Args(std::initializer_list<VARIANT> natural) : v_(natural.begin(), natural.end()) { reverse(); }
    // A property put: the value as the DISPID_PROPERTYPUT named argument, after `natural`.
    static Args put(VARIANT value, std::initializer_list<VARIANT> natural = {}) {
        Args a(natural);
        a.v_.insert(a.v_.begin(), value);
        a.named_.push_back(DISPID_PROPERTYPUT);
        return a;
    }
    Args(Args&&) = default;
    ~Args() {
        for (VARIANT& x : v_) VariantClear(&x);
    }
    // Named arguments: rgvarg[i] for i < ids.size() is the one named ids[i].
    Args& named(std::vector<DISPID> ids) {
        named_ = std::move(ids);
        return *this;
    }
    VARIANT& at(std::size_t rgvarg_index) { return v_[rgvarg_index]; }
    DISPPARAMS* params() {
        dp_ = {v_.data(), named_.data(), static_cast<UINT>(v_.size()), static_cast<UINT>(named_.size())};
        return &dp_;
    }

private:
    void reverse() { std::vector<VARIANT>(v_.rbegin(), v_.rend()).swap(v_); }
    std::vector<VARIANT> v_;
    std::vector<DISPID> named_;
    DISPPARAMS dp_{};
};

struct Outcome {
    HRESULT hr = E_UNEXPECTED;
    comrt::Variant result;
    EXCEPINFO info{};
    UINT arg_err = 0xFFFF;
    Outcome() = default;
    Outcome(const Outcome&) = delete;
    ~Outcome() {
        SysFreeString(info.bstrSource);
        SysFreeString(info.bstrDescription);
        SysFreeString(info.bstrHelpFile);
    }
};

inline void invoke(IDispatch* d, DISPID id, WORD flags, Args& args, Outcome& out) {
    out.hr = d->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, args.params(), out.result.put(), &out.info,
                       &out.arg_err);
}

}  // namespace dispatch_support
