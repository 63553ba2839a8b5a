// The control's persisted properties in memory and in a stream (property_store.h).
#include <control/property_store.h>

#include <cstdint>
#include <cstring>

#include <comrt/error.h>
#include <comrt/font_attributes.h>
#include <control/widgets/contract.h>

namespace orvane {
namespace {

constexpr std::uint16_t kFormat = 1;
constexpr std::uint8_t kItalic = 1, kUnderline = 2, kStrikethrough = 4;

[[noreturn]] void FailFormat() { comrt::raise(comrt::runtime_error::invalid_file_format, kErrorSource); }

// Little-endian numbers and counted UTF-16 text appended to the stream form.
class Writer {
public:
    explicit Writer(std::vector<std::byte>& out) : out_(out) {}
    void Unsigned(std::uint64_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) out_.push_back(static_cast<std::byte>((value >> (8 * i)) & 0xFF));
    }
    void Text(comrt::olestring_view text) {
        if (text.size() > PropertyStore::kMaxNameLength) comrt::raise(comrt::runtime_error::invalid_property_value, kErrorSource);
        Unsigned(text.size(), 2);
        for (const OLECHAR unit : text) Unsigned(unit, 2);
    }

private:
    std::vector<std::byte>& out_;
};

// The same read back from a stream, exactly as many bytes as each value takes.
class Reader {
public:
    explicit Reader(IStream& stream) : stream_(stream) {}
    std::uint64_t Unsigned(int bytes) {
        unsigned char raw[8]{};
        ULONG read = 0;
        comrt::check(stream_.Read(raw, static_cast<ULONG>(bytes), &read));
        if (read != static_cast<ULONG>(bytes)) FailFormat();
        std::uint64_t value = 0;
        for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | raw[i];
        return value;
    }
    comrt::olestring Text() {
        const std::size_t length = Unsigned(2);
        if (length > PropertyStore::kMaxNameLength) FailFormat();
        comrt::olestring text(length, OLECHAR{});
        for (OLECHAR& unit : text) unit = static_cast<OLECHAR>(Unsigned(2));
        return text;
    }

private:
    IStream& stream_;
};

void WriteFont(Writer& out, IUnknown* font) {
    const comrt::FontAttributes attributes = comrt::ReadFontAttributes(font);
    out.Text(attributes.name);
    out.Unsigned(static_cast<std::uint64_t>(attributes.size.int64), 8);
    out.Unsigned(static_cast<std::uint16_t>(attributes.weight), 2);
    out.Unsigned(static_cast<std::uint16_t>(attributes.charset), 2);
    out.Unsigned((attributes.italic ? kItalic : 0) | (attributes.underline ? kUnderline : 0) |
                     (attributes.strikethrough ? kStrikethrough : 0),
                 1);
}

comrt::ComPtr<IFontDisp> ReadFont(Reader& in) {
    comrt::FontAttributes attributes;
    attributes.name = in.Text();
    attributes.size.int64 = static_cast<std::int64_t>(in.Unsigned(8));
    attributes.weight = static_cast<SHORT>(in.Unsigned(2));
    attributes.charset = static_cast<SHORT>(in.Unsigned(2));
    const std::uint64_t flags = in.Unsigned(1);
    if (flags & ~std::uint64_t{kItalic | kUnderline | kStrikethrough}) FailFormat();
    attributes.italic = flags & kItalic;
    attributes.underline = flags & kUnderline;
    attributes.strikethrough = flags & kStrikethrough;
    try {
        return comrt::CreateFontObject(attributes);
    } catch (const comrt::com_error& error) {
        // Attributes no font object takes were never written by a save.
        if (error.code() == E_INVALIDARG) FailFormat();
        throw;
    }
}

}  // namespace

HRESULT STDMETHODCALLTYPE PropertyStore::Read(LPCOLESTR pszPropName, VARIANT* pVar, IErrorLog* pErrorLog) noexcept try {
    if (!pszPropName || !pVar) return E_POINTER;
    for (const auto& [name, value] : entries_) {
        if (name != pszPropName) continue;
        VariantClear(pVar);
        return VariantCopy(pVar, value.get());
    }
    if (pErrorLog) {
        EXCEPINFO missing{};
        missing.scode = E_INVALIDARG;
        pErrorLog->AddError(pszPropName, &missing);
    }
    return E_INVALIDARG;
} catch (...) {
    return comrt::to_hresult();
}

HRESULT STDMETHODCALLTYPE PropertyStore::Write(LPCOLESTR pszPropName, VARIANT* pVar) noexcept try {
    if (!pszPropName || !pVar) return E_POINTER;
    const VARTYPE vt = pVar->vt;
    if (vt != VT_I4 && vt != VT_DISPATCH && vt != VT_EMPTY) return DISP_E_TYPEMISMATCH;
    comrt::Variant copy;
    comrt::check(VariantCopy(copy.put(), pVar));
    if (vt == VT_DISPATCH && !copy->pdispVal) copy.clear();  // no font
    for (auto& [name, value] : entries_) {
        if (name != pszPropName) continue;
        value = std::move(copy);
        return S_OK;
    }
    entries_.emplace_back(pszPropName, std::move(copy));
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

void PropertyStore::CopyFrom(IPropertyBag& bag, const OLECHAR* name, IErrorLog* log) {
    comrt::Variant value;
    if (FAILED(bag.Read(name, value.put(), log))) return;
    comrt::check(Write(name, value.get()));
}

void PropertyStore::CopyTo(IPropertyBag& bag) {
    for (auto& [name, value] : entries_) comrt::check(bag.Write(name.c_str(), value.get()));
}

std::vector<std::byte> PropertyStore::Serialize() const {
    std::vector<std::byte> bytes;
    Writer out(bytes);
    out.Unsigned(kFormat, 2);
    out.Unsigned(entries_.size(), 2);
    for (const auto& [name, value] : entries_) {
        out.Text(name);
        out.Unsigned(value.vt(), 2);
        if (value.vt() == VT_I4) out.Unsigned(static_cast<std::uint32_t>(value->lVal), 4);
        else if (value.vt() == VT_DISPATCH) WriteFont(out, value->pdispVal);
    }
    return bytes;
}

void PropertyStore::Deserialize(IStream& stream) {
    Reader in(stream);
    if (in.Unsigned(2) != kFormat) FailFormat();
    const std::size_t count = in.Unsigned(2);
    if (count > kMaxEntries) FailFormat();
    std::vector<std::pair<comrt::olestring, comrt::Variant>> entries;
    for (std::size_t i = 0; i < count; ++i) {
        comrt::olestring name = in.Text();
        comrt::Variant value;
        switch (in.Unsigned(2)) {
        case VT_I4:
            value->vt = VT_I4;
            value->lVal = static_cast<LONG>(static_cast<std::uint32_t>(in.Unsigned(4)));
            break;
        case VT_DISPATCH: {
            comrt::ComPtr<IFontDisp> font = ReadFont(in);  // read whole before the value holds it
            value->vt = VT_DISPATCH;
            value->pdispVal = font.detach();
            break;
        }
        case VT_EMPTY:
            break;
        default:
            FailFormat();
        }
        entries.emplace_back(std::move(name), std::move(value));
    }
    entries_ = std::move(entries);
}

}  // namespace orvane
