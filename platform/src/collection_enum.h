// The collection's enumerator (IEnumVARIANT), for _NewEnum. Internal to comrt.
#pragma once

#include <comrt/collection.h>
#include <comrt/com_ptr.h>

namespace comrt::detail {

// A new enumerator at the front of `source`; it holds a reference to the collection and
// reads it through Count and Item, so it sees the collection as it is at each call.
ComPtr<IEnumVARIANT> make_collection_enum(ComPtr<_Collection> source);

}  // namespace comrt::detail
