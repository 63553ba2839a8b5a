/// @file
/// The component's COM types as Qt types: UTF-16 text as QString, font attributes as
/// QFont, colour references as QColor, and groups filled from QStrings.
///
///     comrt::ComPtr<_clsTessel> network = orvane::NewGroup(tr("Network"));
///     orvane::AddItem(*network, tr("Proxy"), "System", {"None", "System", "Manual"});
///     orvane::AddItem(*network, tr("Proxy host"), "proxy.example.org");
///
/// Header-only. The group functions need Orvane::tessel_host (Orvane::widgets brings it)
/// and throw comrt::com_error as those of tessel/groups.h do.
#pragma once

#include <algorithm>
#include <cmath>
#include <vector>

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QFontInfo>
#include <QString>
#include <QStringList>

#include <comrt/colour.h>
#include <comrt/font_attributes.h>
#include <comrt/text.h>
#include <tessel/groups.h>

namespace orvane {

/// UTF-16 text as a QString (embedded NULs kept).
inline QString ToQString(comrt::olestring_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

/// A QString as UTF-16 text.
inline comrt::olestring ToOleString(const QString& text) { return text.toStdU16String(); }

/// The font that font attributes describe: the family (one the system lacks falls back as
/// Qt chooses), the size in points (none when it is not above 0), the weight (kept within
/// 1 to 1000), italic, underline and strikethrough. Every attribute is the font's own:
/// nothing is taken over from a parent widget.
inline QFont ToQFont(const comrt::FontAttributes& attributes) {
    QFont font(ToQString(attributes.name));
    if (attributes.size.int64 > 0) font.setPointSizeF(static_cast<double>(attributes.size.int64) / 10000.0);
    font.setWeight(static_cast<QFont::Weight>(std::clamp<int>(attributes.weight, 1, 1000)));
    font.setItalic(attributes.italic);
    font.setUnderline(attributes.underline);
    font.setStrikeOut(attributes.strikethrough);
    font.setResolveMask(QFont::AllPropertiesResolved);
    return font;
}

/// A QFont's attributes (charset DEFAULT_CHARSET). A font sized in pixels has no point
/// size of its own: its resolved size serves.
inline comrt::FontAttributes ToFontAttributes(const QFont& font) {
    comrt::FontAttributes attributes;
    attributes.name = ToOleString(font.family());
    const double points = font.pointSizeF() > 0 ? font.pointSizeF() : QFontInfo(font).pointSizeF();
    attributes.size.int64 = std::llround(std::max(points, 0.0) * 10000.0);
    attributes.weight = static_cast<SHORT>(font.weight());
    attributes.italic = font.italic();
    attributes.underline = font.underline();
    attributes.strikethrough = font.strikeOut();
    return attributes;
}

/// The colour of a colour reference 0x00BBGGRR.
inline QColor ToQColor(COLORREF colour) {
    return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                  static_cast<int>((colour >> 16) & 0xFF));
}

/// A colour as a colour reference 0x00BBGGRR (its alpha is dropped).
inline COLORREF ToColorRef(const QColor& colour) {
    const QColor rgb = colour.toRgb();
    return static_cast<COLORREF>(rgb.red()) | (static_cast<COLORREF>(rgb.green()) << 8) |
           (static_cast<COLORREF>(rgb.blue()) << 16);
}

/// The colour an OLE_COLOR stands for where `palette` is the system's: a system colour
/// (0x800000xx) is the palette's colour of the same use (5, window background: Base; 15,
/// button face: Button; 8, window text: Text; ...; index 25, which has no use, as comrt's
/// GetSysColor gives it); any other colour as OleTranslateColor translates it. An invalid
/// QColor for a value that is no colour. Reads the palette only: nothing process-wide is
/// written, so what a host set with SetSysColors or QApplication::setPalette stays.
inline QColor ToQColor(OLE_COLOR colour, const QPalette& palette) {
    struct Use {
        QPalette::ColorGroup group;
        QPalette::ColorRole role;
    };
    constexpr QPalette::ColorGroup active = QPalette::Active;
    static constexpr Use kSystemColourUses[comrt::system_colour_count] = {
        {active, QPalette::Mid},               // 0  scroll bar
        {active, QPalette::Dark},              // 1  desktop background
        {active, QPalette::Highlight},         // 2  active caption
        {active, QPalette::Mid},               // 3  inactive caption
        {active, QPalette::Window},            // 4  menu
        {active, QPalette::Base},              // 5  window
        {active, QPalette::Shadow},            // 6  window frame
        {active, QPalette::WindowText},        // 7  menu text
        {active, QPalette::Text},              // 8  window text
        {active, QPalette::HighlightedText},   // 9  caption text
        {active, QPalette::Window},            // 10 active border
        {active, QPalette::Window},            // 11 inactive border
        {active, QPalette::Dark},              // 12 application workspace
        {active, QPalette::Highlight},         // 13 highlight
        {active, QPalette::HighlightedText},   // 14 highlighted text
        {active, QPalette::Button},            // 15 button face
        {active, QPalette::Dark},              // 16 button shadow
        {QPalette::Disabled, QPalette::Text},  // 17 grey text
        {active, QPalette::ButtonText},        // 18 button text
        {QPalette::Disabled, QPalette::WindowText},  // 19 inactive caption text
        {active, QPalette::Light},             // 20 button highlight
        {active, QPalette::Shadow},            // 21 dark 3-D shadow
        {active, QPalette::Midlight},          // 22 3-D light
        {active, QPalette::ToolTipText},       // 23 tooltip text
        {active, QPalette::ToolTipBase},       // 24 tooltip background
        {active, QPalette::NoRole},            // 25 (no use)
        {active, QPalette::Link},              // 26 hot-tracked item
        {active, QPalette::Highlight},         // 27 active caption gradient
        {active, QPalette::Mid},               // 28 inactive caption gradient
        {active, QPalette::Highlight},         // 29 highlighted menu item
        {active, QPalette::Window},            // 30 menu bar
    };
    constexpr OLE_COLOR kSystemColourBit = 0x80000000u;
    if ((colour & ~0xFFu) == kSystemColourBit && (colour & 0xFFu) < comrt::system_colour_count) {
        const Use& use = kSystemColourUses[colour & 0xFFu];
        if (use.role != QPalette::NoRole) return palette.color(use.group, use.role);
    }
    COLORREF reference = 0;
    if (FAILED(OleTranslateColor(colour, nullptr, &reference))) return {};
    return ToQColor(reference);
}

/// A new, empty group named `name`; see tessel::NewGroup.
inline comrt::ComPtr<_clsTessel> NewGroup(const QString& name, IClassFactory* factory = nullptr) {
    return tessel::NewGroup(ToOleString(name), factory);
}

/// Appends a free-text item; see tessel::AddItem.
inline void AddItem(_clsTessel& group, const QString& name, const QString& value) {
    tessel::AddItem(group, ToOleString(name), ToOleString(value));
}

/// Appends an item with a list of choices, stored from index 0; by default a drop-down
/// item. See tessel::AddItem.
inline void AddItem(_clsTessel& group, const QString& name, const QString& value, const QStringList& choices,
                    SHORT type = tessel::kDropDownItem) {
    std::vector<comrt::olestring> list;
    list.reserve(static_cast<std::size_t>(choices.size()));
    for (const QString& choice : choices) list.push_back(ToOleString(choice));
    tessel::AddItem(group, ToOleString(name), ToOleString(value), std::span<const comrt::olestring>(list), type);
}

/// Every item's name and value, in order; see tessel::ItemTexts.
inline std::vector<std::pair<QString, QString>> ItemTexts(_clsTessel& group) {
    std::vector<std::pair<QString, QString>> texts;
    for (const auto& [name, value] : tessel::ItemTexts(group)) texts.emplace_back(ToQString(name), ToQString(value));
    return texts;
}

}  // namespace orvane
