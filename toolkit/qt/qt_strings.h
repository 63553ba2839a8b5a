// UTF-16 strings between the contract (std::u16string) and Qt (QString): both hold
// UTF-16 code units, which pass unchanged, unpaired surrogates included.
#pragma once

#include <string>
#include <string_view>

#include <QString>

namespace orvane::qt {

inline QString ToQString(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::u16string ToU16String(const QString& text) {
    return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size()));
}

}  // namespace orvane::qt
