// A small dual interface and its type description, for the dispatch, type information and
// dump tests. Slot 12 (put_Partner) exists in the vtable but is not described.
#pragma once

#include <comrt/dispatch.h>
#include <comrt/error.h>
#include <comrt/implements.h>
#include <comrt/resource.h>

struct _clsProbe : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_Label(BSTR* result) noexcept = 0;                      // 7
    virtual HRESULT STDMETHODCALLTYPE put_Label(BSTR value) noexcept = 0;                        // 8
    virtual HRESULT STDMETHODCALLTYPE get_Level(SHORT* result) noexcept = 0;                     // 9
    virtual HRESULT STDMETHODCALLTYPE put_Level(SHORT value) noexcept = 0;                       // 10
    virtual HRESULT STDMETHODCALLTYPE get_Partner(_clsProbe** result) noexcept = 0;              // 11
    virtual HRESULT STDMETHODCALLTYPE put_Partner(_clsProbe* value) noexcept = 0;                // 12
    virtual HRESULT STDMETHODCALLTYPE putref_Partner(_clsProbe* value) noexcept = 0;             // 13
    virtual HRESULT STDMETHODCALLTYPE get_Enabled(VARIANT_BOOL* result) noexcept = 0;            // 14
    virtual HRESULT STDMETHODCALLTYPE put_Enabled(VARIANT_BOOL value) noexcept = 0;              // 15
    virtual HRESULT STDMETHODCALLTYPE get_Tint(OLE_COLOR* result) noexcept = 0;                  // 16
    virtual HRESULT STDMETHODCALLTYPE Scale(SHORT nBy, LONG nTotal, LONG* result) noexcept = 0;  // 17
    virtual HRESULT STDMETHODCALLTYPE Swap(BSTR* sLeft, BSTR* sRight) noexcept = 0;              // 18
    virtual HRESULT STDMETHODCALLTYPE Bump(SHORT* nValue, LONG* nWide, VARIANT* vAny) noexcept = 0;  // 19
    virtual HRESULT STDMETHODCALLTYPE Describe(BSTR sName, VARIANT* vExtra, BSTR* result) noexcept = 0;  // 20
    virtual HRESULT STDMETHODCALLTYPE Fail(SHORT nMode) noexcept = 0;                            // 21
    virtual HRESULT STDMETHODCALLTYPE Names(SAFEARRAY** aNames, LONG* result) noexcept = 0;      // 22
};
COMRT_INTERFACE_ID(_clsProbe, "3F0D5D3E-2C71-4C8B-9E0A-6A1F2B3C4D5E");

// The event interface of the probe classes: a dispinterface without members.
struct __clsProbe : IDispatch {};
COMRT_INTERFACE_ID(__clsProbe, "3F0D5D3F-2C71-4C8B-9E0A-6A1F2B3C4D5E");

namespace probe {

inline constexpr DISPID kLabel = 0x40030000;
inline constexpr DISPID kLevel = 0x40030001;
inline constexpr DISPID kPartner = 0x40030002;
inline constexpr DISPID kEnabled = 0x40030003;
inline constexpr DISPID kTint = 0x40030004;
inline constexpr DISPID kScale = 0x60030000;
inline constexpr DISPID kSwap = 0x60030001;
inline constexpr DISPID kBump = 0x60030002;
inline constexpr DISPID kDescribe = 0x60030003;
inline constexpr DISPID kFail = 0x60030004;
inline constexpr DISPID kNames = 0x60030005;

inline constexpr comrt::member_desc kMembers[] = {
    comrt::prop_get<&_clsProbe::get_Label>(u"Label", kLabel),
    comrt::prop_put<&_clsProbe::put_Label>(u"Label", kLabel),
    comrt::prop_get<&_clsProbe::get_Level>(u"Level", kLevel),
    comrt::prop_put<&_clsProbe::put_Level>(u"Level", kLevel, {u"nLevel"}),
    comrt::prop_get<&_clsProbe::get_Partner>(u"Partner", kPartner),
    comrt::prop_putref<&_clsProbe::putref_Partner>(u"Partner", kPartner),
    comrt::prop_get<&_clsProbe::get_Enabled>(u"Enabled", kEnabled).result_as(comrt::vt_bool),
    comrt::prop_put<&_clsProbe::put_Enabled>(u"Enabled", kEnabled, {{u"rhs", comrt::vt_bool}}),
    comrt::prop_get<&_clsProbe::get_Tint>(u"Tint", kTint).result_as(comrt::ole_color).with_flags(FUNCFLAG_FHIDDEN),
    comrt::method<&_clsProbe::Scale>(u"Scale", kScale, {u"nBy", u"nTotal"}),
    comrt::method<&_clsProbe::Swap>(u"Swap", kSwap, {u"sLeft", u"sRight"}),
    comrt::method<&_clsProbe::Bump>(u"Bump", kBump, {u"nValue", u"nWide", u"vAny"}),
    comrt::method<&_clsProbe::Describe>(u"Describe", kDescribe, {u"sName", comrt::optional(u"vExtra")}),
    comrt::method<&_clsProbe::Fail>(u"Fail", kFail, {u"nMode"}),
    comrt::method<&_clsProbe::Names>(u"Names", kNames, {{u"aNames", comrt::array_of(VT_BSTR)}}),
};

inline constexpr comrt::interface_desc kProbeItf{IID__clsProbe, u"_clsProbe", comrt::dual_interface, kMembers};
inline constexpr comrt::interface_desc kEventsItf{IID___clsProbe, u"__clsProbe", TYPEFLAG_FHIDDEN, {},
                                                  TKIND_DISPATCH};
inline constexpr const comrt::interface_desc* kInterfaces[] = {&kProbeItf, &kEventsItf};
inline constexpr comrt::class_desc kClasses[] = {
    {comrt::make_guid("3F0D5D40-2C71-4C8B-9E0A-6A1F2B3C4D5E"), u"clsProbe", TYPEFLAG_FCANCREATE, &kProbeItf},
    {comrt::make_guid("3F0D5D41-2C71-4C8B-9E0A-6A1F2B3C4D5E"), u"ctlProbe", TYPEFLAG_FCANCREATE | TYPEFLAG_FCONTROL,
     &kProbeItf, &kEventsItf},
};
inline constexpr comrt::type_library kLibrary{comrt::make_guid("3F0D5D42-2C71-4C8B-9E0A-6A1F2B3C4D5E"),
                                              u"ProbeLib", 2, 5, LIBFLAG_FCONTROL, kInterfaces, kClasses};
static_assert(comrt::well_formed(kLibrary));

}  // namespace probe
