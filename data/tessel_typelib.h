// The Tessel type library as compile-time data: library id and version, both classes,
// both dual interfaces with their members in slot order, dispatch ids and parameter
// names. IDispatch, the library's ITypeLib and registration are all generated from it.
#pragma once

#include <comrt/typedesc.h>
#include <tessel/tessel.h>

namespace tessel {

inline constexpr comrt::member_desc kPropertyItemMembers[] = {
    comrt::prop_get<&_clsPropertyItem::get_ItemName>(OLESTR("ItemName"), 0x40030000),
    comrt::prop_put<&_clsPropertyItem::put_ItemName>(OLESTR("ItemName"), 0x40030000),
    comrt::prop_get<&_clsPropertyItem::get_ItemValue>(OLESTR("ItemValue"), 0x40030001),
    comrt::prop_put<&_clsPropertyItem::put_ItemValue>(OLESTR("ItemValue"), 0x40030001),
    comrt::prop_get<&_clsPropertyItem::get_ItemType>(OLESTR("ItemType"), 0x40030002),
    comrt::prop_put<&_clsPropertyItem::put_ItemType>(OLESTR("ItemType"), 0x40030002),
    comrt::method<&_clsPropertyItem::SetValueCmb>(OLESTR("SetValueCmb"), 0x60030000,
                                                  {{OLESTR("ValuesArray"), comrt::array_of(VT_BSTR)}}),
    comrt::method<&_clsPropertyItem::GetItem>(OLESTR("GetItem"), 0x60030001, {OLESTR("nIndex")}),
    comrt::method<&_clsPropertyItem::Count>(OLESTR("Count"), 0x60030002),
};

// Slot 4 (put_ItemsCollection, by value) is deliberately not described: late-bound
// callers reach ItemsCollection's put by reference only.
inline constexpr comrt::member_desc kTesselMembers[] = {
    comrt::prop_get<&_clsTessel::get_PropertyGroupName>(OLESTR("PropertyGroupName"), 0x40030000),
    comrt::prop_put<&_clsTessel::put_PropertyGroupName>(OLESTR("PropertyGroupName"), 0x40030000),
    comrt::prop_get<&_clsTessel::get_ItemsCollection>(OLESTR("ItemsCollection"), 0x40030001),
    comrt::prop_putref<&_clsTessel::putref_ItemsCollection>(OLESTR("ItemsCollection"), 0x40030001),
    comrt::method<&_clsTessel::AddItem>(OLESTR("AddItem"), 0x60030000,
                                        {OLESTR("sName"), OLESTR("sValue"), OLESTR("nType"),
                                         {OLESTR("oValues"), comrt::array_of(VT_BSTR)}}),
    comrt::method<&_clsTessel::Clear>(OLESTR("Clear"), 0x60030001),
};

inline constexpr comrt::interface_desc kPropertyItemInterface{IID__clsPropertyItem, OLESTR("_clsPropertyItem"),
                                                              comrt::dual_interface, kPropertyItemMembers};
inline constexpr comrt::interface_desc kTesselInterface{IID__clsTessel, OLESTR("_clsTessel"), comrt::dual_interface,
                                                        kTesselMembers};

inline constexpr const comrt::interface_desc* kInterfaces[] = {&kPropertyItemInterface, &kTesselInterface};

inline constexpr comrt::class_desc kClasses[] = {
    {CLSID_clsPropertyItem, OLESTR("clsPropertyItem"), TYPEFLAG_FCANCREATE, &kPropertyItemInterface},
    {CLSID_clsTessel, OLESTR("clsTessel"), TYPEFLAG_FCANCREATE, &kTesselInterface},
};

inline constexpr comrt::type_library kTesselLib{
    LIBID_Tessel, OLESTR("Tessel"), Tessel_MajorVersion, Tessel_MinorVersion, 0, kInterfaces, kClasses};
static_assert(comrt::well_formed(kTesselLib));

}  // namespace tessel
