// The type description of comrt's own library "Comrt" (version 1.0): the object
// collection class and its dual interface _Collection. IDispatch of the collection is
// generated from it. Internal to comrt.
#pragma once

#include <comrt/collection.h>
#include <comrt/typedesc.h>

namespace comrt {

inline constexpr GUID LIBID_Comrt = make_guid("DEE1A6CB-856D-44D2-9BEA-8F7FD29DA75C");

// Dispatch ids of _Collection.
inline constexpr DISPID kCollectionItem = DISPID_VALUE;  // the default member
inline constexpr DISPID kCollectionAdd = 1;
inline constexpr DISPID kCollectionCount = 2;
inline constexpr DISPID kCollectionRemove = 3;

inline constexpr member_desc kCollectionMembers[] = {
    method<&_Collection::Item>(u"Item", kCollectionItem, {u"Index"}),
    method<&_Collection::Add>(u"Add", kCollectionAdd,
                              {u"Item", optional(u"Key"), optional(u"Before"), optional(u"After")}),
    method<&_Collection::Count>(u"Count", kCollectionCount),
    method<&_Collection::Remove>(u"Remove", kCollectionRemove, {u"Index"}),
    method<&_Collection::_NewEnum>(u"_NewEnum", DISPID_NEWENUM).with_flags(FUNCFLAG_FRESTRICTED),
};

inline constexpr interface_desc kCollectionInterface{IID__Collection, u"_Collection", dual_interface,
                                                     kCollectionMembers};

inline constexpr const interface_desc* kComrtInterfaces[] = {&kCollectionInterface};
inline constexpr class_desc kComrtClasses[] = {
    {CLSID_Collection, u"Collection", TYPEFLAG_FCANCREATE, &kCollectionInterface},
};

inline constexpr type_library kComrtLib{LIBID_Comrt, u"Comrt", 1, 0, 0, kComrtInterfaces, kComrtClasses};
static_assert(well_formed(kComrtLib));

}  // namespace comrt
