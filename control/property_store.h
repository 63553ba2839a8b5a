// The control's persisted properties held in memory, by name, in the order written.
//
// It is the one form both of a container's persistence channels pass through: a
// property bag is read into a store and written from one, and a stream carries a store's
// bytes, so a bag and a stream hold the same values. A store also keeps what a container
// loads before the control has its widgets, until the control activates and restores it.
//
// The stream form, all numbers little-endian:
//   u16 format (1), u16 entry count (at most kMaxEntries), then per entry:
//   u16 name length, the name's UTF-16 code units, u16 value type, then the value:
//     VT_I4        i32
//     VT_DISPATCH  a font: u16 face name length, its code units, i64 size (points as a
//                  currency value), i16 weight, i16 character set, u8 flags
//                  (1 italic, 2 underline, 4 strikethrough)
//     VT_EMPTY     nothing (no font)
// A load reads exactly the bytes a save wrote, so a container may keep other objects'
// data after them in the same stream.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include <comrt/implements.h>
#include <comrt/ocidl.h>
#include <comrt/resource.h>
#include <comrt/text.h>

namespace orvane {

class PropertyStore final : public comrt::implements<PropertyStore, IPropertyBag> {
public:
    static constexpr bool kSingleThreadReferences = true;
    // More entries, or longer names, than any save writes: a stream that claims them is
    // damaged.
    static constexpr std::size_t kMaxEntries = 64;
    static constexpr std::size_t kMaxNameLength = 1024;

    // ---- IPropertyBag ------------------------------------------------------------------
    // Read: a copy of the value held under the name (E_INVALIDARG for a name not held,
    // which pErrorLog also hears of); the type asked for on entry is not converted to.
    HRESULT STDMETHODCALLTYPE Read(LPCOLESTR pszPropName, VARIANT* pVar, IErrorLog* pErrorLog) noexcept override;
    // Write: holds a copy under the name, in place of one held before; a value of a type
    // the stream form cannot carry is refused with DISP_E_TYPEMISMATCH.
    HRESULT STDMETHODCALLTYPE Write(LPCOLESTR pszPropName, VARIANT* pVar) noexcept override;

    // Copies the named entry of bag into this store; an entry bag cannot read is left out
    // (bag and log have said why).
    void CopyFrom(IPropertyBag& bag, const OLECHAR* name, IErrorLog* log);
    // Writes every entry into bag, in order; throws the bag's failure.
    void CopyTo(IPropertyBag& bag);

    // The stream form of the entries. Throws E_OUTOFMEMORY, or the font object's failure.
    std::vector<std::byte> Serialize() const;
    // Replaces the entries with those the stream holds, reading exactly their bytes.
    // Throws the stream's failure, or run-time error 321 for bytes that are no store.
    void Deserialize(IStream& stream);

private:
    std::vector<std::pair<comrt::olestring, comrt::Variant>> entries_;
};

}  // namespace orvane
