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
    method<&_Collection::Item>(OLESTR("Item"), kCollectionItem, {OLESTR("Index")}),
    method<&_Collection::Add>(OLESTR("Add"), kCollectionAdd,
                              {OLESTR("Item"), optional(OLESTR("Key")), optional(OLESTR("Before")), optional(OLESTR("After"))}),
    method<&_Collection::Count>(OLESTR("Count"), kCollectionCount),
    method<&_Collection::Remove>(OLESTR("Remove"), kCollectionRemove, {OLESTR("Index")}),
    method<&_Collection::_NewEnum>(OLESTR("_NewEnum"), DISPID_NEWENUM).with_flags(FUNCFLAG_FRESTRICTED),
};

// The collection interface's id is the system's: its registry keys are not ours to write.
inline constexpr interface_desc kCollectionInterface =
    interface_desc{IID__Collection, OLESTR("_Collection"), dual_interface, kCollectionMembers}.owned_by_system();

inline constexpr const interface_desc* kComrtInterfaces[] = {&kCollectionInterface};
inline constexpr class_desc kComrtClasses[] = {
    {CLSID_Collection, OLESTR("Collection"), TYPEFLAG_FCANCREATE, &kCollectionInterface},
};

inline constexpr type_library kComrtLib{LIBID_Comrt, OLESTR("Comrt"), 1, 0, 0, kComrtInterfaces, kComrtClasses};
static_assert(well_formed(kComrtLib));

}  // namespace comrt
