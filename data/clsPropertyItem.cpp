// clsPropertyItem: accessors, the text block behind ItemName and ItemValue, the choice
// list (SetValueCmb, GetItem, Count).
//
// The choice list is held as the item's own SAFEARRAY of BSTR, in the caller's number
// of dimensions and bounds. Holding no array (null) is distinct from holding an array
// without elements.
#include "clsPropertyItem.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>

namespace tessel {

namespace {

constexpr const OLECHAR* kSource = OLESTR("Tessel");

[[noreturn]] void Raise(comrt::runtime_error e) { comrt::raise(e, kSource); }

// The head of a text block: the two lengths in code units.
struct TextLengths {
    ULONG name;
    ULONG value;
};

TextLengths LengthsOf(const unsigned char* block) noexcept {
    TextLengths lengths;
    std::memcpy(&lengths, block, sizeof lengths);
    return lengths;
}

// The name's first code unit; the value follows the name.
const OLECHAR* TextOf(const unsigned char* block) noexcept {
    return reinterpret_cast<const OLECHAR*>(block + sizeof(TextLengths));
}

}  // namespace

// ---- the text block --------------------------------------------------------------------

comrt::olestring_view clsPropertyItem::ItemTexts::name() const noexcept {
    if (!block_) return {};
    return {TextOf(block_.get()), LengthsOf(block_.get()).name};
}

comrt::olestring_view clsPropertyItem::ItemTexts::value() const noexcept {
    if (!block_) return {};
    const TextLengths lengths = LengthsOf(block_.get());
    return {TextOf(block_.get()) + lengths.name, lengths.value};
}

void clsPropertyItem::ItemTexts::assign(comrt::olestring_view name, comrt::olestring_view value) {
    if (name.empty() && value.empty()) {
        block_.reset();
        return;
    }
    // Texts from BSTRs always fit; anything longer cannot be held or returned as a BSTR.
    constexpr std::size_t kMaxUnits = UINT32_MAX / sizeof(OLECHAR);
    if (name.size() > kMaxUnits || value.size() > kMaxUnits) throw comrt::com_error(E_OUTOFMEMORY);
    const std::size_t units = name.size() + value.size();
    if (units > (SIZE_MAX - sizeof(TextLengths)) / sizeof(OLECHAR)) throw comrt::com_error(E_OUTOFMEMORY);
    auto* fresh = static_cast<unsigned char*>(::operator new(sizeof(TextLengths) + units * sizeof(OLECHAR), std::nothrow));
    if (!fresh) throw comrt::com_error(E_OUTOFMEMORY);
    const TextLengths lengths{static_cast<ULONG>(name.size()), static_cast<ULONG>(value.size())};
    std::memcpy(fresh, &lengths, sizeof lengths);
    // Both views may point into the block held now: copy them before it goes.
    OLECHAR* text = reinterpret_cast<OLECHAR*>(fresh + sizeof(TextLengths));
    std::copy_n(name.data(), name.size(), text);
    std::copy_n(value.data(), value.size(), text + name.size());
    block_.reset(fresh);
}

// ---- ItemName, ItemValue, ItemType ---------------------------------------------------

HRESULT STDMETHODCALLTYPE clsPropertyItem::get_ItemName(BSTR* result) noexcept try {
    OwnerThread.check(OLESTR("clsPropertyItem"));
    if (!result) return E_POINTER;
    *result = comrt::Bstr(Texts.name()).detach();
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

HRESULT STDMETHODCALLTYPE clsPropertyItem::put_ItemName(BSTR value) noexcept try {
    OwnerThread.check(OLESTR("clsPropertyItem"));
    Texts.assign(comrt::Bstr::view_of(value), Texts.value());
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

HRESULT STDMETHODCALLTYPE clsPropertyItem::get_ItemValue(BSTR* result) noexcept try {
    OwnerThread.check(OLESTR("clsPropertyItem"));
    if (!result) return E_POINTER;
    *result = comrt::Bstr(Texts.value()).detach();
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

HRESULT STDMETHODCALLTYPE clsPropertyItem::put_ItemValue(BSTR value) noexcept try {
    OwnerThread.check(OLESTR("clsPropertyItem"));
    Texts.assign(Texts.name(), comrt::Bstr::view_of(value));
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

HRESULT STDMETHODCALLTYPE clsPropertyItem::get_ItemType(SHORT* result) noexcept {
    OwnerThread.check(OLESTR("clsPropertyItem"));
    if (!result) return E_POINTER;
    *result = ItemType;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE clsPropertyItem::put_ItemType(SHORT value) noexcept {
    OwnerThread.check(OLESTR("clsPropertyItem"));
    ItemType = value;
    return S_OK;
}

// ---- the choice list -------------------------------------------------------------------

// Copies first and swaps afterwards, so a copy that fails (out of memory) leaves the
// list held before in place.
HRESULT STDMETHODCALLTYPE clsPropertyItem::SetValueCmb(SAFEARRAY** ValuesArray) noexcept try {
    OwnerThread.check(OLESTR("clsPropertyItem"));
    if (!ValuesArray) return E_POINTER;
    SAFEARRAY* source = *ValuesArray;
    comrt::SafeArrayPtr copy;
    if (source) {
        // Only an array of strings is a choice list; anything else would be read as
        // strings by GetItem.
        VARTYPE vt = VT_EMPTY;
        if (FAILED(SafeArrayGetVartype(source, &vt)) || vt != VT_BSTR) Raise(comrt::runtime_error::type_mismatch);
        comrt::check(SafeArrayCopy(source, copy.put()));
    }
    ItemChoices = std::move(copy);
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

HRESULT STDMETHODCALLTYPE clsPropertyItem::GetItem(SHORT* nIndex, BSTR* result) noexcept try {
    OwnerThread.check(OLESTR("clsPropertyItem"));
    if (!nIndex || !result) return E_POINTER;
    *result = nullptr;
    // A copy of the element, as SafeArrayGetElement makes it (null stays null).
    if (const BSTR text = ChoiceAt(*nIndex)) *result = comrt::Bstr(comrt::olestring_view(text, SysStringLen(text))).detach();
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

BSTR clsPropertyItem::ChoiceAt(SHORT at) const {
    SAFEARRAY* list = ItemChoices.get();
    if (!list || SafeArrayGetDim(list) != 1) Raise(comrt::runtime_error::subscript_out_of_range);
    LONG lower = 0;
    LONG upper = 0;
    if (FAILED(SafeArrayGetLBound(list, 1, &lower)) || FAILED(SafeArrayGetUBound(list, 1, &upper)))
        Raise(comrt::runtime_error::subscript_out_of_range);
    const LONG index = at;
    if (index < lower || index > upper) Raise(comrt::runtime_error::subscript_out_of_range);
    // The array is the item's own, of BSTR, one dimension: its elements lie in a row.
    return static_cast<const BSTR*>(list->pvData)[index - lower];
}

const clsPropertyItem* clsPropertyItem::OwnItemIn(const VARIANT& element) {
    // Every interface pointer starts with its table of functions, and that table is the
    // class's own: an object whose IDispatch has this class's table is one of ours. Reading
    // the table calls nothing, where asking the object for an interface would run its code.
    const auto table_of = [](const void* object) noexcept {
        const void* table = nullptr;
        std::memcpy(&table, object, sizeof table);
        return table;
    };
    static const void* const own_table =
        table_of(static_cast<_clsPropertyItem*>(comrt::make<clsPropertyItem>().get()));
    if (V_VT(&element) != VT_DISPATCH || !V_DISPATCH(&element)) return nullptr;
    IDispatch* const object = V_DISPATCH(&element);
    if (table_of(object) != own_table) return nullptr;
    return static_cast<const clsPropertyItem*>(static_cast<_clsPropertyItem*>(object));
}

TesselItemView clsPropertyItem::View() const noexcept {
    const comrt::olestring_view name = Texts.name(), value = Texts.value();
    return {name.data(), static_cast<ULONG>(name.size()), value.data(), static_cast<ULONG>(value.size()), ItemType};
}

HRESULT STDMETHODCALLTYPE clsPropertyItem::ViewChoice(SHORT index, const OLECHAR** text, ULONG* length) noexcept try {
    OwnerThread.check(OLESTR("clsPropertyItem"));
    if (!text || !length) return E_POINTER;
    const BSTR choice = ChoiceAt(index);
    *text = choice ? choice : OLESTR("");
    *length = choice ? SysStringLen(choice) : 0;
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

HRESULT STDMETHODCALLTYPE clsPropertyItem::Count(SHORT* result) noexcept try {
    OwnerThread.check(OLESTR("clsPropertyItem"));
    if (!result) return E_POINTER;
    *result = 0;
    SAFEARRAY* list = ItemChoices.get();
    LONG upper = 0;
    if (!list || FAILED(SafeArrayGetUBound(list, 1, &upper))) Raise(comrt::runtime_error::subscript_out_of_range);
    if (upper < std::numeric_limits<SHORT>::min() || upper > std::numeric_limits<SHORT>::max())
        Raise(comrt::runtime_error::overflow);
    *result = static_cast<SHORT>(upper);
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

// ---- ISupportErrorInfo -------------------------------------------------------------------

HRESULT STDMETHODCALLTYPE clsPropertyItem::InterfaceSupportsErrorInfo(REFIID riid) noexcept {
    OwnerThread.check(OLESTR("clsPropertyItem"));
    return riid == IID__clsPropertyItem ? S_OK : S_FALSE;
}

}  // namespace tessel
