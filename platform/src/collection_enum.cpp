// The collection's enumerator: a cursor over 1-based positions.
//
// The cursor is the 0-based position of the next element to hand out. Every call reads
// the collection as it is at that moment, so a collection changed during a loop never
// leaves the enumerator with a dangling element:
//   - elements added at the end are reached by the loop;
//   - removing an element at or before the cursor shifts the rest down one position, so
//     the element that moved into the cursor's place behind it is passed over;
//   - a cursor beyond the end (the collection shrank) hands out nothing, and stays where
//     it is until Reset.
#include "collection_enum.h"

#include <algorithm>
#include <cstdint>

#include <comrt/error.h>
#include <comrt/implements.h>
#include <comrt/oleauto.h>

namespace comrt::detail {
namespace {

class CollectionEnum final : public implements<CollectionEnum, IEnumVARIANT> {
public:
    CollectionEnum(ComPtr<_Collection> source, std::uint64_t cursor) noexcept
        : source_(std::move(source)), cursor_(cursor) {}

    // Copies up to celt elements into rgVar[0 .. celt) (each slot is an [out] value: it is
    // initialised, never cleared, and slots past the last one fetched stay VT_EMPTY).
    // S_OK when celt elements were copied, S_FALSE when fewer remained; E_POINTER for a
    // null rgVar with celt > 0; E_INVALIDARG for a null pCeltFetched with celt > 1. When
    // copying an element fails, nothing is handed out and the cursor does not move.
    HRESULT STDMETHODCALLTYPE Next(ULONG celt, VARIANT* rgVar, ULONG* pCeltFetched) noexcept override try {
        if (pCeltFetched) *pCeltFetched = 0;
        if (celt == 0) return S_OK;
        if (!rgVar) return E_POINTER;
        if (!pCeltFetched && celt != 1) return E_INVALIDARG;
        for (ULONG i = 0; i < celt; ++i) VariantInit(&rgVar[i]);

        const std::uint64_t count = element_count();
        ULONG fetched = 0;
        for (std::uint64_t at = cursor_; fetched < celt && at < count; ++at, ++fetched) {
            VARIANT position;
            VariantInit(&position);
            V_VT(&position) = VT_I4;
            V_I4(&position) = static_cast<LONG>(at + 1);
            const HRESULT hr = source_->Item(&position, &rgVar[fetched]);
            if (FAILED(hr)) {
                for (ULONG i = 0; i < fetched; ++i) VariantClear(&rgVar[i]);
                return hr;
            }
        }
        cursor_ += fetched;
        if (pCeltFetched) *pCeltFetched = fetched;
        return fetched == celt ? S_OK : S_FALSE;
    } catch (...) {
        return to_hresult();
    }

    // Moves the cursor past celt elements: S_OK, or S_FALSE (cursor at the end) when fewer
    // than celt remained.
    HRESULT STDMETHODCALLTYPE Skip(ULONG celt) noexcept override try {
        const std::uint64_t count = element_count();
        const std::uint64_t remaining = count > cursor_ ? count - cursor_ : 0;
        cursor_ += std::min<std::uint64_t>(celt, remaining);
        return celt <= remaining ? S_OK : S_FALSE;
    } catch (...) {
        return to_hresult();
    }

    HRESULT STDMETHODCALLTYPE Reset() noexcept override {
        cursor_ = 0;
        return S_OK;
    }

    // A new enumerator over the same collection at the same cursor; the two move
    // independently. E_POINTER for a null ppEnum.
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** ppEnum) noexcept override try {
        if (!ppEnum) return E_POINTER;
        *ppEnum = nullptr;
        *ppEnum = make<CollectionEnum>(source_, cursor_).detach();
        return S_OK;
    } catch (...) {
        return to_hresult();
    }

private:
    std::uint64_t element_count() const {
        LONG count = 0;
        check(source_->Count(&count));
        return count > 0 ? static_cast<std::uint64_t>(count) : 0;
    }

    ComPtr<_Collection> source_;
    std::uint64_t cursor_;
};

}  // namespace

ComPtr<IEnumVARIANT> make_collection_enum(ComPtr<_Collection> source) {
    return make<CollectionEnum>(std::move(source), 0);
}

}  // namespace comrt::detail
