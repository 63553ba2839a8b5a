// The container surface of the widget contract (qt_surface.h).
#include <toolkit/qt/delivery.h>
#include <toolkit/qt/qt_surface.h>

#include <algorithm>
#include <cstdint>
#include <utility>

#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QResizeEvent>
#include <QWheelEvent>

#include <toolkit/qt/appearance.h>
#include <toolkit/qt/qt_strings.h>
#include <toolkit/qt/surface_accessible.h>
#include <toolkit/qt/units.h>

namespace orvane::qt {
namespace {

// Platform messages that surface events become (beside WM_PAINT and WM_SIZE).
constexpr UINT kWmMove = 0x0003;
constexpr UINT kWmSetFocus = 0x0007;
constexpr UINT kWmKillFocus = 0x0008;
constexpr UINT kWmEnable = 0x000A;
constexpr UINT kWmClose = 0x0010;
constexpr UINT kWmShowWindow = 0x0018;
constexpr UINT kWmKeyDown = 0x0100;
constexpr UINT kWmKeyUp = 0x0101;
constexpr UINT kWmMouseMove = 0x0200;
constexpr UINT kWmLButtonDown = 0x0201;  // + 1 up, + 2 double click
constexpr UINT kWmRButtonDown = 0x0204;
constexpr UINT kWmMButtonDown = 0x0207;
constexpr UINT kWmMouseWheel = 0x020A;

struct Message {
    UINT msg;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

// Two 16-bit halves in one parameter, low first, as the platform packs them.
LPARAM Pack(int low, int high) noexcept {
    return static_cast<LPARAM>((static_cast<std::uint32_t>(high & 0xFFFF) << 16) |
                               static_cast<std::uint32_t>(low & 0xFFFF));
}

UINT ButtonMessage(const QMouseEvent& event) noexcept {
    UINT base = kWmLButtonDown;
    if (event.button() == Qt::RightButton) base = kWmRButtonDown;
    if (event.button() == Qt::MiddleButton) base = kWmMButtonDown;
    switch (event.type()) {
    case QEvent::MouseButtonRelease: return base + 1;
    case QEvent::MouseButtonDblClick: return base + 2;
    default: return base;
    }
}

Message ToMessage(const QEvent& event) noexcept {
    switch (event.type()) {
    case QEvent::Paint:
        return {WM_PAINT};
    case QEvent::Resize: {
        const QSize size = static_cast<const QResizeEvent&>(event).size();
        return {WM_SIZE, 0, Pack(size.width(), size.height())};
    }
    case QEvent::Move:
        return {kWmMove};
    case QEvent::Show:
        return {kWmShowWindow, 1};
    case QEvent::Hide:
        return {kWmShowWindow, 0};
    case QEvent::FocusIn:
        return {kWmSetFocus};
    case QEvent::FocusOut:
        return {kWmKillFocus};
    case QEvent::EnabledChange:
        return {kWmEnable};
    case QEvent::Close:
        return {kWmClose};
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        const auto& key = static_cast<const QKeyEvent&>(event);
        return {event.type() == QEvent::KeyPress ? kWmKeyDown : kWmKeyUp, static_cast<WPARAM>(key.key())};
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove: {
        const auto& mouse = static_cast<const QMouseEvent&>(event);
        const QPoint at = mouse.position().toPoint();
        const UINT msg = event.type() == QEvent::MouseMove ? kWmMouseMove : ButtonMessage(mouse);
        return {msg, 0, Pack(at.x(), at.y())};
    }
    case QEvent::Wheel: {
        const QPoint at = static_cast<const QWheelEvent&>(event).position().toPoint();
        return {kWmMouseWheel, 0, Pack(at.x(), at.y())};
    }
    default:
        return {kToolkitEventMessage, static_cast<WPARAM>(event.type())};
    }
}

}  // namespace

// ---- the surface widget --------------------------------------------------------------------

SurfaceWidget::SurfaceWidget(QWidget* parent) : QWidget(parent) {
    InstallSurfaceAccessibility();
    handle_ = enterWindowTable(*this);
    // The focus going from one of the control's widgets to a widget outside it is the
    // control's ExitFocus. The window losing the activation, and a popup of the control's
    // own (an open list), move no focus in this sense.
    focus_watch_ = connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget* now) {
        if (!sink_ || !old || !now || now->window() != window()) return;
        if ((old == this || isAncestorOf(old)) && now != this && !isAncestorOf(now)) Deliver([this] { sink_->ExitFocus(); });
    });
}

SurfaceWidget::~SurfaceWidget() {
    // The child widgets go after this destructor, in QWidget's, and may move the focus
    // then: the watch must not reach this object any more.
    disconnect(focus_watch_);
    sink_ = nullptr;
    leaveWindowTable(std::exchange(handle_, nullptr));
}

bool SurfaceWidget::event(QEvent* event) {
    // Deleting the widget is no message of the window.
    if (!handle_ || event->type() == QEvent::DeferredDelete) return QWidget::event(event);
    const Message message = ToMessage(*event);
    InFlight flight{event, message.msg};
    InFlight* const outer = std::exchange(in_flight_, &flight);
    const QPointer<SurfaceWidget> alive(this);
    SendMessageA(handle_, message.msg, message.wParam, message.lParam);
    if (alive) in_flight_ = outer;
    // A procedure that did not chain on to the original one consumed the event.
    return flight.handled ? flight.result : true;
}

QList<QWidget*> SurfaceWidget::listedChildren() const {
    QList<QWidget*> widgets;
    for (const QPointer<QWidget>& widget : listed_) {
        if (widget) widgets.append(widget.data());
    }
    return widgets;
}

void SurfaceWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (widgets::ContainerEvents* sink = sink_) Deliver([&] { sink->Resize(); });
}

LRESULT SurfaceWidget::handleMessage(UINT msg, WPARAM, LPARAM) noexcept {
    if (in_flight_ && in_flight_->msg == msg && !in_flight_->handled) {
        in_flight_->handled = true;
        in_flight_->result = QWidget::event(in_flight_->event);
        return in_flight_->result ? 1 : 0;
    }
    // A message without an event behind it.
    switch (msg) {
    case WM_SIZE:
        if (widgets::ContainerEvents* sink = sink_) Deliver([&] { sink->Resize(); });
        return 0;
    case WM_PAINT:
        update();
        return 0;
    default:
        return 0;
    }
}

// ---- the contract's adapter ------------------------------------------------------------------

QtSurface::QtSurface(QWidget* parent, float width, float height) : surface_(new SurfaceWidget(parent)) {
    SurfaceWidget& surface = live();
    surface.setAutoFillBackground(true);
    SetPaletteRoles(surface, {QPalette::Window}, ToQColor(back_color_, surface));
    SetPaletteRoles(surface, {QPalette::WindowText}, ToQColor(fore_color_, surface));
    const QSize size(PixelsX(surface, width), PixelsY(surface, height));
    surface.setDesignSize(size);
    surface.resize(size);
    font_ = ToFontObject(DesignTimeFont());

    message_ = new QLabel(&surface);
    message_->setObjectName(QStringLiteral("message"));
    message_->setFocusPolicy(Qt::NoFocus);
    message_->setAttribute(Qt::WA_TransparentForMouseEvents);
    message_->setWordWrap(true);
    // An error's colours, about 7:1 apart, whatever the control's own colours are.
    message_->setStyleSheet(QStringLiteral("QLabel { color: #a4000f; background: #fde7e9; border: 1px solid #a4000f; "
                                           "padding: 1px 3px; }"));
    message_->hide();
}

QtSurface::~QtSurface() {
    if (SurfaceWidget* surface = surface_.get()) surface->setEventSink(nullptr);
}

void QtSurface::deliverResize() noexcept {
    if (SurfaceWidget* surface = surface_.get()) SendMessageA(surface->windowHandle(), WM_SIZE, 0, 0);
}

void QtSurface::SetEventSink(widgets::ContainerEvents* sink) noexcept {
    if (SurfaceWidget* surface = surface_.get()) surface->setEventSink(sink);
}

float QtSurface::ScaleWidth() {
    SurfaceWidget& surface = live();
    return static_cast<float>(TwipsX(surface, surface.width()));
}

float QtSurface::ScaleHeight() {
    SurfaceWidget& surface = live();
    return static_cast<float>(TwipsY(surface, surface.height()));
}

OLE_HANDLE QtSurface::hWnd() { return widgets::ToHandle(live().windowHandle()); }

OLE_COLOR QtSurface::BackColor() {
    live();
    return back_color_;
}

void QtSurface::SetBackColor(OLE_COLOR color) {
    SurfaceWidget& surface = live();
    SetPaletteRoles(surface, {QPalette::Window}, ToQColor(color, surface));
    back_color_ = color;
}

OLE_COLOR QtSurface::ForeColor() {
    live();
    return fore_color_;
}

void QtSurface::SetForeColor(OLE_COLOR color) {
    SurfaceWidget& surface = live();
    SetPaletteRoles(surface, {QPalette::WindowText}, ToQColor(color, surface));
    fore_color_ = color;
}

widgets::FontRef QtSurface::Font() {
    live();
    return font_;
}

void QtSurface::SetFont(const widgets::FontRef& font) {
    SurfaceWidget& surface = live();
    surface.setFont(ToQFont(font.get()));
    font_ = font;
}

void QtSurface::SetObjectRect(const RECT& position) {
    SurfaceWidget& surface = live();
    if (position.right < position.left || position.bottom < position.top)
        comrt::raise(comrt::runtime_error::invalid_property_value, kErrorSource);
    // Any coordinates a container passes, clamped to what a widget can have: the size is
    // taken in 64 bits, where no difference of two LONGs overflows.
    const auto coordinate = [](LONG c) { return static_cast<int>(std::clamp<LONG>(c, -QWIDGETSIZE_MAX, QWIDGETSIZE_MAX)); };
    const auto extent = [](LONG from, LONG to) {
        return static_cast<int>(std::min<std::int64_t>(std::int64_t{to} - from, QWIDGETSIZE_MAX));
    };
    const QRect rect(coordinate(position.left), coordinate(position.top), extent(position.left, position.right),
                     extent(position.top, position.bottom));
    const bool same_size = rect.size() == surface.size();
    const bool visible = surface.isVisible();
    surface.setGeometry(rect);
    // A visible window gets its resize event from Qt at once; a hidden one only when it
    // is shown, and an unchanged size none: those are laid out here, the first placement
    // always.
    if (!visible || (same_size && !resized_)) deliverResize();
    resized_ = true;
}

void QtSurface::SetVisible(bool visible) { live().setVisible(visible); }

void QtSurface::ShowMessage(float left, double top, std::int32_t width, std::u16string_view text) {
    SurfaceWidget& surface = live();
    if (width < 0) comrt::raise(comrt::runtime_error::invalid_property_value, kErrorSource);
    const int x = PixelsX(surface, left);
    const int y = PixelsY(surface, top);
    const int pixels = PixelsX(surface, width);
    QLabel& line = *message_;
    const QString message = ToQString(text);
    const bool changed = line.isHidden() || line.text() != message;
    line.setText(message);
    line.setAccessibleName(message);
    const int height = line.heightForWidth(pixels);
    line.setGeometry(x, y, pixels, height > 0 ? height : line.sizeHint().height());
    // In front and announced once per message, not at every move under a scrolling cell.
    if (changed) {
        line.raise();
        line.show();
        QAccessibleEvent alert(&line, QAccessible::Alert);
        QAccessible::updateAccessibility(&alert);
    }
}

void QtSurface::HideMessage() {
    live();
    message_->hide();
}

void QtSurface::Destroy() noexcept {
    if (SurfaceWidget* surface = surface_.get()) {
        surface->setEventSink(nullptr);
        if (Delivery::InProgress()) {
            // One of the control's widgets is still inside the event that brought this
            // about (delivery.h): out of its host's sight and reach now, freed once the
            // event is over.
            surface->hide();
            surface->setParent(nullptr);
            surface->deleteLater();
        } else {
            delete surface;
        }
    }
}

}  // namespace orvane::qt
