// The property bag of a Qt host (property_bag_file.h).
#include "property_bag_file.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <new>
#include <system_error>

#include <QFile>

#include <comrt/com_ptr.h>
#include <comrt/font_attributes.h>
#include <comrt/json_document.h>
#include <comrt/olectl.h>
#include <comrt/text.h>
#include <comrt/text_file.h>

namespace orvane::qt {

namespace json = comrt::json;

// Keys keep the order in which they were first stored.
struct PropertyBagFile::Entries {
    json::value object = json::value::object();
};

namespace {

constexpr std::size_t kMaxFileSize = 16 * 1024 * 1024;
// A bag is one object of entries, a font entry one object more; deeper entries are
// damaged, and past this depth the whole file is refused (writing it back would recurse
// as deep, and take space quadratic in the depth for the indentation alone).
constexpr std::size_t kMaxDepth = 16;

// The source named in the error information of the bag's failures.
constexpr const char16_t* kErrorSource = u"Orvane";

[[noreturn]] void FailTypeMismatch() { throw comrt::com_error(DISP_E_TYPEMISMATCH); }
[[noreturn]] void FailDamaged() { comrt::raise(comrt::runtime_error::invalid_file_format, kErrorSource); }
// A value the file could hold but not give back as it was: refused when it is written.
[[noreturn]] void FailUnstorable() { comrt::raise(comrt::runtime_error::invalid_property_value, kErrorSource); }

// Text as the file keeps it (UTF-8); text that would not read back code unit for code
// unit (a lone surrogate) is refused.
std::string StorableText(std::u16string_view text) {
    std::string utf8 = comrt::to_utf8(text);
    if (comrt::from_utf8(utf8) != text) FailUnstorable();
    return utf8;
}

// ---- numbers -----------------------------------------------------------------------------------

// A JSON number's text is an integer when it has no fraction and no exponent.
bool IsIntegerText(const std::string& text) { return text.find_first_of(".eE") == std::string::npos; }

template <typename T>
bool NumberFromText(const std::string& text, T& out) {
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, out);
    return ec == std::errc() && ptr == end;
}

// The value of any JSON number as a double. A number beyond a double's range was refused
// when the file was read; one too close to zero for a double is zero.
double DoubleOf(const json::value& number) {
    const std::string& text = number.text();
    double d = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), d);
    if (ec == std::errc::result_out_of_range) return !text.empty() && text.front() == '-' ? -0.0 : 0.0;
    if (ec != std::errc() || ptr != text.data() + text.size()) FailDamaged();
    return d;
}

// A finite double as JSON number text that reads back as the same double, and as a
// floating-point number (100.0, not 100).
json::value DoubleToJson(double d) {
    char text[64];
    const auto [end, ec] = std::to_chars(text, text + sizeof text, d);
    if (ec != std::errc()) FailTypeMismatch();
    std::string out(text, end);
    if (IsIntegerText(out)) out += ".0";
    return json::value::number(std::move(out));
}

// ---- a font object and its attributes -------------------------------------------------------

// What a font entry holds, written and read alike, so that every font written reads back:
// a face name without U+0000 (a font object's name ends there), a size from 0.0001 to
// 999,999.9999 points, a weight from 0 to 1,000 and a character set from 0 to 255. A font
// outside these is refused when it is written, and an entry outside them is damaged.
bool StorableFont(const comrt::FontAttributes& font) {
    return !font.name.empty() && font.name.find(u'\0') == comrt::olestring::npos && font.size.int64 >= 1 &&
           font.size.int64 < 10'000'000'000 && font.weight >= 0 && font.weight <= 1000 && font.charset >= 0 &&
           font.charset <= 255;
}

json::value FontToJson(IUnknown* object) {
    comrt::ComPtr<IFont> font;
    if (!object || FAILED(object->QueryInterface(comrt::iid_of<IFont>(), font.put_void()))) FailTypeMismatch();
    const comrt::FontAttributes attributes = comrt::ReadFontAttributes(font.get());
    if (!StorableFont(attributes)) FailUnstorable();
    json::value out = json::value::object();
    out.set("Name", json::value::string(StorableText(attributes.name)));
    out.set("Size", DoubleToJson(static_cast<double>(attributes.size.int64) / 10000.0));
    out.set("Weight", json::value::integer(attributes.weight));
    out.set("Charset", json::value::integer(attributes.charset));
    out.set("Italic", json::value::boolean(attributes.italic));
    out.set("Underline", json::value::boolean(attributes.underline));
    out.set("Strikethrough", json::value::boolean(attributes.strikethrough));
    return out;
}

// An optional integer attribute of a font: absent gives fallback; anything but an
// integer in [min, max] damages the entry.
long long FontInteger(const json::value& font, const char* name, long long fallback, long long min, long long max) {
    const json::value* v = font.find(name);
    if (!v) return fallback;
    long long n = 0;
    if (!v->is_number() || !IsIntegerText(v->text()) || !NumberFromText(v->text(), n) || n < min || n > max)
        FailDamaged();
    return n;
}

// An optional flag of a font: absent is false; anything but true / false damages it.
bool FontFlag(const json::value& font, const char* name) {
    const json::value* v = font.find(name);
    if (!v) return false;
    if (!v->is_boolean()) FailDamaged();
    return v->boolean_value();
}

comrt::Variant FontFromJson(const json::value& font) {
    const json::value* name = font.find("Name");
    const json::value* size = font.find("Size");
    if (!name || !name->is_string() || !size || !size->is_number()) FailDamaged();
    const double points = DoubleOf(*size);
    if (!(points > 0 && points < 1e6)) FailDamaged();

    comrt::FontAttributes attributes;
    attributes.name = comrt::from_utf8(name->text());
    attributes.size.int64 = std::llround(points * 10000.0);
    attributes.weight = static_cast<SHORT>(FontInteger(font, "Weight", FW_NORMAL, 0, 1000));
    attributes.charset = static_cast<SHORT>(FontInteger(font, "Charset", DEFAULT_CHARSET, 0, 255));
    attributes.italic = FontFlag(font, "Italic");
    attributes.underline = FontFlag(font, "Underline");
    attributes.strikethrough = FontFlag(font, "Strikethrough");
    if (!StorableFont(attributes)) FailDamaged();

    comrt::ComPtr<IFontDisp> object = comrt::CreateFontObject(attributes);
    comrt::Variant value;
    value->vt = VT_DISPATCH;
    V_DISPATCH(value.get()) = object.detach();
    return value;
}

// ---- values ------------------------------------------------------------------------------------

json::value ToJson(const VARIANT& given) {
    comrt::Variant value;
    if (FAILED(VariantCopyInd(value.get(), &given))) FailTypeMismatch();
    const VARIANT& v = *value.get();
    switch (v.vt) {
    case VT_EMPTY: return json::value();
    case VT_I1: return json::value::integer(v.cVal);
    case VT_I2: return json::value::integer(v.iVal);
    case VT_I4: return json::value::integer(v.lVal);
    case VT_INT: return json::value::integer(v.intVal);
    case VT_I8: return json::value::integer(v.llVal);
    case VT_UI1: return json::value::integer(v.bVal);
    case VT_UI2: return json::value::integer(v.uiVal);
    case VT_UI4: return json::value::integer(v.ulVal);
    case VT_UINT: return json::value::integer(v.uintVal);
    case VT_UI8: return json::value::number(std::to_string(v.ullVal));
    case VT_R4:
    case VT_R8: {
        const double number = v.vt == VT_R4 ? static_cast<double>(v.fltVal) : v.dblVal;
        if (!std::isfinite(number)) FailTypeMismatch();  // JSON has no infinities
        return DoubleToJson(number);
    }
    case VT_BOOL: return json::value::boolean(v.boolVal != VARIANT_FALSE);
    case VT_BSTR: return json::value::string(StorableText(comrt::Bstr::view_of(v.bstrVal)));
    case VT_DISPATCH: return FontToJson(v.pdispVal);
    case VT_UNKNOWN: return FontToJson(v.punkVal);
    default: FailTypeMismatch();
    }
}

comrt::Variant FromJson(const json::value& entry) {
    comrt::Variant value;
    VARIANT& v = *value.get();
    switch (entry.type()) {
    case json::kind::null:
        break;
    case json::kind::boolean:
        v.vt = VT_BOOL;
        v.boolVal = entry.boolean_value() ? VARIANT_TRUE : VARIANT_FALSE;
        break;
    case json::kind::number: {
        // An integer from -2^31 to 2^32 - 1 is a 32-bit integer (the upper half as its
        // bit pattern); every other number a double.
        long long n = 0;
        if (IsIntegerText(entry.text()) && NumberFromText(entry.text(), n) &&
            n >= std::numeric_limits<std::int32_t>::min() && n <= 0xFFFFFFFFll) {
            v.vt = VT_I4;
            v.lVal = static_cast<LONG>(static_cast<std::uint32_t>(n));
        } else {
            v.dblVal = DoubleOf(entry);
            v.vt = VT_R8;
        }
        break;
    }
    case json::kind::string:
        v.bstrVal = comrt::Bstr(comrt::from_utf8(entry.text())).detach();
        v.vt = VT_BSTR;
        break;
    case json::kind::object:
        return FontFromJson(entry);
    case json::kind::array:
        FailDamaged();
    }
    return value;
}

// The path as the file system names it.
std::string LocalPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

}  // namespace

PropertyBagFile::PropertyBagFile() : entries_(std::make_unique<Entries>()) {}

PropertyBagFile::~PropertyBagFile() = default;

HRESULT PropertyBagFile::load(const QString& path) noexcept try {
    using comrt::runtime_error;
    std::string text;
    switch (comrt::read_text_file(LocalPath(path), kMaxFileSize, text)) {
    case comrt::file_read::done: break;
    case comrt::file_read::missing: comrt::raise(runtime_error::file_not_found, kErrorSource);
    case comrt::file_read::too_large: comrt::raise(runtime_error::invalid_file_format, kErrorSource);
    case comrt::file_read::not_regular:
    case comrt::file_read::failed: comrt::raise(runtime_error::path_file_access_error, kErrorSource);
    }
    json::value parsed;
    if (!json::parse(text, kMaxDepth, parsed) || !parsed.is_object())
        comrt::raise(runtime_error::invalid_file_format, kErrorSource);
    entries_->object = std::move(parsed);
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

// Only a file that load() reads back as these entries is written: the text is read back
// before it replaces the file.
HRESULT PropertyBagFile::save(const QString& path) const noexcept try {
    const auto fail = [] { comrt::raise(comrt::runtime_error::path_file_access_error, kErrorSource); };
    std::string text;
    if (!json::write(entries_->object, /*sort_keys=*/false, text) || text.size() > kMaxFileSize) fail();
    json::value check;
    if (!json::parse(text, kMaxDepth, check) || !(check == entries_->object)) fail();
    if (!comrt::replace_text_file(LocalPath(path), text)) fail();
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

std::vector<std::u16string> PropertyBagFile::keys() const {
    std::vector<std::u16string> keys;
    for (const json::member& entry : entries_->object.children()) keys.push_back(comrt::from_utf8(entry.key));
    return keys;
}

comrt::Variant PropertyBagFile::ReadProperty(std::u16string_view key) const {
    try {
        const json::value* entry = entries_->object.find(comrt::to_utf8(key));
        if (!entry) comrt::raise(comrt::runtime_error::data_value_not_found, kErrorSource);
        return FromJson(*entry);
    } catch (const std::bad_alloc&) {
        throw comrt::com_error(E_OUTOFMEMORY);
    }
}

void PropertyBagFile::WriteProperty(std::u16string_view key, const VARIANT& value) {
    try {
        json::value entry = ToJson(value);
        entries_->object.set(StorableText(key), std::move(entry));
    } catch (const std::bad_alloc&) {
        throw comrt::com_error(E_OUTOFMEMORY);
    }
}

HRESULT STDMETHODCALLTYPE PropertyBagFile::Read(LPCOLESTR pszPropName, VARIANT* pVar, IErrorLog* pErrorLog) noexcept {
    if (!pszPropName || !pVar) return E_POINTER;
    const VARTYPE wanted = pVar->vt;
    HRESULT hr = S_OK;
    try {
        comrt::Variant value = ReadProperty(pszPropName);
        if (wanted != VT_EMPTY && wanted != value.vt()) {
            comrt::Variant converted;
            comrt::check(VariantChangeType(converted.put(), value.get(), 0, wanted));
            value = std::move(converted);
        }
        // On entry *pVar only names the type asked for: it holds no value to clear.
        *pVar = value.detach();
        return S_OK;
    } catch (...) {
        hr = comrt::to_hresult();
    }
    if (pErrorLog) {
        EXCEPINFO info{};
        info.scode = hr;
        pErrorLog->AddError(pszPropName, &info);
    }
    return hr;
}

HRESULT STDMETHODCALLTYPE PropertyBagFile::Write(LPCOLESTR pszPropName, VARIANT* pVar) noexcept try {
    if (!pszPropName || !pVar) return E_POINTER;
    WriteProperty(pszPropName, *pVar);
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

}  // namespace orvane::qt
