// The surface's accessible interface (surface_accessible.h).
#include <toolkit/qt/surface_accessible.h>

#include <QAccessible>
#include <QAccessibleWidget>

#include <toolkit/qt/qt_surface.h>

namespace orvane::qt {
namespace {

class SurfaceAccessible final : public QAccessibleWidget {
public:
    explicit SurfaceAccessible(SurfaceWidget* surface) : QAccessibleWidget(surface) {}

    int childCount() const override { return QAccessibleWidget::childCount() + static_cast<int>(listed().size()); }

    QAccessibleInterface* child(int index) const override {
        const int own = QAccessibleWidget::childCount();
        if (index < own) return QAccessibleWidget::child(index);
        const QList<QWidget*> more = listed();
        return index - own < more.size() ? QAccessible::queryAccessibleInterface(more.at(index - own)) : nullptr;
    }

    int indexOfChild(const QAccessibleInterface* child) const override {
        const int own = QAccessibleWidget::indexOfChild(child);
        if (own >= 0 || !child) return own;
        const int at = static_cast<int>(listed().indexOf(qobject_cast<QWidget*>(child->object())));
        return at < 0 ? -1 : QAccessibleWidget::childCount() + at;
    }

    // The editors lie in front of the grid.
    QAccessibleInterface* childAt(int x, int y) const override {
        for (QWidget* widget : listed()) {
            if (widget->isVisible() && QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size()).contains(x, y))
                return QAccessible::queryAccessibleInterface(widget);
        }
        return QAccessibleWidget::childAt(x, y);
    }

private:
    QList<QWidget*> listed() const {
        const auto* surface = qobject_cast<const SurfaceWidget*>(widget());
        return surface ? surface->listedChildren() : QList<QWidget*>();
    }
};

QAccessibleInterface* SurfaceFactory(const QString& class_name, QObject* object) {
    if (class_name != QLatin1String(SurfaceWidget::staticMetaObject.className())) return nullptr;
    auto* surface = qobject_cast<SurfaceWidget*>(object);
    return surface ? new SurfaceAccessible(surface) : nullptr;
}

}  // namespace

void InstallSurfaceAccessibility() { QAccessible::installFactory(&SurfaceFactory); }

}  // namespace orvane::qt
