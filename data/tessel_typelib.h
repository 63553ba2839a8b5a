// The Tessel type library as compile-time data: library id and version, both classes,
// both dual interfaces with their members in slot order, dispatch ids and parameter
// names. IDispatch, the library's ITypeLib and registration are all generated from it.
#pragma once

#include <comrt/typedesc.h>
#include <tessel/tessel.h>

namespace tessel {

inline constexpr comrt::member_desc kPropertyItemMembers[] = {
    comrt::prop_get<&_clsPropertyItem::get_ItemName>(u"ItemName", 0x40030000),
    comrt::prop_put<&_clsPropertyItem::put_ItemName>(u"ItemName", 0x40030000),
    comrt::prop_get<&_clsPropertyItem::get_ItemValue>(u"ItemValue", 0x40030001),
    comrt::prop_put<&_clsPropertyItem::put_ItemValue>(u"ItemValue", 0x40030001),
    comrt::prop_get<&_clsPropertyItem::get_ItemType>(u"ItemType", 0x40030002),
    comrt::prop_put<&_clsPropertyItem::put_ItemType>(u"ItemType", 0x40030002),
    comrt::method<&_clsPropertyItem::SetValueCmb>(u"SetValueCmb", 0x60030000,
                                                  {{u"ValuesArray", comrt::array_of(VT_BSTR)}}),
    comrt::method<&_clsPropertyItem::GetItem>(u"GetItem", 0x60030001, {u"nIndex"}),
    comrt::method<&_clsPropertyItem::Count>(u"Count", 0x60030002),
};

// Slot 4 (put_ItemsCollection, by value) is deliberately not described: late-bound
// callers reach ItemsCollection's put by reference only.
inline constexpr comrt::member_desc kTesselMembers[] = {
    comrt::prop_get<&_clsTessel::get_PropertyGroupName>(u"PropertyGroupName", 0x40030000),
    comrt::prop_put<&_clsTessel::put_PropertyGroupName>(u"PropertyGroupName", 0x40030000),
    comrt::prop_get<&_clsTessel::get_ItemsCollection>(u"ItemsCollection", 0x40030001),
    comrt::prop_putref<&_clsTessel::putref_ItemsCollection>(u"ItemsCollection", 0x40030001),
    comrt::method<&_clsTessel::AddItem>(u"AddItem", 0x60030000,
                                        {u"sName", u"sValue", u"nType", {u"oValues", comrt::array_of(VT_BSTR)}}),
    comrt::method<&_clsTessel::Clear>(u"Clear", 0x60030001),
};

inline constexpr comrt::interface_desc kPropertyItemInterface{IID__clsPropertyItem, u"_clsPropertyItem",
                                                              comrt::dual_interface, kPropertyItemMembers};
inline constexpr comrt::interface_desc kTesselInterface{IID__clsTessel, u"_clsTessel", comrt::dual_interface,
                                                        kTesselMembers};

inline constexpr const comrt::interface_desc* kInterfaces[] = {&kPropertyItemInterface, &kTesselInterface};

inline constexpr comrt::class_desc kClasses[] = {
    {CLSID_clsPropertyItem, u"clsPropertyItem", TYPEFLAG_FCANCREATE, &kPropertyItemInterface},
    {CLSID_clsTessel, u"clsTessel", TYPEFLAG_FCANCREATE, &kTesselInterface},
};

inline constexpr comrt::type_library kTesselLib{
    LIBID_Tessel, u"Tessel", Tessel_MajorVersion, Tessel_MinorVersion, 0, kInterfaces, kClasses};
static_assert(comrt::well_formed(kTesselLib));

}  // namespace tessel
