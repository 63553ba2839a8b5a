// clsPropertyItem: one property of a group. A plain data holder: name and value text,
// an editor type code and the item's own copy of a choice list.
#pragma once

#include <memory>
#include <new>
#include <string_view>

#include <comrt/apartment.h>
#include <comrt/com.h>
#include <comrt/dispatch.h>
#include <tessel/item_texts.h>
#include <tessel/tessel.h>

#include "tessel_typelib.h"

namespace tessel {

class clsPropertyItem final
    : public comrt::implements<clsPropertyItem, comrt::dispatch<_clsPropertyItem, kTesselLib>, ITesselItemTexts> {
public:
    // Apartment-threaded, as registered: references are counted for one thread
    // (comrt/implements.h).
    static constexpr bool kSingleThreadReferences = true;

    clsPropertyItem() = default;

    // _clsPropertyItem
    HRESULT STDMETHODCALLTYPE get_ItemName(BSTR* result) noexcept override;
    HRESULT STDMETHODCALLTYPE put_ItemName(BSTR value) noexcept override;
    HRESULT STDMETHODCALLTYPE get_ItemValue(BSTR* result) noexcept override;
    HRESULT STDMETHODCALLTYPE put_ItemValue(BSTR value) noexcept override;
    HRESULT STDMETHODCALLTYPE get_ItemType(SHORT* result) noexcept override;
    HRESULT STDMETHODCALLTYPE put_ItemType(SHORT value) noexcept override;
    HRESULT STDMETHODCALLTYPE SetValueCmb(SAFEARRAY** ValuesArray) noexcept override;
    HRESULT STDMETHODCALLTYPE GetItem(SHORT* nIndex, BSTR* result) noexcept override;
    HRESULT STDMETHODCALLTYPE Count(SHORT* result) noexcept override;

    // ISupportErrorInfo
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) noexcept override;

    // ITesselItemTexts, which answers for ISupportErrorInfo too (comrt/implements.h).
    void* find_base_interface(REFIID riid) noexcept {
        return riid == IID_ISupportErrorInfo ? static_cast<ISupportErrorInfo*>(this) : nullptr;
    }
    HRESULT STDMETHODCALLTYPE ViewChoice(SHORT index, const OLECHAR** text, ULONG* length) noexcept override;

    // The item an element of a collection holds when it is one of this library's own,
    // recognised without calling the object (whoever made it); null for anything else.
    static const clsPropertyItem* OwnItemIn(const VARIANT& element);
    // The item's texts in place, valid until it changes or goes.
    TesselItemView View() const noexcept;

private:
    // The element of the choice list at index (null for an unset one); error 9 without a
    // one-dimensional list or outside its bounds.
    BSTR ChoiceAt(SHORT index) const;

    // ItemName and ItemValue together in one heap block, neither NUL-terminated (a get
    // hands out a new BSTR anyway):
    //
    //   [ULONG name length][ULONG value length][name: OLECHAR x n][value: OLECHAR x v]
    //
    // Lengths count code units; the text may hold embedded NULs. No block while both
    // texts are empty: an unset string reads as empty.
    class ItemTexts {
    public:
        comrt::olestring_view name() const noexcept;
        comrt::olestring_view value() const noexcept;
        // Replaces both texts (either may view the current ones). Throws
        // comrt::com_error(E_OUTOFMEMORY) and keeps the texts held before on failure.
        void assign(comrt::olestring_view name, comrt::olestring_view value);

    private:
        struct Free {
            void operator()(void* block) const noexcept { ::operator delete(block); }
        };
        std::unique_ptr<unsigned char, Free> block_;
    };

    // Smallest field first: it fills the padding after the reference count.
    SHORT ItemType = 0;
    ItemTexts Texts;
    // The choice list: none, or an array of strings in the caller's dimensions and bounds.
    comrt::SafeArrayPtr ItemChoices;
    // The thread that created the item, the only one that may call it (no room at all in a
    // build without thread checks).
    [[no_unique_address]] comrt::owner_thread OwnerThread;
};

}  // namespace tessel
