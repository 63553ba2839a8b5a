// Type descriptions: a library's type library as compile-time data.
//
// One description per library is the single source of truth for IDispatch (GetIDsOfNames,
// Invoke, GetTypeInfo), for the library's ITypeLib, for registration and for the dump
// tool. Members are rows built from member-function pointers, so parameter types are
// deduced and checked by the compiler and Invoke calls the member through the interface
// (a virtual call: the very member a vtable caller reaches).
//
//     inline constexpr comrt::member_desc kItemMembers[] = {
//         comrt::prop_get<&_clsItem::get_Name>(OLESTR("Name"), 0x40030000),
//         comrt::prop_put<&_clsItem::put_Name>(OLESTR("Name"), 0x40030000),
//         comrt::prop_get<&_clsItem::get_Color>(OLESTR("Color"), 0x40030001).result_as(comrt::ole_color),
//         comrt::method<&_clsItem::SetList>(OLESTR("SetList"), 0x60030000,
//                                           {{OLESTR("aValues"), comrt::array_of(VT_BSTR)}}),
//         comrt::method<&_clsItem::Find>(OLESTR("Find"), 0x60030001,          // Find(BSTR*, VARIANT*, LONG*)
//                                        {OLESTR("sName"), comrt::optional(OLESTR("vStart"))}),  // LONG* = result
//     };
//     inline constexpr comrt::interface_desc kItemItf{IID__clsItem, OLESTR("_clsItem"),
//                                                     comrt::dual_interface, kItemMembers};
//     inline constexpr const comrt::interface_desc* kInterfaces[] = {&kItemItf};
//     inline constexpr comrt::class_desc kClasses[] = {
//         {CLSID_clsItem, OLESTR("clsItem"), TYPEFLAG_FCANCREATE, &kItemItf},
//         // with an event interface (listed in kInterfaces too):
//         // {CLSID_ctlItem, OLESTR("ctlItem"), TYPEFLAG_FCANCREATE | TYPEFLAG_FCONTROL, &kItemItf, &kEventsItf},
//     };
//     inline constexpr comrt::type_library kLib{LIBID_Lib, OLESTR("Lib"), 1, 0, 0, kInterfaces, kClasses};
//     static_assert(comrt::well_formed(kLib));
//
// Rows:
//   method<&I::M>(name, dispid [, {params}])   every parameter named: no result; all but the
//                                             last named: the last (a pointer) is [out, retval]
//   prop_get<&I::get_P>(name, dispid [, {params}])        the last parameter is [out, retval]
//   prop_put<&I::put_P>(name, dispid [, {params}])        the last parameter is the value
//   prop_putref<&I::putref_P>(name, dispid [, {params}])  (named "rhs" unless given)
// Parameter types: SHORT -> VT_I2, LONG -> VT_I4, ULONG -> VT_UI4, BYTE, USHORT, LONGLONG,
// ULONGLONG, float, double, CY, BSTR, VARIANT, SAFEARRAY* -> VT_ARRAY|element (VARIANT
// unless array_of says), an interface pointer -> VT_DISPATCH / VT_UNKNOWN with its name,
// T* -> VT_BYREF|T ([in, out]); VARIANT* is [in]. Types the compiler cannot tell apart
// are named in the row: vt_bool (VARIANT_BOOL is a SHORT), vt_date, ole_color (a ULONG
// shown as the alias OLE_COLOR). optional(...) marks an [in, optional] VARIANT parameter:
// a missing argument arrives as VT_ERROR / DISP_E_PARAMNOTFOUND.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <span>
#include <tuple>
#include <type_traits>
#include <utility>

#include <comrt/typeinfo.h>

namespace comrt {

// DllGetClassObject(CLSID_TypeLib, IID_ITypeLib, &p) hands out a library's ITypeLib.
inline constexpr CLSID CLSID_TypeLib = make_guid("7184E788-8A99-4ED8-BCD9-C71C417DDC52");

enum class member_kind : std::uint8_t {
    method = INVOKE_FUNC,
    get = INVOKE_PROPERTYGET,
    put = INVOKE_PROPERTYPUT,
    putref = INVOKE_PROPERTYPUTREF,
};

// An automation type: vt with VT_BYREF / VT_ARRAY modifiers (SAFEARRAY(BSTR)* is
// VT_BYREF|VT_ARRAY|VT_BSTR); for interface pointers the interface id and name; for
// an alias (OLE_COLOR) the alias name.
struct type_ref {
    VARTYPE vt = VT_EMPTY;
    const IID* iid = nullptr;
    const OLECHAR* name = nullptr;
};

struct param_desc {
    const OLECHAR* name = nullptr;
    type_ref type{};
    USHORT flags = 0;  // PARAMFLAG_*
};

inline constexpr std::size_t max_params = 8;

// Calls the member on `self` (a pointer to the declaring interface) with args[0..n) in
// declaration order, each holding exactly the declared type (by-reference parameters as
// VT_BYREF pointers); a result is written into *result's value (vt is left to the caller).
using invoke_fn = HRESULT (*)(void* self, VARIANT* args, VARIANT* result);
// The member's vtable slot (0 is QueryInterface), -1 for a non-virtual member.
using slot_fn = int (*)() noexcept;

// How a row names a type the compiler cannot tell apart from another one.
struct type_hint {
    VARTYPE as = VT_EMPTY;            // replaces the deduced type by one of the same size
    VARTYPE element = VT_EMPTY;       // element type of a SAFEARRAY
    const OLECHAR* alias = nullptr;  // user-defined alias shown for the type
};
inline constexpr type_hint vt_bool{VT_BOOL, VT_EMPTY, nullptr};
inline constexpr type_hint vt_date{VT_DATE, VT_EMPTY, nullptr};
inline constexpr type_hint vt_error{VT_ERROR, VT_EMPTY, nullptr};
inline constexpr type_hint ole_color{VT_EMPTY, VT_EMPTY, OLESTR("OLE_COLOR")};
constexpr type_hint array_of(VARTYPE element) { return {VT_EMPTY, element, nullptr}; }

// One parameter of a row: its name, and how to read its type.
struct param {
    const OLECHAR* name = nullptr;
    type_hint type{};
    bool is_optional = false;
    constexpr param(const OLECHAR* n) : name(n) {}
    constexpr param(const OLECHAR* n, type_hint t) : name(n), type(t) {}
};
constexpr param optional(const OLECHAR* name) {
    param p(name);
    p.is_optional = true;
    return p;
}

namespace detail {
constexpr type_ref apply(type_ref t, type_hint s);
}

// One member: one row of an interface's description.
struct member_desc {
    const OLECHAR* name = nullptr;
    DISPID id = DISPID_UNKNOWN;
    member_kind kind = member_kind::method;
    USHORT flags = 0;  // FUNCFLAG_*
    std::uint8_t param_count = 0;  // without the result
    bool has_result = false;
    std::array<param_desc, max_params> params{};
    param_desc result{};
    invoke_fn invoke = nullptr;
    slot_fn slot = nullptr;

    constexpr member_desc with_flags(USHORT f) const {
        member_desc m = *this;
        m.flags = f;
        return m;
    }
    // Names the result's type where deduction cannot (vt_bool, ole_color, array_of).
    constexpr member_desc result_as(type_hint s) const {
        if (!has_result) throw "result_as on a row without a result";
        member_desc m = *this;
        m.result.type = detail::apply(m.result.type, s);
        return m;
    }
    std::span<const param_desc> parameters() const noexcept { return {params.data(), param_count}; }
};

// TYPEFLAG_* of the dual interfaces the libraries expose.
inline constexpr USHORT dual_interface =
    TYPEFLAG_FHIDDEN | TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE | TYPEFLAG_FOLEAUTOMATION;

// Who defines an interface's id: the library itself, or the system (an interface a library
// implements and declares so that its members can name it, whose registry keys belong to
// the system: registration neither writes nor removes them).
enum class interface_owner : std::uint8_t { library, system };

struct interface_desc {
    IID iid;
    const OLECHAR* name;
    USHORT flags;  // TYPEFLAG_*: FDUAL, FHIDDEN, FNONEXTENSIBLE, FOLEAUTOMATION, ...
    std::span<const member_desc> members;  // in slot order; undescribed slots are skipped
    TYPEKIND kind = TKIND_INTERFACE;       // TKIND_DISPATCH for a pure dispinterface
    const IID* base = &IID_IDispatch;
    const OLECHAR* base_name = OLESTR("IDispatch");
    interface_owner owner = interface_owner::library;

    constexpr interface_desc owned_by_system() const {
        interface_desc d = *this;
        d.owner = interface_owner::system;
        return d;
    }
};

// A class: its interfaces are named by pointers to their descriptions, which the library
// must list; the class keeps their ids.
struct class_desc {
    CLSID clsid;
    const OLECHAR* name;
    USHORT flags;                      // TYPEFLAG_*: FCANCREATE, FCONTROL, ...
    IID default_interface;
    IID source_interface{};            // the event interface; GUID_NULL when there is none
    const OLECHAR* threading_model = OLESTR("Apartment");
    DWORD misc_status = 0;             // a control's OLEMISC_* flags (TYPEFLAG_FCONTROL)

    constexpr class_desc(const CLSID& id, const OLECHAR* n, USHORT f, const interface_desc* default_itf)
        : clsid(id), name(n), flags(f), default_interface(default_itf->iid) {}
    constexpr class_desc(const CLSID& id, const OLECHAR* n, USHORT f, const interface_desc* default_itf,
                         const interface_desc* source_itf)
        : clsid(id), name(n), flags(f), default_interface(default_itf->iid), source_interface(source_itf->iid) {}
    constexpr class_desc with_threading_model(const OLECHAR* model) const {
        class_desc c = *this;
        c.threading_model = model;
        return c;
    }
    // A control, with the status flags its IOleObject::GetMiscStatus gives.
    constexpr class_desc as_control(DWORD misc) const {
        class_desc c = *this;
        c.flags |= TYPEFLAG_FCONTROL;
        c.misc_status = misc;
        return c;
    }
};

struct type_library {
    GUID libid;
    const OLECHAR* name;
    WORD major;
    WORD minor;
    WORD flags;  // LIBFLAG_*: FCONTROL, ...
    std::span<const interface_desc* const> interfaces;
    std::span<const class_desc> classes;
};

// The position of the interface iid in lib.interfaces; lib.interfaces.size() if absent.
// (Compile-time code compares indexes and ids, never the addresses of descriptions: the
// undefined-behaviour sanitizer makes such comparisons non-constant.)
constexpr std::size_t interface_index(const type_library& lib, const IID& iid) {
    for (std::size_t i = 0; i < lib.interfaces.size(); ++i)
        if (same_guid(lib.interfaces[i]->iid, iid)) return i;
    return lib.interfaces.size();
}

// ---- deduction --------------------------------------------------------------------------
namespace detail {

template <typename T>
constexpr VARTYPE scalar_vt() {
    if constexpr (std::is_same_v<T, SHORT>) return VT_I2;
    else if constexpr (std::is_same_v<T, LONG>) return VT_I4;
    else if constexpr (std::is_same_v<T, LONGLONG>) return VT_I8;
    else if constexpr (std::is_same_v<T, CHAR>) return VT_I1;
    else if constexpr (std::is_same_v<T, BYTE>) return VT_UI1;
    else if constexpr (std::is_same_v<T, USHORT>) return VT_UI2;
    else if constexpr (std::is_same_v<T, ULONG>) return VT_UI4;
    else if constexpr (std::is_same_v<T, ULONGLONG>) return VT_UI8;
    else if constexpr (std::is_same_v<T, FLOAT>) return VT_R4;
    else if constexpr (std::is_same_v<T, DOUBLE>) return VT_R8;
    else if constexpr (std::is_same_v<T, CY>) return VT_CY;
    else if constexpr (std::is_same_v<T, VARIANT>) return VT_VARIANT;
    else return VT_EMPTY;
}

template <typename T>
constexpr type_ref type_of() {
    using U = std::remove_cv_t<T>;
    if constexpr (std::is_same_v<U, BSTR>) {
        return {VT_BSTR, nullptr, nullptr};
    } else if constexpr (std::is_same_v<U, SAFEARRAY*>) {
        return {VT_ARRAY | VT_VARIANT, nullptr, nullptr};
    } else if constexpr (std::is_pointer_v<U> && std::is_base_of_v<IUnknown, std::remove_pointer_t<U>>) {
        using I = std::remove_cv_t<std::remove_pointer_t<U>>;
        constexpr VARTYPE vt = std::is_base_of_v<IDispatch, I> ? VT_DISPATCH : VT_UNKNOWN;
        return {vt, &interface_id<I>::value, interface_id<I>::name};
    } else if constexpr (std::is_pointer_v<U>) {
        type_ref pointee = type_of<std::remove_pointer_t<U>>();
        if (pointee.vt & VT_BYREF) throw "a parameter may be by reference once only";
        pointee.vt = static_cast<VARTYPE>(pointee.vt | VT_BYREF);
        return pointee;
    } else {
        static_assert(scalar_vt<U>() != VT_EMPTY, "parameter type without an automation type");
        return {scalar_vt<U>(), nullptr, nullptr};
    }
}

constexpr int size_of_vt(VARTYPE vt) {
    switch (vt) {
    case VT_I1: case VT_UI1: return 1;
    case VT_I2: case VT_UI2: case VT_BOOL: return 2;
    case VT_I4: case VT_UI4: case VT_R4: case VT_ERROR: case VT_INT: case VT_UINT: case VT_HRESULT: return 4;
    case VT_I8: case VT_UI8: case VT_R8: case VT_CY: case VT_DATE: return 8;
    default: return 0;
    }
}

constexpr type_ref apply(type_ref t, type_hint s) {
    const VARTYPE modifiers = t.vt & (VT_BYREF | VT_ARRAY);
    VARTYPE base = t.vt & VT_TYPEMASK;
    if (s.as != VT_EMPTY) {
        if ((modifiers & VT_ARRAY) || size_of_vt(base) == 0 || size_of_vt(base) != size_of_vt(s.as))
            throw "a type override needs a scalar of the same size";
        base = s.as;
    }
    if (s.element != VT_EMPTY) {
        if (!(modifiers & VT_ARRAY)) throw "array_of names the element type of a SAFEARRAY only";
        base = s.element;
    }
    if (s.alias) t.name = s.alias;
    t.vt = static_cast<VARTYPE>(modifiers | base);
    return t;
}

template <typename F>
struct member_traits;
template <typename C, typename... A>
struct member_traits<HRESULT (C::*)(A...) noexcept> {
    using cls = C;
    using args = std::tuple<A...>;
    static constexpr std::size_t arity = sizeof...(A);
    static constexpr std::array<type_ref, sizeof...(A)> types() { return {type_of<A>()...}; }
};
template <typename C, typename... A>
struct member_traits<HRESULT (C::*)(A...)> : member_traits<HRESULT (C::*)(A...) noexcept> {};

// Reads an argument of C++ type T out of a VARIANT that holds exactly its declared type.
template <typename T>
T from_arg(VARIANT& v) noexcept {
    if constexpr (std::is_same_v<T, VARIANT>) {
        return v;
    } else if constexpr (std::is_pointer_v<T>) {
        return static_cast<T>(v.byref);
    } else {
        T value;
        std::memcpy(&value, &v.llVal, sizeof(T));
        return value;
    }
}

// Writes a result of C++ type R into the value part of a VARIANT (a VARIANT whole).
template <typename R>
void to_result(VARIANT& out, R& value) noexcept {
    if constexpr (std::is_same_v<R, VARIANT>) {
        out = value;
    } else if constexpr (std::is_pointer_v<R>) {
        out.byref = const_cast<void*>(static_cast<const void*>(value));
    } else {
        std::memcpy(&out.llVal, &value, sizeof(R));
    }
}

template <auto Fn, bool HasResult, std::size_t... Is>
HRESULT call_member(void* self, VARIANT* args, VARIANT* result, std::index_sequence<Is...>) {
    using traits = member_traits<decltype(Fn)>;
    using args_t = typename traits::args;
    auto* object = static_cast<typename traits::cls*>(self);
    if constexpr (HasResult) {
        using R = std::remove_pointer_t<std::tuple_element_t<traits::arity - 1, args_t>>;
        R value{};
        const HRESULT hr = (object->*Fn)(from_arg<std::tuple_element_t<Is, args_t>>(args[Is])..., &value);
        to_result(*result, value);
        return hr;
    } else {
        (void)result;
        return (object->*Fn)(from_arg<std::tuple_element_t<Is, args_t>>(args[Is])...);
    }
}

template <auto Fn, bool HasResult>
HRESULT invoke_member(void* self, VARIANT* args, VARIANT* result) {
    constexpr std::size_t n = member_traits<decltype(Fn)>::arity - (HasResult ? 1 : 0);
    return call_member<Fn, HasResult>(self, args, result, std::make_index_sequence<n>());
}

// Itanium C++ ABI: a pointer to a virtual member holds 1 + the slot's byte offset.
template <auto Fn>
int vtable_slot() noexcept {
    struct representation {
        std::uintptr_t ptr;
        std::ptrdiff_t adj;
    };
    static_assert(sizeof(Fn) == sizeof(representation));
    representation r;
    const auto fn = Fn;
    std::memcpy(&r, &fn, sizeof r);
    if ((r.ptr & 1) == 0) return -1;
    return static_cast<int>((r.ptr - 1) / sizeof(void*));
}

template <auto Fn, member_kind Kind, std::size_t N>
constexpr member_desc make_row(const OLECHAR* name, DISPID id, const param* params) {
    using traits = member_traits<decltype(Fn)>;
    constexpr std::size_t arity = traits::arity;
    constexpr bool has_result = Kind == member_kind::get || (Kind == member_kind::method && N + 1 == arity);
    static_assert(Kind != member_kind::method || N == arity || N + 1 == arity,
                  "a method row names every parameter, or every one but the [out, retval] result");
    static_assert(Kind != member_kind::get || N + 1 == arity,
                  "a get row names every parameter but the [out, retval] result");
    static_assert((Kind != member_kind::put && Kind != member_kind::putref) ||
                      (arity >= 1 && (N == arity || (N == 0 && arity == 1))),
                  "a put row takes a value and names every parameter, or none for the value alone");
    constexpr std::size_t count = has_result ? arity - 1 : arity;
    static_assert(count <= max_params, "too many parameters");

    const std::array<type_ref, arity> types = traits::types();
    member_desc m;
    m.name = name;
    m.id = id;
    m.kind = Kind;
    m.param_count = static_cast<std::uint8_t>(count);
    m.has_result = has_result;
    for (std::size_t i = 0; i < count; ++i) {
        param_desc& p = m.params[i];
        const type_ref deduced = types[i];
        p.name = N ? params[i].name : OLESTR("rhs");
        p.type = N ? apply(deduced, params[i].type) : deduced;
        const bool by_ref = (deduced.vt & VT_BYREF) && deduced.vt != (VT_BYREF | VT_VARIANT);
        p.flags = static_cast<USHORT>(PARAMFLAG_FIN | (by_ref ? PARAMFLAG_FOUT : 0));
        if (N && params[i].is_optional) {
            if ((p.type.vt & ~VT_BYREF) != VT_VARIANT) throw "only VARIANT parameters can be optional";
            p.flags |= PARAMFLAG_FOPT;
        }
    }
    for (std::size_t i = 1; i < count; ++i)
        if ((m.params[i - 1].flags & PARAMFLAG_FOPT) && !(m.params[i].flags & PARAMFLAG_FOPT))
            throw "optional parameters come last";
    if constexpr (has_result) {
        static_assert(std::is_pointer_v<std::tuple_element_t<arity - 1, typename traits::args>>,
                      "the result parameter is a pointer");
        type_ref r = types[arity - 1];
        r.vt = static_cast<VARTYPE>(r.vt & ~VT_BYREF);
        m.result = {nullptr, r, PARAMFLAG_FOUT | PARAMFLAG_FRETVAL};
    }
    m.invoke = &invoke_member<Fn, has_result>;
    m.slot = &vtable_slot<Fn>;
    return m;
}

}  // namespace detail

// ---- rows -------------------------------------------------------------------------------
template <auto Fn, std::size_t N>
constexpr member_desc method(const OLECHAR* name, DISPID id, const param (&params)[N]) {
    return detail::make_row<Fn, member_kind::method, N>(name, id, params);
}
template <auto Fn>
constexpr member_desc method(const OLECHAR* name, DISPID id) {
    return detail::make_row<Fn, member_kind::method, 0>(name, id, nullptr);
}
template <auto Fn, std::size_t N>
constexpr member_desc prop_get(const OLECHAR* name, DISPID id, const param (&params)[N]) {
    return detail::make_row<Fn, member_kind::get, N>(name, id, params);
}
template <auto Fn>
constexpr member_desc prop_get(const OLECHAR* name, DISPID id) {
    return detail::make_row<Fn, member_kind::get, 0>(name, id, nullptr);
}
template <auto Fn, std::size_t N>
constexpr member_desc prop_put(const OLECHAR* name, DISPID id, const param (&params)[N]) {
    return detail::make_row<Fn, member_kind::put, N>(name, id, params);
}
template <auto Fn>
constexpr member_desc prop_put(const OLECHAR* name, DISPID id) {
    return detail::make_row<Fn, member_kind::put, 0>(name, id, nullptr);
}
template <auto Fn, std::size_t N>
constexpr member_desc prop_putref(const OLECHAR* name, DISPID id, const param (&params)[N]) {
    return detail::make_row<Fn, member_kind::putref, N>(name, id, params);
}
template <auto Fn>
constexpr member_desc prop_putref(const OLECHAR* name, DISPID id) {
    return detail::make_row<Fn, member_kind::putref, 0>(name, id, nullptr);
}

// ---- checks -------------------------------------------------------------------------------
namespace detail {
constexpr bool same_name(const OLECHAR* a, const OLECHAR* b) {
    auto fold = [](OLECHAR c) { return c >= 'a' && c <= 'z' ? static_cast<OLECHAR>(c - 32) : c; };
    for (; *a && *b; ++a, ++b)
        if (fold(*a) != fold(*b)) return false;
    return *a == *b;
}
}  // namespace detail

// True when the description is consistent: names set; each dispatch id has one name and
// at most one row of each kind; a name has one dispatch id; every interface of a class
// is listed in the library. Meant for static_assert (a null interface pointer in the
// lists stops compilation there).
constexpr bool well_formed(const type_library& lib) {
    if (!lib.name) return false;
    for (const interface_desc* itf : lib.interfaces) {
        if (!itf->name) return false;
        for (std::size_t i = 0; i < itf->members.size(); ++i) {
            const member_desc& a = itf->members[i];
            if (!a.name) return false;
            for (std::size_t j = 0; j < i; ++j) {
                const member_desc& b = itf->members[j];
                const bool same_id = a.id == b.id;
                const bool same_name = detail::same_name(a.name, b.name);
                if (same_id != same_name) return false;
                if (same_id && a.kind == b.kind) return false;
            }
        }
    }
    const std::size_t absent = lib.interfaces.size();
    for (const class_desc& c : lib.classes) {
        if (!c.name || interface_index(lib, c.default_interface) == absent) return false;
        if (!same_guid(c.source_interface, GUID{}) && interface_index(lib, c.source_interface) == absent) return false;
    }
    return true;
}

}  // namespace comrt
