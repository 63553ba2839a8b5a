// clsTessel: the group's name, its ItemsCollection, AddItem, Clear and termination.
//
// ItemsCollection holds the platform collection by counted reference; it is created
// empty on first use (get, AddItem, Clear) and may be shared with the host through
// the get or the put by reference.
#include "clsTessel.h"

#include <algorithm>
#include <limits>

#include "clsPropertyItem.h"

namespace tessel {

namespace {

constexpr const OLECHAR* kSource = OLESTR("Tessel");

[[noreturn]] void Raise(comrt::runtime_error e) { comrt::raise(e, kSource); }

// An optional argument that is not given.
comrt::Variant Missing() {
    comrt::Variant v;
    v->vt = VT_ERROR;
    v->scode = DISP_E_PARAMNOTFOUND;
    return v;
}

// The collection position `position` as a call argument.
comrt::Variant Position(LONG position) {
    comrt::Variant v;
    v->vt = VT_I4;
    v->lVal = position;
    return v;
}

// The element as a property item; type mismatch when it is not an object or the object
// is not a property item.
comrt::ComPtr<_clsPropertyItem> AsPropertyItem(const comrt::Variant& element) {
    IUnknown* object = nullptr;
    if (element.vt() == VT_DISPATCH)
        object = element->pdispVal;
    else if (element.vt() == VT_UNKNOWN)
        object = element->punkVal;
    comrt::ComPtr<_clsPropertyItem> item;
    if (!object || FAILED(object->QueryInterface(IID__clsPropertyItem, item.put_void())))
        Raise(comrt::runtime_error::type_mismatch);
    return item;
}

}  // namespace

clsTessel::~clsTessel() {
    // A failing Clear has no caller to report to: the thread's error information is
    // left as it was before, and the collection is released all the same.
    comrt::ComPtr<IErrorInfo> pending;
    GetErrorInfo(0, pending.put());
    Clear();
    SetErrorInfo(0, pending.get());
    ItemsCollection = nullptr;
}

comrt::ComPtr<_Collection> clsTessel::HeldCollection() {
    if (!ItemsCollection) comrt::check(comrt::create_collection(ItemsCollection.put()));
    return ItemsCollection;
}

// ---- PropertyGroupName ----------------------------------------------------------------

HRESULT STDMETHODCALLTYPE clsTessel::get_PropertyGroupName(BSTR* result) noexcept try {
    OwnerThread.check(OLESTR("clsTessel"));
    if (!result) return E_POINTER;
    *result = PropertyGroupName.copy();
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

HRESULT STDMETHODCALLTYPE clsTessel::put_PropertyGroupName(BSTR value) noexcept try {
    OwnerThread.check(OLESTR("clsTessel"));
    PropertyGroupName = comrt::Bstr::copy_of(value);
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

// ---- ItemsCollection ------------------------------------------------------------------

HRESULT STDMETHODCALLTYPE clsTessel::get_ItemsCollection(_Collection** result) noexcept try {
    OwnerThread.check(OLESTR("clsTessel"));
    if (!result) return E_POINTER;
    *result = nullptr;
    HeldCollection().copy_to(result);
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

// The put by value has no member of its own in the type library; a directly bound
// caller that uses it gets the put by reference.
HRESULT STDMETHODCALLTYPE clsTessel::put_ItemsCollection(_Collection* value) noexcept {
    OwnerThread.check(OLESTR("clsTessel"));
    return putref_ItemsCollection(value);
}

HRESULT STDMETHODCALLTYPE clsTessel::putref_ItemsCollection(_Collection* value) noexcept {
    OwnerThread.check(OLESTR("clsTessel"));
    ItemsCollection = comrt::ComPtr<_Collection>(value);
    return S_OK;
}

// ---- AddItem ----------------------------------------------------------------------------

HRESULT STDMETHODCALLTYPE clsTessel::AddItem(BSTR* sName, BSTR* sValue, SHORT* nType, SAFEARRAY** oValues,
                                             LONG* result) noexcept try {
    OwnerThread.check(OLESTR("clsTessel"));
    if (!sName || !sValue || !nType || !oValues || !result) return E_POINTER;
    *result = 0;  // the result of every call

    // A new item, filled through its interface.
    comrt::ComPtr<_clsPropertyItem> item = comrt::make<clsPropertyItem>();
    comrt::check(item->put_ItemName(*sName));
    comrt::check(item->put_ItemValue(*sValue));
    comrt::check(item->put_ItemType(*nType));

    // Only a choice-list item takes its own copy of the array; for any other type the
    // array is not looked at.
    if (*nType == 1) comrt::check(item->SetValueCmb(oValues));

    // Appended at the end, without key or position. The collection's reference keeps
    // the item alive once the local one goes.
    comrt::ComPtr<_Collection> collection = HeldCollection();
    comrt::Variant element;
    element->vt = VT_DISPATCH;
    element->pdispVal = comrt::ComPtr<IDispatch>(item).detach();
    comrt::Variant key = Missing();
    comrt::Variant before = Missing();
    comrt::Variant after = Missing();
    comrt::check(collection->Add(element.get(), key.get(), before.get(), after.get()));
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

// ---- Clear --------------------------------------------------------------------------------

// Elements leave from the front, one at a time. A collection of exactly 32,767 elements
// is emptied and succeeds: only a count that does not fit 16 bits is an overflow, and
// then nothing is removed.
HRESULT STDMETHODCALLTYPE clsTessel::Clear() noexcept try {
    OwnerThread.check(OLESTR("clsTessel"));
    comrt::ComPtr<_Collection> collection = HeldCollection();

    // The count, read once, as a 16-bit number.
    LONG count = 0;
    comrt::check(collection->Count(&count));
    if (count > std::numeric_limits<SHORT>::max()) Raise(comrt::runtime_error::overflow);
    const SHORT n = static_cast<SHORT>(count);

    // n times: take element 1 as a property item, remove it, drop the taken reference.
    // The counter is wider than 16 bits so that n = 32,767 ends without overflowing.
    comrt::Variant first = Position(1);
    for (int i = 1; i <= n; ++i) {
        comrt::Variant element;
        comrt::check(collection->Item(first.get(), element.put()));
        comrt::ComPtr<_clsPropertyItem> taken = AsPropertyItem(element);
        comrt::check(collection->Remove(first.get()));
    }
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

// ---- ISupportErrorInfo ----------------------------------------------------------------------

HRESULT STDMETHODCALLTYPE clsTessel::InterfaceSupportsErrorInfo(REFIID riid) noexcept {
    OwnerThread.check(OLESTR("clsTessel"));
    return riid == IID__clsTessel ? S_OK : S_FALSE;
}

// ---- ITesselGroupTexts --------------------------------------------------------------------

HRESULT STDMETHODCALLTYPE clsTessel::ViewItemTexts(ULONG first, ULONG count, TesselItemView* items,
                                                   ULONG* viewed) noexcept try {
    OwnerThread.check(OLESTR("clsTessel"));
    if (!viewed) return E_POINTER;
    *viewed = 0;
    if (count > 0 && !items) return E_POINTER;
    if (!ItemsCollection) return S_OK;
    const auto elements = ItemsCollection.try_as<ICollectionElements>();
    if (!elements) return E_NOINTERFACE;

    // The elements a stretch at a time, each item's texts taken where they lie, up to the
    // first element that is not one of ours.
    constexpr ULONG kStretch = 256;
    const VARIANT* stretch[kStretch];
    ULONG done = 0;
    // (No collection holds ULONG_MAX elements: a range that would pass it ends there.)
    count = std::min(count, std::numeric_limits<ULONG>::max() - first);
    while (done < count) {
        const ULONG asked = std::min(count - done, kStretch);
        ULONG found = 0;
        comrt::check(elements->ViewElements(first + done, asked, stretch, &found));
        for (ULONG i = 0; i < found; ++i) {
            const clsPropertyItem* const item = clsPropertyItem::OwnItemIn(*stretch[i]);
            if (!item) return S_OK;
            items[done] = item->View();
            *viewed = ++done;
        }
        if (found < asked) break;
    }
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

}  // namespace tessel
