#include <toolkit/qt/focus_keeper.h>

namespace orvane::qt {

void HideKeepingFocus(QWidget& widget, const QPointer<QWidget>& keeper) {
    // The window's focus widget, which an inactive window keeps as well.
    const QWidget* focus = widget.window()->focusWidget();
    const bool holds_focus = focus && (focus == &widget || widget.isAncestorOf(focus));
    if (holds_focus && keeper && keeper->isVisibleTo(widget.window())) keeper->setFocus(Qt::OtherFocusReason);
    widget.hide();
}

}  // namespace orvane::qt
