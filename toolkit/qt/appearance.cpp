// Colours and fonts (appearance.h).
#include <toolkit/qt/appearance.h>

#include <array>
#include <optional>

#include <QApplication>
#include <QWidget>

#include <orvane/qt_types.h>

#include <comrt/colour.h>
#include <comrt/font_attributes.h>
#include <comrt/resource.h>

namespace orvane::qt {
namespace {

constexpr OLE_COLOR kSystemColourBit = 0x80000000u;

// Where each system colour (index 0 to 30) lies in a Qt palette; none for index 25,
// which has no name and keeps the platform's value.
struct SystemColourRole {
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};
using RoleEntry = std::optional<SystemColourRole>;

constexpr SystemColourRole active(QPalette::ColorRole role) { return {QPalette::Active, role}; }

const std::array<RoleEntry, comrt::system_colour_count> kSystemColourRoles = {
    active(QPalette::Mid),                            // 0  scroll bar
    active(QPalette::Dark),                           // 1  desktop background
    active(QPalette::Highlight),                      // 2  active caption
    active(QPalette::Mid),                            // 3  inactive caption
    active(QPalette::Window),                         // 4  menu
    active(QPalette::Base),                           // 5  window
    active(QPalette::Shadow),                         // 6  window frame
    active(QPalette::WindowText),                     // 7  menu text
    active(QPalette::Text),                           // 8  window text
    active(QPalette::HighlightedText),                // 9  caption text
    active(QPalette::Window),                         // 10 active border
    active(QPalette::Window),                         // 11 inactive border
    active(QPalette::Dark),                           // 12 application workspace
    active(QPalette::Highlight),                      // 13 highlight
    active(QPalette::HighlightedText),                // 14 highlighted text
    active(QPalette::Button),                         // 15 button face
    active(QPalette::Dark),                           // 16 button shadow
    SystemColourRole{QPalette::Disabled, QPalette::Text},  // 17 grey text
    active(QPalette::ButtonText),                     // 18 button text
    SystemColourRole{QPalette::Disabled, QPalette::WindowText},  // 19 inactive caption text
    active(QPalette::Light),                          // 20 button highlight
    active(QPalette::Shadow),                         // 21 dark 3-D shadow
    active(QPalette::Midlight),                       // 22 3-D light
    active(QPalette::ToolTipText),                    // 23 tooltip text
    active(QPalette::ToolTipBase),                    // 24 tooltip background
    std::nullopt,                                     // 25 (no name)
    active(QPalette::Link),                           // 26 hot-tracked item
    active(QPalette::Highlight),                      // 27 active caption gradient
    active(QPalette::Mid),                            // 28 inactive caption gradient
    active(QPalette::Highlight),                      // 29 highlighted menu item
    active(QPalette::Window),                         // 30 menu bar
};

}  // namespace

QColor ToQColor(OLE_COLOR colour, const QWidget& widget) {
    if ((colour & kSystemColourBit) != 0) {
        const OLE_COLOR index = colour & ~kSystemColourBit;
        if (index < kSystemColourRoles.size() && kSystemColourRoles[index]) {
            const SystemColourRole& at = *kSystemColourRoles[index];
            return QApplication::palette(&widget).color(at.group, at.role);
        }
    }
    COLORREF ref = 0;
    if (FAILED(OleTranslateColor(colour, nullptr, &ref))) comrt::raise(comrt::runtime_error::invalid_property_value, kErrorSource);
    return orvane::ToQColor(ref);
}

void SetPaletteRoles(QWidget& widget, std::initializer_list<QPalette::ColorRole> roles, const QColor& colour) {
    QPalette palette = widget.palette();
    for (QPalette::ColorRole role : roles) palette.setColor(role, colour);  // every colour group
    widget.setPalette(palette);
}

QFont ToQFont(IFontDisp* font) {
    if (!font) comrt::raise(comrt::runtime_error::object_not_set, kErrorSource);
    const comrt::FontAttributes attributes = comrt::ReadFontAttributes(font);
    if (attributes.size.int64 <= 0) comrt::raise(comrt::runtime_error::invalid_property_value, kErrorSource);
    return orvane::ToQFont(attributes);
}

widgets::FontRef ToFontObject(const QFont& font) {
    return comrt::CreateFontObject(orvane::ToFontAttributes(font));
}

QFont DesignTimeFont() {
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSizeF(8.25);
    font.setWeight(QFont::Normal);
    font.setResolveMask(QFont::AllPropertiesResolved);
    return font;
}

void ShareSystemColours() noexcept {
    const QPalette palette = QApplication::palette();
    for (std::size_t index = 0; index < kSystemColourRoles.size(); ++index) {
        if (!kSystemColourRoles[index]) continue;
        const SystemColourRole& at = *kSystemColourRoles[index];
        const INT element = static_cast<INT>(index);
        const COLORREF colour = orvane::ToColorRef(palette.color(at.group, at.role));
        SetSysColors(1, &element, &colour);
    }
}

}  // namespace orvane::qt
