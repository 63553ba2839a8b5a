// The property bag of a Qt host (property_bag_file.h).
#include "property_bag_file.h"

#include <cmath>
#include <limits>
#include <new>

#include <QFile>
#include <QSaveFile>

#include <nlohmann/json.hpp>

#include <comrt/com_ptr.h>
#include <comrt/olectl.h>
#include <comrt/text.h>

namespace orvane::qt {

// Keys keep the order in which they were first stored.
using Json = nlohmann::ordered_json;

struct PropertyBagFile::Entries {
    Json object = Json::object();
};

namespace {

constexpr qint64 kMaxFileSize = 16 * 1024 * 1024;

// The source named in the error information of the bag's failures.
constexpr const char16_t* kErrorSource = u"Orvane";

[[noreturn]] void FailTypeMismatch() { throw comrt::com_error(DISP_E_TYPEMISMATCH); }
[[noreturn]] void FailDamaged() { comrt::raise(comrt::runtime_error::invalid_file_format, kErrorSource); }


// ---- a font object and its attributes -------------------------------------------------------

Json FontToJson(IUnknown* object) {
    comrt::ComPtr<IFont> font;
    if (!object || FAILED(object->QueryInterface(comrt::iid_of<IFont>(), font.put_void()))) FailTypeMismatch();
    comrt::Bstr name;
    CY size{};
    SHORT weight = 0;
    SHORT charset = 0;
    BOOL italic = FALSE;
    BOOL underline = FALSE;
    BOOL strikethrough = FALSE;
    comrt::check(font->get_Name(name.put()));
    comrt::check(font->get_Size(&size));
    comrt::check(font->get_Weight(&weight));
    comrt::check(font->get_Charset(&charset));
    comrt::check(font->get_Italic(&italic));
    comrt::check(font->get_Underline(&underline));
    comrt::check(font->get_Strikethrough(&strikethrough));
    Json json = Json::object();
    json["Name"] = comrt::to_utf8(name.view());
    json["Size"] = static_cast<double>(size.int64) / 10000.0;
    json["Weight"] = weight;
    json["Charset"] = charset;
    json["Italic"] = italic != FALSE;
    json["Underline"] = underline != FALSE;
    json["Strikethrough"] = strikethrough != FALSE;
    return json;
}

// An optional member of a font's attributes: absent gives fallback, the wrong kind
// damages the entry.
template <typename T>
T FontAttribute(const Json& json, const char* name, T fallback, Json::value_t kind) {
    const auto it = json.find(name);
    if (it == json.end()) return fallback;
    if (kind == Json::value_t::boolean ? !it->is_boolean() : !it->is_number_integer()) FailDamaged();
    return it->get<T>();
}

comrt::Variant FontFromJson(const Json& json) {
    const auto name = json.find("Name");
    const auto size = json.find("Size");
    if (name == json.end() || !name->is_string() || size == json.end() || !size->is_number()) FailDamaged();
    const double points = size->get<double>();
    const long long weight = FontAttribute<long long>(json, "Weight", FW_NORMAL, Json::value_t::number_integer);
    const long long charset = FontAttribute<long long>(json, "Charset", DEFAULT_CHARSET, Json::value_t::number_integer);
    if (!(points > 0 && points < 1e6) || weight < 0 || weight > 1000 || charset < 0 || charset > 255) FailDamaged();

    comrt::Bstr family(comrt::from_utf8(name->get<std::string>()));
    if (family.empty()) FailDamaged();
    FONTDESC desc{};
    desc.cbSizeofstruct = sizeof desc;
    desc.lpstrName = family.get();
    desc.cySize.int64 = std::llround(points * 10000.0);
    desc.sWeight = static_cast<SHORT>(weight);
    desc.sCharset = static_cast<SHORT>(charset);
    desc.fItalic = FontAttribute<bool>(json, "Italic", false, Json::value_t::boolean) ? TRUE : FALSE;
    desc.fUnderline = FontAttribute<bool>(json, "Underline", false, Json::value_t::boolean) ? TRUE : FALSE;
    desc.fStrikethrough = FontAttribute<bool>(json, "Strikethrough", false, Json::value_t::boolean) ? TRUE : FALSE;

    comrt::ComPtr<IFontDisp> font;
    comrt::check(OleCreateFontIndirect(&desc, comrt::iid_of<IFontDisp>(), font.put_void()));
    comrt::Variant value;
    value->vt = VT_DISPATCH;
    V_DISPATCH(value.get()) = font.detach();
    return value;
}

// ---- values ------------------------------------------------------------------------------------

Json ToJson(const VARIANT& given) {
    comrt::Variant value;
    if (FAILED(VariantCopyInd(value.get(), &given))) FailTypeMismatch();
    const VARIANT& v = *value.get();
    switch (v.vt) {
    case VT_EMPTY: return nullptr;
    case VT_I1: return static_cast<long long>(v.cVal);
    case VT_I2: return static_cast<long long>(v.iVal);
    case VT_I4: return static_cast<long long>(v.lVal);
    case VT_INT: return static_cast<long long>(v.intVal);
    case VT_I8: return static_cast<long long>(v.llVal);
    case VT_UI1: return static_cast<unsigned long long>(v.bVal);
    case VT_UI2: return static_cast<unsigned long long>(v.uiVal);
    case VT_UI4: return static_cast<unsigned long long>(v.ulVal);
    case VT_UINT: return static_cast<unsigned long long>(v.uintVal);
    case VT_UI8: return static_cast<unsigned long long>(v.ullVal);
    case VT_R4:
    case VT_R8: {
        const double number = v.vt == VT_R4 ? static_cast<double>(v.fltVal) : v.dblVal;
        if (!std::isfinite(number)) FailTypeMismatch();  // JSON has no infinities
        return number;
    }
    case VT_BOOL: return v.boolVal != VARIANT_FALSE;
    case VT_BSTR: return comrt::to_utf8(comrt::Bstr::view_of(v.bstrVal));
    case VT_DISPATCH: return FontToJson(v.pdispVal);
    case VT_UNKNOWN: return FontToJson(v.punkVal);
    default: FailTypeMismatch();
    }
}

comrt::Variant FromJson(const Json& json) {
    comrt::Variant value;
    VARIANT& v = *value.get();
    switch (json.type()) {
    case Json::value_t::null:
        break;
    case Json::value_t::boolean:
        v.vt = VT_BOOL;
        v.boolVal = json.get<bool>() ? VARIANT_TRUE : VARIANT_FALSE;
        break;
    case Json::value_t::number_integer:
    case Json::value_t::number_unsigned: {
        // Non-negative integers come as unsigned, negative ones as signed.
        const bool unsigned_value = json.is_number_unsigned();
        const unsigned long long magnitude = unsigned_value ? json.get<unsigned long long>() : 0;
        const long long signed_value = unsigned_value ? 0 : json.get<long long>();
        if (unsigned_value ? magnitude <= 0xFFFFFFFFull : signed_value >= std::numeric_limits<std::int32_t>::min()) {
            v.vt = VT_I4;
            v.lVal = unsigned_value ? static_cast<LONG>(static_cast<std::uint32_t>(magnitude))
                                    : static_cast<LONG>(signed_value);
        } else {
            v.vt = VT_R8;
            v.dblVal = json.get<double>();
        }
        break;
    }
    case Json::value_t::number_float:
        v.vt = VT_R8;
        v.dblVal = json.get<double>();
        break;
    case Json::value_t::string:
        v.vt = VT_BSTR;
        v.bstrVal = comrt::Bstr(comrt::from_utf8(json.get<std::string>())).detach();
        break;
    case Json::value_t::object:
        return FontFromJson(json);
    default:
        FailDamaged();
    }
    return value;
}

}  // namespace

PropertyBagFile::PropertyBagFile() : entries_(std::make_unique<Entries>()) {}

PropertyBagFile::~PropertyBagFile() = default;

HRESULT PropertyBagFile::load(const QString& path) noexcept try {
    using comrt::runtime_error;
    QFile file(path);
    if (!file.exists()) comrt::raise(runtime_error::file_not_found, kErrorSource);
    if (!file.open(QIODevice::ReadOnly)) comrt::raise(runtime_error::path_file_access_error, kErrorSource);
    if (file.size() > kMaxFileSize) comrt::raise(runtime_error::invalid_file_format, kErrorSource);
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) comrt::raise(runtime_error::path_file_access_error, kErrorSource);
    Json parsed = Json::parse(bytes.constData(), bytes.constData() + bytes.size(), nullptr, false);
    if (parsed.is_discarded() || !parsed.is_object()) comrt::raise(runtime_error::invalid_file_format, kErrorSource);
    entries_->object = std::move(parsed);
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

HRESULT PropertyBagFile::save(const QString& path) const noexcept try {
    const auto fail = [] { comrt::raise(comrt::runtime_error::path_file_access_error, kErrorSource); };
    std::string text;
    try {
        text = entries_->object.dump(2) + "\n";
    } catch (const nlohmann::json::exception&) {
        fail();
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) fail();
    if (file.write(text.data(), static_cast<qint64>(text.size())) != static_cast<qint64>(text.size())) {
        file.cancelWriting();
        fail();
    }
    if (!file.commit()) fail();
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

std::vector<std::u16string> PropertyBagFile::keys() const {
    std::vector<std::u16string> keys;
    for (const auto& entry : entries_->object.items()) keys.push_back(comrt::from_utf8(entry.key()));
    return keys;
}

comrt::Variant PropertyBagFile::ReadProperty(std::u16string_view key) const {
    try {
        const auto it = entries_->object.find(comrt::to_utf8(key));
        if (it == entries_->object.end()) comrt::raise(comrt::runtime_error::data_value_not_found, kErrorSource);
        return FromJson(*it);
    } catch (const nlohmann::json::exception&) {
        FailDamaged();
    } catch (const std::bad_alloc&) {
        throw comrt::com_error(E_OUTOFMEMORY);
    }
}

void PropertyBagFile::WriteProperty(std::u16string_view key, const VARIANT& value) {
    try {
        Json json = ToJson(value);
        entries_->object[comrt::to_utf8(key)] = std::move(json);
    } catch (const nlohmann::json::exception&) {
        FailTypeMismatch();
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
