// The embeddable widget (orvane/properties_widget.h).
#include <orvane/properties_widget.h>

#include <QPointer>
#include <QVBoxLayout>

#include <toolkit/qt/control_site.h>
#include <toolkit/qt/property_bag_file.h>

namespace orvane {

PropertiesWidget::PropertiesWidget(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);

    const QPointer<PropertiesWidget> self(this);
    auto report = [self](const QString& handler, HRESULT hr) {
        if (!self) return;
        // Queued: the host's slot never runs inside the control's handler.
        QMetaObject::invokeMethod(
            self.data(), [self, handler, hr] { emit self->handlerFailed(handler, hr); }, Qt::QueuedConnection);
    };
    creation_status_ = qt::ControlSite::create(this, std::move(report), nullptr, site_);
    if (!site_) return;
    qt::SurfaceWidget* surface = site_->surface();
    layout->addWidget(surface);
    connect(surface, &qt::SurfaceWidget::propertyChanged, this, &PropertiesWidget::appearanceChanged);
}

PropertiesWidget::~PropertiesWidget() {
    // The control goes before the widgets it drives.
    site_.reset();
}

comrt::ComPtr<_PropertiesCtl> PropertiesWidget::control() const noexcept {
    return site_ ? comrt::ComPtr<_PropertiesCtl>(site_->control()) : nullptr;
}

HRESULT PropertiesWidget::saveAppearance(const QString& path) {
    if (!site_) return creation_status_;
    qt::PropertyBagFile bag;
    const HRESULT written = site_->writeProperties(bag);
    if (FAILED(written)) return written;
    return bag.save(path);
}

HRESULT PropertiesWidget::loadAppearance(const QString& path) {
    if (!site_) return creation_status_;
    qt::PropertyBagFile bag;
    const HRESULT loaded = bag.load(path);
    if (FAILED(loaded)) return loaded;
    return site_->readProperties(bag);
}

QSize PropertiesWidget::sizeHint() const {
    return site_ && site_->surface() ? site_->surface()->sizeHint() : QWidget::sizeHint();
}

}  // namespace orvane
