// Dispatch from a type description: name lookup, and Invoke with the platform's argument
// handling.
//
// Invoke works in four steps:
//   1. pick the row: the member with the dispatch id whose kind wFlags allows;
//   2. bind rgvarg to parameters: positional arguments in reverse order at the end of
//      rgvarg, named ones (parameter positions, DISPID_PROPERTYPUT for a put's value)
//      at its start;
//   3. build one argument slot per parameter holding exactly the declared type: a VT_BYREF
//      argument of the declared by-reference type passes through, anything else is
//      converted into a temporary the slot points at; all before the member runs;
//   4. call the row's typed member, write converted by-reference values back into the
//      caller's variables, hand over the result, or turn a failure into EXCEPINFO.
#include <comrt/dispatch.h>
#include <comrt/error.h>
#include <comrt/oleauto.h>
#include <comrt/resource.h>

#include <array>
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

// Takes the interface pointer out of an object argument and queries it for the declared
// interface; a null reference (Nothing) stays null.
HRESULT query_object(const VARIANT* src, const type_ref& type, VARIANT* out) noexcept {
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
    return (type.vt & ~VT_BYREF) == VT_UI4 && type.name && std::u16string_view(type.name) == u"OLE_COLOR";
}

// Converts an argument into `out`, holding the declared type by value.
HRESULT convert(const VARIANT* arg, const type_ref& type, VARIANT* out) noexcept {
    const VARIANT* src = unwrap(arg);
    const VARTYPE want = type.vt & ~VT_BYREF;
    if (needs_query(type)) return query_object(src, type, out);
    // Hosts hold colours in signed 32-bit integers, system colours (0x80000005) as
    // negative numbers: an OLE_COLOR takes those 32 bits unchanged.
    if (is_ole_color(type) && (src->vt & ~VT_BYREF) == VT_I4) {
        out->vt = VT_UI4;
        out->ulVal = static_cast<ULONG>((src->vt & VT_BYREF) ? *src->plVal : src->lVal);
        return S_OK;
    }
    if ((src->vt & ~VT_BYREF) == want) return VariantCopyInd(out, src);
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
};

// Builds the slot for parameter p from argument arg (null: not given).
HRESULT prepare(const param_desc& p, VARIANT* arg, argument& out) noexcept {
    const VARTYPE declared = p.type.vt;
    const VARTYPE base = declared & ~VT_BYREF;
    out.slot.vt = declared;
    if (!arg || is_missing(*arg)) {
        if (!(p.flags & PARAMFLAG_FOPT)) return DISP_E_PARAMNOTOPTIONAL;
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
        if (arg->vt & VT_BYREF) out.write_back_to = arg;
        return S_OK;
    }
    const HRESULT hr = convert(arg, p.type, out.temp.get());
    if (FAILED(hr)) return hr;
    out.slot.llVal = out.temp->llVal;
    return S_OK;
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
        if (const char16_t* text = runtime_description(HRESULT_CODE(hr))) info->bstrDescription = Bstr(text).detach();
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
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    if (!self) return E_POINTER;
    if (!pDispParams || pDispParams->cNamedArgs > pDispParams->cArgs ||
        (pDispParams->cArgs && !pDispParams->rgvarg) || (pDispParams->cNamedArgs && !pDispParams->rgdispidNamedArgs))
        return E_INVALIDARG;
    if (pVarResult) VariantInit(pVarResult);

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
    auto fail_at = [&](HRESULT hr, long index) {
        if (puArgErr && index >= 0) *puArgErr = static_cast<UINT>(index);
        return hr;
    };
    if (is_put) {
        if (cArgs == 0) return DISP_E_BADPARAMCOUNT;
        for (UINT k = 0; k < cNamed && source[count - 1] < 0; ++k)
            if (pDispParams->rgdispidNamedArgs[k] == DISPID_PROPERTYPUT) source[count - 1] = static_cast<long>(k);
        if (source[count - 1] < 0) return DISP_E_PARAMNOTOPTIONAL;
    }
    const UINT positional = cArgs - cNamed;
    if (positional > positional_slots) return DISP_E_BADPARAMCOUNT;
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
    for (std::size_t i = 0; i < count; ++i) {
        if (!args[i].write_back_to) continue;
        const HRESULT written = write_back(args[i].write_back_to, args[i].temp);
        if (FAILED(written)) return fail_at(written, source[i]);
    }
    if (pVarResult) *pVarResult = result.detach();
    return S_OK;
} catch (...) {
    return to_hresult();
}

}  // namespace comrt
