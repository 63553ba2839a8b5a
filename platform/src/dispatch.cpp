// Dispatch from a type description: name lookup, and Invoke with the platform's argument
// handling.
//
// Invoke works in four steps:
//   1. pick the row: the member with the dispatch id whose kind wFlags allows;
//   2. bind rgvarg to parameters: positional arguments in reverse order at the end of
//      rgvarg, named ones (parameter positions, DISPID_PROPERTYPUT for a put's value)
//      at its start; positional arguments given to a property get without parameters
//      that returns an object go to that object's default member instead;
//   3. build one argument slot per parameter holding exactly the declared type: a VT_BYREF
//      argument of the declared by-reference type passes through, anything else is
//      converted into a temporary the slot points at (an array of variants, as script
//      hosts pass, element by element into an array of the declared element type); all
//      before the member runs;
//   4. call the row's typed member, write the by-reference values it changed back into
//      the caller's variables, hand over the result, or turn a failure into EXCEPINFO.
//
// A reference that points nowhere (VT_BYREF with a null pointer, directly or inside a
// variant passed by reference) is refused in step 3 with E_INVALIDARG, as
// VariantCopyInd refuses it: no member ever receives one.
#include <comrt/dispatch.h>
#include <comrt/error.h>
#include <comrt/oleauto.h>
#include <comrt/resource.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace comrt {
namespace {

bool is_object(VARTYPE vt) noexcept { return vt == VT_DISPATCH || vt == VT_UNKNOWN; }

// True when an interface argument has to be queried for the declared interface.
bool needs_query(const type_ref& type) noexcept {
    const VARTYPE base = type.vt & VT_TYPEMASK;
    return is_object(base) && !(type.vt & VT_ARRAY) && type.iid && *type.iid != IID_IUnknown &&
           *type.iid != IID_IDispatch;
}

bool is_missing(const VARIANT& v) noexcept { return v.vt == VT_ERROR && v.scode == DISP_E_PARAMNOTFOUND; }

// Follows VT_BYREF|VT_VARIANT to the variant that holds the value.
const VARIANT* unwrap(const VARIANT* v) noexcept {
    for (int depth = 0; depth < 8 && v->vt == (VT_BYREF | VT_VARIANT) && v->pvarVal; ++depth) v = v->pvarVal;
    return v;
}

// The member's row for an id and the kinds wFlags allows; the first in slot order.
const member_desc* find_member(const interface_desc& itf, DISPID id, WORD flags) noexcept {
    for (const member_desc& m : itf.members)
        if (m.id == id && (flags & static_cast<WORD>(m.kind))) return &m;
    return nullptr;
}

const member_desc* find_member_by_name(const interface_desc& itf, const OLECHAR* name) noexcept {
    if (!name) return nullptr;
    for (const member_desc& m : itf.members)
        if (detail::same_name(m.name, name)) return &m;
    return nullptr;
}

// True for VT_BYREF with nothing to point at.
bool is_null_reference(const VARIANT& v) noexcept { return (v.vt & VT_BYREF) && !v.byref; }

// Takes the interface pointer out of an object argument and queries it for the declared
// interface; a null object (Nothing) stays null, a null reference is E_INVALIDARG.
HRESULT query_object(const VARIANT* src, const type_ref& type, VARIANT* out) noexcept {
    if (is_null_reference(*src)) return E_INVALIDARG;
    IUnknown* unknown = nullptr;
    switch (src->vt) {
    case VT_DISPATCH: unknown = src->pdispVal; break;
    case VT_UNKNOWN: unknown = src->punkVal; break;
    case VT_BYREF | VT_DISPATCH: unknown = *src->ppdispVal; break;
    case VT_BYREF | VT_UNKNOWN: unknown = *src->ppunkVal; break;
    case VT_EMPTY: break;
    default: return DISP_E_TYPEMISMATCH;
    }
    void* object = nullptr;
    if (unknown && FAILED(unknown->QueryInterface(*type.iid, &object))) return DISP_E_TYPEMISMATCH;
    out->vt = type.vt & VT_TYPEMASK;
    out->byref = object;
    return S_OK;
}

// OLE_COLOR: a colour reference or, with the high bit set, a system colour.
bool is_ole_color(const type_ref& type) noexcept {
    return (type.vt & ~VT_BYREF) == VT_UI4 && type.name && olestring_view(type.name) == OLESTR("OLE_COLOR");
}

// Script hosts build only arrays of variants. An array of another element type takes a
// one-dimensional one: a new array with the same bounds, each element converted as
// VariantChangeType converts it. A null array stays null (an array variable that holds no
// array); more or fewer than one dimension, or an element that does not convert, is a
// type mismatch (E_OUTOFMEMORY stays what it is).
HRESULT convert_variant_array(const VARIANT* src, VARTYPE want, VARIANT* out) noexcept try {
    SAFEARRAY* from = (src->vt & VT_BYREF) ? *src->pparray : src->parray;
    const VARTYPE element = want & VT_TYPEMASK;
    out->vt = want;
    out->parray = nullptr;
    if (!from) return S_OK;
    LONG lower = 0, upper = 0;
    if (SafeArrayGetDim(from) != 1 || FAILED(SafeArrayGetLBound(from, 1, &lower)) ||
        FAILED(SafeArrayGetUBound(from, 1, &upper)))
        return DISP_E_TYPEMISMATCH;
    SAFEARRAYBOUND bound{static_cast<ULONG>(static_cast<std::int64_t>(upper) - lower + 1), lower};
    SafeArrayPtr to(SafeArrayCreate(element, 1, &bound));
    if (!to) return E_OUTOFMEMORY;
    for (std::int64_t i = lower; i <= upper; ++i) {
        LONG index = static_cast<LONG>(i);
        Variant value, converted;
        HRESULT hr = SafeArrayGetElement(from, &index, value.get());
        if (SUCCEEDED(hr)) hr = VariantChangeType(converted.get(), value.get(), 0, element);
        if (FAILED(hr)) return hr == E_OUTOFMEMORY ? hr : DISP_E_TYPEMISMATCH;
        const bool pointer = element == VT_BSTR || element == VT_DISPATCH || element == VT_UNKNOWN;
        hr = SafeArrayPutElement(to.get(), &index, pointer ? converted->byref : &converted->llVal);
        if (FAILED(hr)) return hr;
    }
    out->parray = to.detach();
    return S_OK;
} catch (...) {
    return to_hresult();
}

// Converts an argument into `out`, holding the declared type by value.
HRESULT convert(const VARIANT* arg, const type_ref& type, VARIANT* out) noexcept {
    const VARIANT* src = unwrap(arg);
    const VARTYPE want = type.vt & ~VT_BYREF;
    if (needs_query(type)) return query_object(src, type, out);
    // Hosts hold colours in signed 32-bit integers, system colours (0x80000005) as
    // negative numbers: an OLE_COLOR takes those 32 bits unchanged.
    if (is_ole_color(type) && (src->vt & ~VT_BYREF) == VT_I4) {
        if (is_null_reference(*src)) return E_INVALIDARG;
        out->vt = VT_UI4;
        out->ulVal = static_cast<ULONG>((src->vt & VT_BYREF) ? *src->plVal : src->lVal);
        return S_OK;
    }
    if ((src->vt & ~VT_BYREF) == want) return VariantCopyInd(out, src);
    if ((want & VT_ARRAY) && (src->vt & ~VT_BYREF) == (VT_ARRAY | VT_VARIANT))
        return convert_variant_array(src, want, out);
    if (src->vt & VT_BYREF) {
        Variant value;
        const HRESULT hr = VariantCopyInd(value.get(), src);
        if (FAILED(hr)) return hr;
        return VariantChangeType(out, value.get(), 0, want);
    }
    return VariantChangeType(out, src, 0, want);
}

// Frees what a by-reference slot of type vt holds, before a new value is stored there.
void release_referenced(VARTYPE vt, void* target) noexcept {
    if (vt & VT_ARRAY) {
        SafeArrayDestroy(*static_cast<SAFEARRAY**>(target));
        return;
    }
    switch (vt) {
    case VT_BSTR: SysFreeString(*static_cast<BSTR*>(target)); break;
    case VT_DISPATCH:
    case VT_UNKNOWN:
        if (IUnknown* p = *static_cast<IUnknown**>(target)) p->Release();
        break;
    default: break;
    }
}

std::size_t size_of_value(VARTYPE vt) noexcept {
    if (vt & VT_ARRAY) return sizeof(SAFEARRAY*);
    switch (vt) {
    case VT_BSTR: case VT_DISPATCH: case VT_UNKNOWN: return sizeof(void*);
    default: return static_cast<std::size_t>(detail::size_of_vt(vt));
    }
}

// Writes the value the member left in `value` back into the caller's VT_BYREF argument,
// converted to the caller's type.
HRESULT write_back(VARIANT* target, Variant& value) noexcept {
    if (target->vt == (VT_BYREF | VT_VARIANT)) {
        VARIANT* inner = target->pvarVal;
        if (inner->vt & VT_BYREF) return write_back(inner, value);
        VariantClear(inner);
        *inner = value.detach();
        return S_OK;
    }
    const VARTYPE vt = target->vt & ~VT_BYREF;
    const std::size_t size = size_of_value(vt);
    if (size == 0) return DISP_E_BADVARTYPE;
    Variant back;
    const HRESULT hr = value.vt() == vt ? VariantCopy(back.get(), value.get())
                                        : VariantChangeType(back.get(), value.get(), 0, vt);
    if (FAILED(hr)) return hr;
    release_referenced(vt, target->byref);
    VARIANT raw = back.detach();
    std::memcpy(target->byref, &raw.llVal, size);
    return S_OK;
}

// One parameter's argument: what the member receives, and where its value came from.
struct argument {
    VARIANT slot{};                   // exactly the declared type
    Variant temp;                     // a converted value the slot refers to or copies
    VARIANT* write_back_to = nullptr; // the caller's VT_BYREF variable behind a temporary
    VARTYPE given_type = VT_EMPTY;    // the temporary's type as the member got it
    std::int64_t given_bits = 0;      // its value
    Bstr given_text;                  // and its text, for a string
};

// Notes what the temporary of a by-reference argument held before the call.
void remember_given(argument& a) {
    a.given_type = a.temp.vt();
    std::memcpy(&a.given_bits, &a.temp->llVal, sizeof a.given_bits);
    if (a.temp.vt() == VT_BSTR) a.given_text = Bstr::copy_of(a.temp->bstrVal);
}

// True when the member changed the temporary of a by-reference argument. A string counts
// as changed by its text only: a new string may take the freed one's address.
bool changed_by_member(const argument& a) noexcept {
    if (a.temp.vt() != a.given_type) return true;
    if (a.temp.vt() == VT_BSTR)
        return SysStringByteLen(a.temp->bstrVal) != SysStringByteLen(a.given_text.get()) ||
               Bstr::view_of(a.temp->bstrVal) != a.given_text.view();
    return std::memcmp(&a.given_bits, &a.temp->llVal, sizeof a.given_bits) != 0;
}

// Builds the slot for parameter p from argument arg (null: not given).
HRESULT prepare(const param_desc& p, VARIANT* arg, argument& out) noexcept try {
    const VARTYPE declared = p.type.vt;
    const VARTYPE base = declared & ~VT_BYREF;
    out.slot.vt = declared;
    if (arg && (is_null_reference(*arg) || is_null_reference(*unwrap(arg)))) return E_INVALIDARG;
    if (!arg || is_missing(*arg)) {
        // A required parameter without an argument is a call with too few arguments; one
        // whose argument says it is missing was left out on purpose.
        if (!(p.flags & PARAMFLAG_FOPT)) return arg ? DISP_E_PARAMNOTOPTIONAL : DISP_E_BADPARAMCOUNT;
        out.temp->vt = VT_ERROR;
        out.temp->scode = DISP_E_PARAMNOTFOUND;
        if (declared == VT_VARIANT) out.slot = *out.temp.get();
        else out.slot.pvarVal = out.temp.get();
        return S_OK;
    }
    if (declared == (VT_BYREF | VT_VARIANT)) {
        out.slot.pvarVal = arg->vt == (VT_BYREF | VT_VARIANT) ? arg->pvarVal : arg;
        return S_OK;
    }
    if (declared == VT_VARIANT) {
        const HRESULT hr = VariantCopyInd(out.temp.get(), unwrap(arg));
        if (FAILED(hr)) return hr;
        out.slot = *out.temp.get();
        return S_OK;
    }
    if (declared & VT_BYREF) {
        // The caller's own variable when it holds exactly the declared type, directly or
        // inside a variant passed by reference: the member's writes land there.
        VARIANT* inner = arg->vt == (VT_BYREF | VT_VARIANT) ? const_cast<VARIANT*>(unwrap(arg)) : arg;
        if (!needs_query(p.type)) {
            if (inner->vt == declared) {
                out.slot.byref = inner->byref;
                return S_OK;
            }
            if (inner != arg && inner->vt == base) {
                out.slot.byref = &inner->llVal;
                return S_OK;
            }
        }
        const HRESULT hr = convert(arg, p.type, out.temp.get());
        if (FAILED(hr)) return hr;
        out.slot.byref = &out.temp->llVal;
        if (arg->vt & VT_BYREF) {
            out.write_back_to = arg;
            remember_given(out);
        }
        return S_OK;
    }
    const HRESULT hr = convert(arg, p.type, out.temp.get());
    if (FAILED(hr)) return hr;
    out.slot.llVal = out.temp->llVal;
    return S_OK;
} catch (...) {
    return to_hresult();
}

// Fills EXCEPINFO for a member that failed with hr, from the pending error information
// or, for a run-time error number with none pending, from the catalogue.
void fill_exception(HRESULT hr, EXCEPINFO* info) {
    *info = EXCEPINFO{};
    info->scode = hr;
    ComPtr<IErrorInfo> error;
    if (GetErrorInfo(0, error.put()) == S_OK && error) {
        error->GetSource(&info->bstrSource);
        error->GetDescription(&info->bstrDescription);
        error->GetHelpFile(&info->bstrHelpFile);
        error->GetHelpContext(&info->dwHelpContext);
        return;
    }
    if (HRESULT_FACILITY(hr) == FACILITY_CONTROL && FAILED(hr))
        if (const OLECHAR* text = runtime_description(HRESULT_CODE(hr))) info->bstrDescription = Bstr(text).detach();
}

// A property without parameters that returns an automation object, given positional
// arguments only:
// the arguments index the object it returns (a script's group.ItemsCollection(1)).
bool indexes_its_result(const member_desc& m, UINT cNamed) noexcept {
    return m.kind == member_kind::get && m.param_count == 0 && cNamed == 0 && m.result.type.vt == VT_DISPATCH;
}

// Gets the property, then passes the arguments to the default member (DISPID_VALUE) of the
// object it returned, as the system's type-library dispatch does. A property that returns
// no object has nothing to index: DISP_E_NOTACOLLECTION.
HRESULT invoke_default_of_result(const interface_desc& itf, void* self, DISPID id, DISPPARAMS* pDispParams,
                                 VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) noexcept {
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    Variant object;
    const HRESULT hr =
        dispatch_invoke(itf, self, id, IID_NULL, DISPATCH_PROPERTYGET, &none, object.get(), pExcepInfo, nullptr);
    if (FAILED(hr)) return hr;
    IDispatch* target = object.vt() == VT_DISPATCH ? object->pdispVal : nullptr;
    if (!target) return DISP_E_NOTACOLLECTION;
    return target->Invoke(DISPID_VALUE, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD | DISPATCH_PROPERTYGET,
                          pDispParams, pVarResult, pExcepInfo, puArgErr);
}

}  // namespace

HRESULT dispatch_get_ids_of_names(const interface_desc& itf, REFIID riid, LPOLESTR* rgszNames, UINT cNames,
                                  DISPID* rgDispId) noexcept try {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    if (cNames == 0) return S_OK;
    if (!rgszNames || !rgDispId) return E_INVALIDARG;
    HRESULT result = S_OK;
    const member_desc* m = find_member_by_name(itf, rgszNames[0]);
    rgDispId[0] = m ? m->id : DISPID_UNKNOWN;
    if (!m) result = DISP_E_UNKNOWNNAME;
    for (UINT i = 1; i < cNames; ++i) {
        rgDispId[i] = DISPID_UNKNOWN;
        if (m && rgszNames[i]) {
            const auto params = m->parameters();
            for (std::size_t k = 0; k < params.size(); ++k)
                if (params[k].name && detail::same_name(params[k].name, rgszNames[i]))
                    rgDispId[i] = static_cast<DISPID>(k);
        }
        if (rgDispId[i] == DISPID_UNKNOWN) result = DISP_E_UNKNOWNNAME;
    }
    return result;
} catch (...) {
    return to_hresult();
}

HRESULT dispatch_invoke(const interface_desc& itf, void* self, DISPID dispIdMember, REFIID riid, WORD wFlags,
                        DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                        UINT* puArgErr) noexcept try {
    // The result is an [out] variant: it holds nothing on entry, and is empty on every
    // failure, so that a caller may always clear it.
    if (pVarResult) VariantInit(pVarResult);
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    if (!self) return E_POINTER;
    if (!pDispParams || pDispParams->cNamedArgs > pDispParams->cArgs ||
        (pDispParams->cArgs && !pDispParams->rgvarg) || (pDispParams->cNamedArgs && !pDispParams->rgdispidNamedArgs))
        return E_INVALIDARG;

    // 1. The row.
    const member_desc* m = find_member(itf, dispIdMember, wFlags);
    if (!m) return DISP_E_MEMBERNOTFOUND;
    const bool is_put = m->kind == member_kind::put || m->kind == member_kind::putref;

    // 2. Binding: source[i] is the rgvarg index of parameter i's argument, or -1.
    const UINT cArgs = pDispParams->cArgs;
    const UINT cNamed = pDispParams->cNamedArgs;
    const std::size_t count = m->param_count;
    const std::size_t positional_slots = is_put ? count - 1 : count;
    std::array<long, max_params> source;
    source.fill(-1);
    // *puArgErr names the argument at fault for the two results that have one.
    auto fail_at = [&](HRESULT hr, long index) {
        if (puArgErr && index >= 0 && (hr == DISP_E_TYPEMISMATCH || hr == DISP_E_PARAMNOTFOUND))
            *puArgErr = static_cast<UINT>(index);
        return hr;
    };
    if (is_put) {
        // The value is the argument named DISPID_PROPERTYPUT; without one, the put's value
        // parameter has no argument.
        for (UINT k = 0; k < cNamed && source[count - 1] < 0; ++k)
            if (pDispParams->rgdispidNamedArgs[k] == DISPID_PROPERTYPUT) source[count - 1] = static_cast<long>(k);
        if (source[count - 1] < 0) return DISP_E_PARAMNOTFOUND;
    }
    const UINT positional = cArgs - cNamed;
    if (positional > positional_slots || cArgs > count) {
        if (indexes_its_result(*m, cNamed))
            return invoke_default_of_result(itf, self, dispIdMember, pDispParams, pVarResult, pExcepInfo, puArgErr);
        // A property get without parameters given arguments would index its result.
        const bool plain_get = m->kind == member_kind::get && m->param_count == 0;
        return plain_get ? DISP_E_NOTACOLLECTION : DISP_E_BADPARAMCOUNT;
    }
    for (UINT i = 0; i < positional; ++i) source[i] = static_cast<long>(cArgs - 1 - i);
    for (UINT k = 0; k < cNamed; ++k) {
        const DISPID id = pDispParams->rgdispidNamedArgs[k];
        if (is_put && source[count - 1] == static_cast<long>(k)) continue;
        if (id < 0 || static_cast<std::size_t>(id) >= positional_slots || source[id] >= 0)
            return fail_at(DISP_E_PARAMNOTFOUND, static_cast<long>(k));
        source[id] = static_cast<long>(k);
    }

    // 3. Argument slots, every conversion before the member runs.
    std::array<argument, max_params> args;
    std::array<VARIANT, max_params> slots{};
    for (std::size_t i = 0; i < count; ++i) {
        VARIANT* arg = source[i] >= 0 ? &pDispParams->rgvarg[source[i]] : nullptr;
        const HRESULT hr = prepare(m->params[i], arg, args[i]);
        if (FAILED(hr)) return fail_at(hr, source[i]);
        slots[i] = args[i].slot;
    }

    // 4. The call.
    SetErrorInfo(0, nullptr);
    Variant result;
    const HRESULT hr = m->invoke(self, slots.data(), result.get());
    if (m->has_result && m->result.type.vt != VT_VARIANT) result->vt = m->result.type.vt;
    if (FAILED(hr)) {
        if (pExcepInfo) fill_exception(hr, pExcepInfo);
        return DISP_E_EXCEPTION;
    }
    // A caller's variable behind a temporary gets the member's value back only when the
    // member changed it: a member that only reads its by-reference arguments leaves the
    // caller's variables as they were, in type and in value.
    for (std::size_t i = 0; i < count; ++i) {
        if (!args[i].write_back_to || !changed_by_member(args[i])) continue;
        const HRESULT written = write_back(args[i].write_back_to, args[i].temp);
        if (FAILED(written)) return fail_at(written, source[i]);
    }
    if (pVarResult) *pVarResult = result.detach();
    return S_OK;
} catch (...) {
    return to_hresult();
}

}  // namespace comrt
