// Colours and fonts (appearance.h).
#include <toolkit/qt/appearance.h>

#include <algorithm>

#include <QApplication>
#include <QPainter>
#include <QWidget>

#include <orvane/qt_types.h>

#include <comrt/colour.h>
#include <comrt/font_attributes.h>
#include <comrt/resource.h>

namespace orvane::qt {
QColor ToQColor(OLE_COLOR colour, const QWidget& widget) {
    // System colours follow the application's palette; it is read, never written.
    const QColor translated = orvane::ToQColor(colour, QApplication::palette(&widget));
    if (!translated.isValid()) comrt::raise(comrt::runtime_error::invalid_property_value, kErrorSource);
    return translated;
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

void DrawFocusRing(QPainter& painter, const QRect& rect, const QColor& colour, int width) {
    const int w = std::min({width, rect.width(), rect.height()});
    if (w <= 0) return;
    painter.fillRect(QRect(rect.left(), rect.top(), rect.width(), w), colour);
    painter.fillRect(QRect(rect.left(), rect.bottom() - w + 1, rect.width(), w), colour);
    painter.fillRect(QRect(rect.left(), rect.top(), w, rect.height()), colour);
    painter.fillRect(QRect(rect.right() - w + 1, rect.top(), w, rect.height()), colour);
}

}  // namespace orvane::qt
