// Late-bound calls (testing/late_binding.h).
#include <testing/late_binding.h>

#include <iterator>
#include <string>
#include <utility>

#include <comrt/error.h>

namespace pg_testing {

namespace {

// A variant of type vt whose value `set` writes.
template <typename Set>
VARIANT Of(VARTYPE vt, Set&& set) {
    VARIANT v{};  // every byte zero: a null array or pointer unless `set` writes one
    v.vt = vt;
    set(v);
    return v;
}

void FreeStrings(EXCEPINFO& info) noexcept {
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrHelpFile);
    info = EXCEPINFO{};
}

}  // namespace

VARIANT I2(SHORT value) { return Of(VT_I2, [&](VARIANT& v) { v.iVal = value; }); }
VARIANT I4(LONG value) { return Of(VT_I4, [&](VARIANT& v) { v.lVal = value; }); }
VARIANT UI4(ULONG value) { return Of(VT_UI4, [&](VARIANT& v) { v.ulVal = value; }); }
VARIANT R8(double value) { return Of(VT_R8, [&](VARIANT& v) { v.dblVal = value; }); }
VARIANT Text(comrt::olestring_view text) { return Of(VT_BSTR, [&](VARIANT& v) { v.bstrVal = comrt::Bstr(text).detach(); }); }
VARIANT Missing() { return Of(VT_ERROR, [](VARIANT& v) { v.scode = DISP_E_PARAMNOTFOUND; }); }

VARIANT Object(IDispatch* object) {
    if (object) object->AddRef();
    return Of(VT_DISPATCH, [&](VARIANT& v) { v.pdispVal = object; });
}

VARIANT Ref(VARTYPE vt, void* variable) {
    return Of(static_cast<VARTYPE>(VT_BYREF | vt), [&](VARIANT& v) { v.byref = variable; });
}

VARIANT Array(VARTYPE element, SAFEARRAY* array) {
    return Of(static_cast<VARTYPE>(VT_ARRAY | element), [&](VARIANT& v) {
        if (array) comrt::check(SafeArrayCopy(array, &v.parray));
    });
}

Args::Args(std::initializer_list<VARIANT> natural) : values_(std::rbegin(natural), std::rend(natural)) {}

Args Args::put(VARIANT value, std::initializer_list<VARIANT> natural) {
    Args args(natural);
    args.values_.insert(args.values_.begin(), value);
    args.names_.push_back(DISPID_PROPERTYPUT);
    return args;
}

Args::Args(Args&& other) noexcept : values_(std::move(other.values_)), names_(std::move(other.names_)) {
    other.values_.clear();
}

Args::~Args() {
    for (VARIANT& value : values_) VariantClear(&value);
}

Args& Args::named(std::vector<DISPID> ids) {
    names_ = std::move(ids);
    return *this;
}

DISPPARAMS* Args::params() {
    params_ = {values_.empty() ? nullptr : values_.data(), names_.empty() ? nullptr : names_.data(),
               static_cast<UINT>(values_.size()), static_cast<UINT>(names_.size())};
    return &params_;
}

Outcome::Outcome(Outcome&& other) noexcept
    : hr(other.hr), result(std::move(other.result)), info(other.info), arg_err(other.arg_err) {
    other.info = EXCEPINFO{};
}

Outcome::~Outcome() { FreeStrings(info); }

DISPID DispatchId(IDispatch* object, comrt::olestring_view name, HRESULT* hr) {
    comrt::olestring text(name);
    LPOLESTR names[] = {text.data()};
    DISPID id = DISPID_UNKNOWN;
    const HRESULT status = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (hr) *hr = status;
    return FAILED(status) ? DISPID_UNKNOWN : id;
}

Outcome Invoke(IDispatch* object, DISPID id, WORD flags, Args& args) {
    Outcome out;
    out.hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, args.params(), out.result.put(), &out.info,
                            &out.arg_err);
    return out;
}

Outcome Call(IDispatch* object, comrt::olestring_view name, WORD flags, Args args) {
    HRESULT found = S_OK;
    const DISPID id = DispatchId(object, name, &found);
    if (FAILED(found)) {
        Outcome out;
        out.hr = found;
        return out;
    }
    return Invoke(object, id, flags, args);
}

}  // namespace pg_testing
