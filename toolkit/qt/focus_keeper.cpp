#include <toolkit/qt/focus_keeper.h>

#include <QCoreApplication>

namespace orvane::qt {

void HideKeepingFocus(QWidget& widget, const QPointer<QWidget>& keeper) {
    // The window's focus widget, which an inactive window keeps as well.
    const QWidget* focus = widget.window()->focusWidget();
    const bool holds_focus = focus && (focus == &widget || widget.isAncestorOf(focus));
    if (holds_focus && keeper && keeper->isVisibleTo(widget.window())) keeper->setFocus(Qt::OtherFocusReason);
    widget.hide();
}

bool ForwardWheel(QWheelEvent& event, const QPointer<QWidget>& target) {
    if (!target) return false;
    QCoreApplication::sendEvent(target, &event);
    return true;
}

}  // namespace orvane::qt
