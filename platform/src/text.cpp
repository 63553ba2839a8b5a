// UTF-16 <-> UTF-8 (text.h).
//
// UTF-16: a character above U+FFFF is a high surrogate (D800-DBFF) followed by a low one
// (DC00-DFFF). UTF-8: one to four bytes per character,
//
//   U+0000..U+007F     0xxxxxxx
//   U+0080..U+07FF     110xxxxx 10xxxxxx                     (lead C2-DF)
//   U+0800..U+FFFF     1110xxxx 10xxxxxx 10xxxxxx            (lead E0-EF)
//   U+10000..U+10FFFF  11110xxx 10xxxxxx 10xxxxxx 10xxxxxx   (lead F0-F4)
//
// where only the shortest form is valid and D800-DFFF are no characters. The second byte
// of a three- or four-byte form has a narrower range than 80-BF (E0: A0-BF, ED: 80-9F,
// F0: 90-BF, F4: 80-8F); that range is what rules out overlong forms, surrogates and
// values above U+10FFFF.
#include <comrt/text.h>

namespace comrt {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// The character that starts at text[i], with i moved past it; U+FFFD for an unpaired
// surrogate.
char32_t next_of(olestring_view text, std::size_t& i) noexcept {
    const OLECHAR unit = text[i++];
    if (unit < 0xD800 || unit > 0xDFFF) return unit;
    if (unit <= 0xDBFF && i < text.size() && text[i] >= 0xDC00 && text[i] <= 0xDFFF)
        return 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (text[i++] - 0xDC00);
    return kReplacement;
}

// The character that starts at text[i], with i moved past it; U+FFFD for an ill-formed
// piece, which ends before the first byte that cannot continue it (that byte starts the
// next piece).
char32_t next_of(std::string_view text, std::size_t& i) noexcept {
    const auto lead = static_cast<unsigned char>(text[i++]);
    if (lead < 0x80) return lead;
    std::size_t length = 0;
    char32_t c = 0;
    unsigned char low = 0x80, high = 0xBF;  // the range of the next byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        c = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        c = lead & 0x0F;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        c = lead & 0x07;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return kReplacement;  // a continuation byte, C0, C1 or F5-FF
    }
    for (std::size_t k = 1; k < length; ++k) {
        if (i == text.size()) return kReplacement;
        const auto next = static_cast<unsigned char>(text[i]);
        if (next < low || next > high) return kReplacement;
        c = (c << 6) | (next & 0x3F);
        ++i;
        low = 0x80;
        high = 0xBF;
    }
    return c;
}

void append(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

void append(olestring& out, char32_t c) {
    if (c < 0x10000) {
        out += static_cast<OLECHAR>(c);
    } else {
        out += static_cast<OLECHAR>(0xD800 + ((c - 0x10000) >> 10));
        out += static_cast<OLECHAR>(0xDC00 + ((c - 0x10000) & 0x3FF));
    }
}

// Decodes text character by character and appends each to out; per_unit is the most
// code units of Out that one code unit of In can give.
template <typename In, typename Out>
HRESULT convert(In text, Out& out, std::size_t per_unit) noexcept try {
    out.clear();
    if (text.size() > out.max_size() / per_unit) return E_OUTOFMEMORY;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) append(out, next_of(text, i));
    return S_OK;
} catch (...) {
    out.clear();
    return to_hresult();
}

}  // namespace

// At most three bytes per code unit (a pair of units gives four).
HRESULT utf16_to_utf8(olestring_view text, std::string& out) noexcept { return convert(text, out, 3); }

// At most one code unit per byte (four bytes give two).
HRESULT utf8_to_utf16(std::string_view text, olestring& out) noexcept { return convert(text, out, 1); }

}  // namespace comrt
