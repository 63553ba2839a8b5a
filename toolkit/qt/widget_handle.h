// How the contract's adapters hold their Qt widgets: a QPointer, because the widget
// belongs to its Qt parent (the control's surface) and may go first. A widget made
// without a parent belongs to the handle.
#pragma once

#include <QPointer>

#include <comrt/error.h>

namespace orvane::qt {

template <typename W>
class WidgetHandle {
public:
    explicit WidgetHandle(W* widget) noexcept : widget_(widget), owned_(widget && !widget->parent()) {}
    ~WidgetHandle() {
        if (owned_ && widget_) delete widget_.data();
    }
    WidgetHandle(const WidgetHandle&) = delete;
    WidgetHandle& operator=(const WidgetHandle&) = delete;

    // The widget; a widget that is gone fails with E_HANDLE (comrt::com_error).
    W& live() const {
        if (!widget_) throw comrt::com_error(E_HANDLE);
        return *widget_;
    }
    // The widget, or null once it is gone.
    W* get() const noexcept { return widget_.data(); }

private:
    QPointer<W> widget_;
    bool owned_;
};

}  // namespace orvane::qt
