// The container surface of the widget contract (control/widgets/container.h): the
// control's own window, a QWidget that hosts the child widgets.
//
// Every event of the surface becomes a message that runs through the window's procedure
// chain (table_window.h); the chain's original procedure is Qt's own handling of the
// event (QWidget::event), so a procedure put in front sees each message after the
// surface has handled it: WM_PAINT after the surface painted, WM_SIZE after the
// Resize container event laid the control out. The messages:
//
//   paint WM_PAINT; resize WM_SIZE (lParam: width | height << 16, pixels); move WM_MOVE;
//   show / hide WM_SHOWWINDOW (wParam 1 / 0); focus in / out WM_SETFOCUS / WM_KILLFOCUS;
//   mouse presses, releases and double clicks WM_[LRM]BUTTONDOWN / UP / DBLCLK, moves
//   WM_MOUSEMOVE, the wheel WM_MOUSEWHEEL (lParam: x | y << 16, pixels); keys
//   WM_KEYDOWN / WM_KEYUP (wParam: the Qt key code); WM_ENABLE; WM_CLOSE; every other
//   event kToolkitEventMessage with the QEvent::Type in wParam.
//
// A procedure that does not chain on consumes the event. A message sent to the window
// without an event behind it (SendMessageA) reaches the original procedure too: WM_SIZE
// then raises Resize, WM_PAINT schedules a repaint.
#pragma once

#include <memory>

#include <QLabel>
#include <QPointer>
#include <QWidget>

#include <control/widgets/container.h>
#include <toolkit/qt/widget_handle.h>
#include <toolkit/qt/table_window.h>

namespace orvane::qt {

// The message of a toolkit event that has no platform message of its own.
inline constexpr UINT kToolkitEventMessage = 0x8000;  // WM_APP

class SurfaceWidget final : public QWidget, public TableWindow {
    Q_OBJECT

public:
    explicit SurfaceWidget(QWidget* parent);
    ~SurfaceWidget() override;

    void setEventSink(widgets::ContainerEvents* sink) noexcept { sink_ = sink; }
    widgets::ContainerEvents* eventSink() const noexcept { return sink_; }
    HWND windowHandle() const noexcept { return handle_; }

    // Widgets of the control that lie deeper (the editors in the grid's viewport), listed
    // after the surface's own children to assistive technology (surface_accessible.h).
    void listAsChild(QWidget* widget) { listed_.append(widget); }
    QList<QWidget*> listedChildren() const;

    // The size the surface asks a layout for: its design-time size.
    void setDesignSize(QSize size) { design_size_ = size; updateGeometry(); }
    QSize sizeHint() const override { return design_size_; }

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // An event on its way through the procedure chain.
    struct InFlight {
        QEvent* event;
        UINT msg;
        bool handled = false;
        bool result = false;
    };

    LRESULT handleMessage(UINT msg, WPARAM wParam, LPARAM lParam) noexcept override;

    HWND handle_ = nullptr;
    widgets::ContainerEvents* sink_ = nullptr;
    QMetaObject::Connection focus_watch_;  // the application's focus changes (ExitFocus)
    InFlight* in_flight_ = nullptr;
    QSize design_size_;
    QList<QPointer<QWidget>> listed_;
};

class QtSurface final : public widgets::Container {
public:
    // Makes the surface as a child of parent, at the design-time size (twips), with the
    // design-time colours (button face, button text) and font. The surface belongs to
    // parent (with no parent, to the adapter) until Destroy.
    QtSurface(QWidget* parent, float width, float height);
    ~QtSurface() override;
    QtSurface(const QtSurface&) = delete;
    QtSurface& operator=(const QtSurface&) = delete;

    // The surface widget, or null once it is gone.
    SurfaceWidget* widget() const noexcept { return surface_.get(); }

    // Sends WM_SIZE through the window's procedure chain (the original procedure raises
    // Resize), as after a change of size; for sizing a control whose window is not shown.
    void deliverResize() noexcept;

    // ---- widgets::Container ----------------------------------------------------------
    void SetEventSink(widgets::ContainerEvents* sink) noexcept override;
    float ScaleWidth() override;
    float ScaleHeight() override;
    OLE_HANDLE hWnd() override;
    OLE_COLOR BackColor() override;
    void SetBackColor(OLE_COLOR color) override;
    OLE_COLOR ForeColor() override;
    void SetForeColor(OLE_COLOR color) override;
    widgets::FontRef Font() override;
    void SetFont(const widgets::FontRef& font) override;
    void SetObjectRect(const RECT& position) override;
    void SetVisible(bool visible) override;
    // The message line is a QLabel on the surface (object name "message"): dark red on
    // pale red, no focus, transparent for the mouse, its text its accessible name; showing
    // it raises an alert for assistive technology.
    void ShowMessage(float left, double top, std::int32_t width, std::u16string_view text) override;
    void HideMessage() override;
    void Destroy() noexcept override;

    // The message line, or null once the surface is gone.
    QLabel* messageLine() const noexcept { return message_.data(); }

private:
    SurfaceWidget& live() const { return surface_.live(); }

    WidgetHandle<SurfaceWidget> surface_;
    OLE_COLOR back_color_ = 0x8000000F;
    OLE_COLOR fore_color_ = 0x80000012;
    widgets::FontRef font_;
    bool resized_ = false;  // SetObjectRect raised Resize once
    QPointer<QLabel> message_;
};

}  // namespace orvane::qt
