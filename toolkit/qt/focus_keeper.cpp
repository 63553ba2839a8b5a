#include <toolkit/qt/focus_keeper.h>

#include <QAbstractScrollArea>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>

namespace orvane::qt {
namespace {

// The parent of the scroll area whose viewport holds editor, or null when editor lies
// elsewhere.
QWidget* OutsideScrollArea(const QWidget& editor) {
    QWidget* host = editor.parentWidget();
    auto* area = host ? qobject_cast<QAbstractScrollArea*>(host->parentWidget()) : nullptr;
    return area && area->viewport() == host ? area->parentWidget() : nullptr;
}

}  // namespace

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

void MoveIntoViewport(QWidget& editor, QWidget& viewport) {
    QWidget* parent = editor.parentWidget();
    if (!parent || &viewport == parent || !parent->isAncestorOf(&viewport)) return;
    // Reparenting hides a widget; inside the same window the focus chain stays as it is.
    const bool shown = !editor.isHidden();
    const QPoint place = viewport.mapFrom(parent, editor.pos());
    editor.setParent(&viewport);
    editor.move(place);
    if (shown) editor.show();
}

QPoint ParentOffset(const QWidget& editor, const QWidget* surface) {
    const QWidget* parent = editor.parentWidget();
    if (!surface || !parent || parent == surface || !surface->isAncestorOf(parent)) return {};
    return parent->mapTo(surface, QPoint(0, 0));
}

bool PassPastScrollArea(QWidget& editor, QEvent& event) {
    if (event.isAccepted()) return false;
    switch (event.type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        QWidget* outside = OutsideScrollArea(editor);
        if (!outside) return false;
        QCoreApplication::sendEvent(outside, &event);
        break;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove: {
        QWidget* outside = OutsideScrollArea(editor);
        if (!outside) return false;
        const auto& mouse = static_cast<const QMouseEvent&>(event);
        QMouseEvent passed(mouse.type(), editor.mapTo(outside, mouse.position()), mouse.scenePosition(),
                           mouse.globalPosition(), mouse.button(), mouse.buttons(), mouse.modifiers(),
                           mouse.pointingDevice());
        QCoreApplication::sendEvent(outside, &passed);
        break;
    }
    default:
        return false;
    }
    event.accept();
    return true;
}

}  // namespace orvane::qt
