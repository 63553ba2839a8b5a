// The property bag of a Qt host: the entries of one control, kept in the order they were
// first written, loaded from and saved to a human-readable file.
//
// File: UTF-8 JSON, one object whose members are the entries in order, for example
//
//     {
//       "BackColor": -2147483643,
//       "ForeColor": 255,
//       "Font": { "Name": "Tahoma", "Size": 8.25, "Weight": 400, "Charset": 1,
//                 "Italic": false, "Underline": false, "Strikethrough": false }
//     }
//
// Values as written: integers (colours among them, as their 32-bit value) as JSON
// integers; booleans as true / false; floating-point values as numbers; strings as
// strings; a font object by its attributes (the size in points); an empty value as null.
// Values as read back: an integer from -2^31 to 2^32 - 1 as a 32-bit integer (VT_I4;
// above 2^31 - 1 taken as its 32-bit pattern, so a colour may be written either way),
// other numbers as VT_R8, true / false as VT_BOOL, a string as VT_BSTR, null as
// VT_EMPTY, a font's attributes as a new font object (VT_DISPATCH, IFontDisp).
// An entry of any other shape (an array, an object that is not a complete font) is
// damaged: reading it fails with kInvalidFileFormat, and the other entries read as usual.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <QString>

#include <control/widgets/container.h>

namespace orvane::qt {

// Run-time errors of the bag's file.
inline constexpr HRESULT kFileNotFound = comrt::runtime_hresult(comrt::runtime_error::file_not_found);
inline constexpr HRESULT kPathFileAccessError = comrt::runtime_hresult(comrt::runtime_error::path_file_access_error);
inline constexpr HRESULT kInvalidFileFormat = comrt::runtime_hresult(comrt::runtime_error::invalid_file_format);

class PropertyBagFile final : public widgets::PropertyBag {
public:
    PropertyBagFile();
    ~PropertyBagFile() override;
    PropertyBagFile(const PropertyBagFile&) = delete;
    PropertyBagFile& operator=(const PropertyBagFile&) = delete;

    // Replaces the entries with those of the file at path.
    //   S_OK; kFileNotFound when there is no such file; kPathFileAccessError when it
    //   cannot be read; kInvalidFileFormat when it is not one JSON object (or larger than
    //   16 MiB); E_OUTOFMEMORY. The entries are unchanged on failure.
    HRESULT load(const QString& path) noexcept;
    // Writes the entries to path atomically: into a temporary file in the same folder,
    // renamed over path once complete, so the file is either the old one or the new one.
    //   S_OK; kPathFileAccessError when the file cannot be written; E_OUTOFMEMORY.
    HRESULT save(const QString& path) const noexcept;

    // The keys, in the order they were first stored.
    std::vector<std::u16string> keys() const;

    // ---- widgets::PropertyBag ---------------------------------------------------------
    // A key the bag lacks fails with widgets::kDataValueNotFound, a damaged entry with
    // kInvalidFileFormat.
    comrt::Variant ReadProperty(std::u16string_view key) override;
    // A value of another kind than those listed above (an object that is not a font,
    // VT_NULL, arrays, dates, ...) fails with DISP_E_TYPEMISMATCH and stores nothing.
    void WriteProperty(std::u16string_view key, const VARIANT& value) override;

private:
    struct Entries;
    std::unique_ptr<Entries> entries_;
};

}  // namespace orvane::qt
