// Access to the platform's object collection (1-based positions, counted references)
// and to the Tessel objects held in it, as the control's steps use them. Every
// function lets a failure of the collection or the object pass through unchanged
// (comrt::com_error).
#pragma once

#include <cstdint>

#include <comrt/collection.h>
#include <comrt/com_ptr.h>
#include <comrt/resource.h>
#include <tessel/tessel.h>

namespace orvane {

// A new, empty collection.
comrt::ComPtr<_Collection> NewCollection();

// The collection's Count (32-bit).
std::int32_t CollectionCount(_Collection& collection);

// Appends object at the end (Add with the item only: no key, no before or after).
void CollectionAdd(_Collection& collection, IDispatch* object);

// Removes the element at position (1-based; callers form 16-bit positions themselves).
void CollectionRemove(_Collection& collection, std::int32_t position);

// The element at position as interface I: the collection's own index error for a
// position outside 1 to Count; the type-mismatch error (13) for an element that is not
// an object supporting I.
comrt::ComPtr<IDispatch> CollectionItem(_Collection& collection, std::int32_t position);
template <typename I>
comrt::ComPtr<I> CollectionItemAs(_Collection& collection, std::int32_t position);

// The group's ItemsCollection (never null: the group creates it on first use).
comrt::ComPtr<_Collection> ItemsCollectionOf(_clsTessel& group);

// The item type code of an item edited with the drop-down list of its choices; every
// other code is a free-text item.
inline constexpr SHORT kDropDownItemType = tessel::kDropDownItem;
// The item's ItemType.
SHORT ItemTypeOf(_clsPropertyItem& item);

// Raises the type-mismatch error (13) with the control's source.
[[noreturn]] void RaiseTypeMismatch();

template <typename I>
comrt::ComPtr<I> CollectionItemAs(_Collection& collection, std::int32_t position) {
    comrt::ComPtr<I> object = CollectionItem(collection, position).template try_as<I>();
    if (!object) RaiseTypeMismatch();
    return object;
}

}  // namespace orvane
