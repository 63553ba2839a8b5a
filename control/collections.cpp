// Access to the platform's object collection and the Tessel objects in it (collections.h).
#include <control/collections.h>

#include <control/arithmetic.h>

namespace orvane {
namespace {

comrt::Variant Position(std::int32_t position) {
    comrt::Variant index;
    index->vt = VT_I4;
    index->lVal = position;
    return index;
}

}  // namespace

void RaiseTypeMismatch() { comrt::raise(comrt::runtime_error::type_mismatch, kErrorSource); }

comrt::ComPtr<_Collection> NewCollection() {
    comrt::ComPtr<_Collection> collection;
    comrt::check(comrt::create_collection(collection.put()));
    return collection;
}

std::int32_t CollectionCount(_Collection& collection) {
    LONG count = 0;
    comrt::check(collection.Count(&count));
    return count;
}

void CollectionAdd(_Collection& collection, IDispatch* object) {
    comrt::Variant item;
    item->vt = VT_DISPATCH;
    item->pdispVal = object;
    if (object) object->AddRef();  // the Variant owns this reference
    comrt::check(collection.Add(item.get(), nullptr, nullptr, nullptr));
}

void CollectionRemove(_Collection& collection, std::int32_t position) {
    comrt::Variant index = Position(position);
    comrt::check(collection.Remove(index.get()));
}

comrt::ComPtr<IDispatch> CollectionItem(_Collection& collection, std::int32_t position) {
    comrt::Variant index = Position(position);
    comrt::Variant element;
    comrt::check(collection.Item(index.get(), element.put()));
    comrt::ComPtr<IDispatch> object;
    if (element.vt() == VT_DISPATCH) {
        object = comrt::ComPtr<IDispatch>(element->pdispVal);
    } else if (element.vt() == VT_UNKNOWN) {
        if (!element->punkVal) comrt::raise(comrt::runtime_error::object_not_set, kErrorSource);
        object = comrt::ComPtr<IUnknown>(element->punkVal).try_as<IDispatch>();
        if (!object) RaiseTypeMismatch();
    } else {
        RaiseTypeMismatch();
    }
    if (!object) comrt::raise(comrt::runtime_error::object_not_set, kErrorSource);
    return object;
}

comrt::ComPtr<_Collection> ItemsCollectionOf(_clsTessel& group) {
    comrt::ComPtr<_Collection> items;
    comrt::check(group.get_ItemsCollection(items.put()));
    if (!items) comrt::raise(comrt::runtime_error::object_not_set, kErrorSource);
    return items;
}

SHORT ItemTypeOf(_clsPropertyItem& item) {
    SHORT type = 0;
    comrt::check(item.get_ItemType(&type));
    return type;
}

}  // namespace orvane
