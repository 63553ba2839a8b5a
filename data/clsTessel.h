// clsTessel: a property group. A name and an ordered collection of clsPropertyItem
// objects, created on first use and shared by counted references with whoever else
// holds it.
#pragma once

#include <comrt/apartment.h>
#include <comrt/com.h>
#include <comrt/dispatch.h>
#include <tessel/item_texts.h>
#include <tessel/tessel.h>

#include "tessel_typelib.h"

namespace tessel {

class clsTessel final
    : public comrt::implements<clsTessel, comrt::dispatch<_clsTessel, kTesselLib>, ISupportErrorInfo,
                               ITesselGroupTexts> {
public:
    // Apartment-threaded, as registered: references are counted for one thread
    // (comrt/implements.h).
    static constexpr bool kSingleThreadReferences = true;

    clsTessel() = default;
    // Termination: empties the collection through the group's own Clear, then releases it.
    ~clsTessel() override;

    // _clsTessel
    HRESULT STDMETHODCALLTYPE get_PropertyGroupName(BSTR* result) noexcept override;
    HRESULT STDMETHODCALLTYPE put_PropertyGroupName(BSTR value) noexcept override;
    HRESULT STDMETHODCALLTYPE get_ItemsCollection(_Collection** result) noexcept override;
    HRESULT STDMETHODCALLTYPE put_ItemsCollection(_Collection* value) noexcept override;
    HRESULT STDMETHODCALLTYPE putref_ItemsCollection(_Collection* value) noexcept override;
    HRESULT STDMETHODCALLTYPE AddItem(BSTR* sName, BSTR* sValue, SHORT* nType, SAFEARRAY** oValues,
                                      LONG* result) noexcept override;
    HRESULT STDMETHODCALLTYPE Clear() noexcept override;

    // ISupportErrorInfo
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) noexcept override;

    // ITesselGroupTexts
    HRESULT STDMETHODCALLTYPE ViewItemTexts(ULONG first, ULONG count, TesselItemView* items,
                                            ULONG* viewed) noexcept override;

private:
    // The held collection; an empty one is created first when none is held.
    comrt::ComPtr<_Collection> HeldCollection();

    comrt::Bstr PropertyGroupName;
    comrt::ComPtr<_Collection> ItemsCollection;
    // The thread that created the group, the only one that may call it (no room at all in a
    // build without thread checks).
    [[no_unique_address]] comrt::owner_thread OwnerThread;
};

}  // namespace tessel
