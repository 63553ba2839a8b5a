// The plain cell painter (item_painter.h). Its steps follow the common style's drawing of
// an item: the text's rectangle from the text's natural size, aligned in the cell, less a
// margin each side; the panel; the text in the highlighted or plain text colour, its line
// aligned in that rectangle.
#include <toolkit/qt/item_painter.h>

#include <climits>
#include <cstring>

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTextLayout>
#include <QtMath>

namespace orvane::qt {
namespace {

// Styles whose items are the common style's: they leave CE_ItemViewItem to it.
bool DrawsItemsAsCommonStyle(const QStyle& style) {
    const char* const name = style.metaObject()->className();
    return std::strcmp(name, "QFusionStyle") == 0 || std::strcmp(name, "QWindowsStyle") == 0;
}

bool IsPlain(const QStyleOptionViewItem& option) {
    constexpr auto kOthers = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDecoration |
                             QStyleOptionViewItem::WrapText;
    return !(option.features & kOthers) && option.direction == Qt::LeftToRight &&
           !(option.state & (QStyle::State_Editing | QStyle::State_HasFocus)) &&
           !option.text.contains(QChar::LineSeparator) && !option.text.contains(QLatin1Char('\n'));
}

}  // namespace

bool PaintPlainItem(QPainter& painter, const QStyleOptionViewItem& option) {
    const QWidget* const widget = option.widget;
    QStyle* const style = widget ? widget->style() : QApplication::style();
    if (!DrawsItemsAsCommonStyle(*style) || !IsPlain(option)) return false;

    // 1. The text on one line, shaped once: its natural width sizes its rectangle.
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, &option, widget) + 1;
    const bool has_text = !option.text.isEmpty();
    QTextLayout layout(option.text, option.font);
    QTextOption text_option;
    text_option.setWrapMode(QTextOption::ManualWrap);
    text_option.setTextDirection(option.direction);
    text_option.setAlignment(QStyle::visualAlignment(option.direction, option.displayAlignment));
    layout.setTextOption(text_option);
    QRect text_rect = option.rect;
    QTextLine line;
    if (has_text) {
        layout.beginLayout();
        line = layout.createLine();
        line.setLineWidth(INT_MAX / 256);  // as wide as a layout's line gets: no wrap
        const qreal natural = line.naturalTextWidth();
        // 2. The text's rectangle, aligned in the cell unless the whole cell shows as
        // selected, less the margins; a text that does not fit is elided, by the style.
        const QSize size(qCeil(natural) + 2 * margin, qCeil(line.height()));
        if (!option.showDecorationSelected)
            text_rect = QStyle::alignedRect(option.direction, option.displayAlignment,
                                            size.boundedTo(option.rect.size()), option.rect);
        text_rect.adjust(margin, 0, -margin, 0);
        if (natural > text_rect.width()) {
            layout.endLayout();
            return false;
        }
        line.setLineWidth(text_rect.width());
        line.setPosition(QPointF(0, 0));
        layout.endLayout();
    }

    // 3. The panel, then the text.
    painter.save();
    painter.setClipRect(option.rect);
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &option, &painter, widget);
    if (has_text) {
        QPalette::ColorGroup group = option.state & QStyle::State_Enabled ? QPalette::Normal : QPalette::Disabled;
        if (group == QPalette::Normal && !(option.state & QStyle::State_Active)) group = QPalette::Inactive;
        const bool selected = option.state & QStyle::State_Selected;
        painter.setPen(option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
        const QRect line_rect =
            QStyle::alignedRect(option.direction, option.displayAlignment,
                                QSize(int(line.width()), int(line.height())), text_rect);
        line.draw(&painter, line_rect.topLeft());
    }
    painter.restore();
    return true;
}

}  // namespace orvane::qt
