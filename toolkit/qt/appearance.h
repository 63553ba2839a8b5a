// Colours and fonts: the platform's colour references and font objects, as Qt widgets
// take them.
#pragma once

#include <initializer_list>

#include <QColor>
#include <QFont>
#include <QPalette>

#include <control/widgets/contract.h>

class QPainter;
class QRect;
class QWidget;

namespace orvane::qt {

// The focus ring of the control's widgets: a frame `width` pixels wide just inside rect.
void DrawFocusRing(QPainter& painter, const QRect& rect, const QColor& colour, int width = 2);

// The colour that `colour` names on `widget`: a colour reference 0x00BBGGRR as it is; a
// system colour (0x800000xx) as the application's palette for widgets of widget's kind
// has it (QApplication::palette(&widget): the widget's own palette may carry a colour
// put on it already). Anything else fails with CTL_E_INVALIDPROPERTYVALUE.
QColor ToQColor(OLE_COLOR colour, const QWidget& widget);

// Paints `roles` of widget's palette, in every colour group, with colour.
void SetPaletteRoles(QWidget& widget, std::initializer_list<QPalette::ColorRole> roles, const QColor& colour);

// The font a font object describes: its name (a family the system lacks falls back as
// Qt chooses), its size in points, weight, italic, underline and strikethrough.
// A null font fails with the object-not-set error (91), a size at or below 0 with
// CTL_E_INVALIDPROPERTYVALUE, a font object that cannot report an attribute with its
// own error.
QFont ToQFont(IFontDisp* font);

// A new font object with font's attributes (charset DEFAULT_CHARSET). Fails with
// com_error when the font object cannot be made.
widgets::FontRef ToFontObject(const QFont& font);

// The font the widgets carry at design time: "Tahoma" 8.25 points, weight 400.
QFont DesignTimeFont();

}  // namespace orvane::qt
