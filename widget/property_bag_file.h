// The property bag of a Qt host, a COM object: the entries of one control, kept in the order they were
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
// Only what reads back as it was is written: a font outside the ranges a font entry
// holds (a face name without U+0000, 0.0001 to 999,999.9999 points, weight 0 to 1,000,
// character set 0 to 255) and a key or string that UTF-8 cannot carry (a lone surrogate)
// are refused with kInvalidPropertyValue when written.
// An entry of any other shape (an array, an object that is not a complete font, a font
// outside those ranges) is damaged: reading it fails with kInvalidFileFormat, and the other entries read as usual.
// Every entry is kept as it was read, damaged ones included, and written back unchanged
// (comrt/json_document.h): a save never drops or rounds what a load read.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <QString>

#include <comrt/error.h>
#include <comrt/implements.h>
#include <comrt/ocidl.h>
#include <comrt/resource.h>

namespace orvane::qt {

// Run-time errors of the bag's file.
inline constexpr HRESULT kFileNotFound = comrt::runtime_hresult(comrt::runtime_error::file_not_found);
inline constexpr HRESULT kPathFileAccessError = comrt::runtime_hresult(comrt::runtime_error::path_file_access_error);
inline constexpr HRESULT kInvalidFileFormat = comrt::runtime_hresult(comrt::runtime_error::invalid_file_format);
// A write of a value that would not read back as it was.
inline constexpr HRESULT kInvalidPropertyValue = comrt::runtime_hresult(comrt::runtime_error::invalid_property_value);
// A read of a key that the bag does not hold.
inline constexpr HRESULT kDataValueNotFound = comrt::runtime_hresult(comrt::runtime_error::data_value_not_found);

class PropertyBagFile final : public comrt::implements<PropertyBagFile, IPropertyBag> {
public:
    PropertyBagFile();
    ~PropertyBagFile() override;

    // Replaces the entries with those of the file at path.
    //   S_OK; kFileNotFound when there is no such file; kPathFileAccessError when it
    //   cannot be read or is no regular file (a FIFO or a device is refused at once,
    //   never waited on); kInvalidFileFormat when it is not one JSON object, is larger
    //   than 16 MiB, nests arrays and objects more than 16 deep or names one entry twice;
    //   E_OUTOFMEMORY. The entries are unchanged on failure. Error information is set on
    //   failure.
    HRESULT load(const QString& path) noexcept;
    // Writes the entries to path atomically: into a temporary file in the same folder,
    // renamed over path once complete, so the file is either the old one or the new one
    // (comrt/text_file.h). Only what load() reads back as these same entries is written.
    //   S_OK; kPathFileAccessError when the file cannot be written, something other than
    //   a regular file lies at path, or the text would be larger than load() accepts;
    //   E_OUTOFMEMORY.
    HRESULT save(const QString& path) const noexcept;

    // The keys, in the order they were first stored.
    std::vector<std::u16string> keys() const;

    // The value stored under key, as it reads back. Throws comrt::com_error:
    // kDataValueNotFound for a key the bag lacks, kInvalidFileFormat for a damaged entry.
    comrt::Variant ReadProperty(std::u16string_view key) const;
    // Stores a copy of value under key, replacing what the key held; a new key goes after
    // the keys already stored. A value of another kind than those listed above (an object
    // that is not a font, VT_NULL, arrays, dates, ...) throws DISP_E_TYPEMISMATCH, one that
    // would not read back as it was kInvalidPropertyValue; either stores nothing.
    void WriteProperty(std::u16string_view key, const VARIANT& value);

    // ---- IPropertyBag ------------------------------------------------------------------
    // Read: *pVar (VT_EMPTY on entry for the stored type, or the type to convert to)
    //   receives the value. S_OK; E_POINTER for a null name or pVar; kDataValueNotFound,
    //   kInvalidFileFormat, a conversion's failure; each failure also goes to pErrorLog.
    HRESULT STDMETHODCALLTYPE Read(LPCOLESTR pszPropName, VARIANT* pVar, IErrorLog* pErrorLog) noexcept override;
    // Write: S_OK; E_POINTER for a null name or pVar; DISP_E_TYPEMISMATCH;
    //   kInvalidPropertyValue.
    HRESULT STDMETHODCALLTYPE Write(LPCOLESTR pszPropName, VARIANT* pVar) noexcept override;

private:
    struct Entries;
    std::unique_ptr<Entries> entries_;
};

}  // namespace orvane::qt
