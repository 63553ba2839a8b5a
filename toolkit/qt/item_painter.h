// A cell of an item view drawn as the style draws it (CE_ItemViewItem), with its text laid
// out once: the style shapes a cell's text for its size, again for its elision and again
// for its drawing, which is most of what painting a screenful of cells costs.
#pragma once

class QPainter;
class QStyleOptionViewItem;

namespace orvane::qt {

// Draws the cell that option describes (as QStyledItemDelegate::initStyleOption fills it)
// exactly as the style would: its panel, then its text on one line. Only where the result
// is the style's own, pixel for pixel: a style that draws items as Qt's common style does
// (Fusion, Windows), one line of text left to right that fits its cell, no check box,
// icon, focus mark or edit state. Returns false, having drawn nothing, for anything else,
// which the caller hands to the style.
bool PaintPlainItem(QPainter& painter, const QStyleOptionViewItem& option);

}  // namespace orvane::qt
