// PropertiesWidget: a Qt widget that hosts one PropertiesCtl, the property grid control,
// in any layout.
//
//     orvane::PropertiesWidget* grid = new orvane::PropertiesWidget(window);
//     layout->addWidget(grid);
//     comrt::ComPtr<_PropertiesCtl> control = grid->control();
//     control->AddPropertyGroup(&group, &result);   // groups made by the host
//
// The control is created through its class factory (CoCreateInstance of
// CLSID_PropertiesCtl: liborvane.so must be registered), sited on child widgets of this
// widget, initialised and sized; it is terminated when the widget is destroyed. Several
// PropertiesWidgets may live in one window, each with a control of its own.
//
// A failing event handler of the control does not stop it: the failure is reported
// through handlerFailed (queued: the signal arrives once control is back in the event
// loop) and the control keeps running.
#pragma once

#include <memory>

#include <QString>
#include <QWidget>

#include <comrt/com_ptr.h>
#include <orvane/orvane.h>

namespace orvane {

namespace qt {
class ControlSite;
}

class PropertiesWidget : public QWidget {
    Q_OBJECT

public:
    explicit PropertiesWidget(QWidget* parent = nullptr);
    // Terminates the control and releases it.
    ~PropertiesWidget() override;

    // S_OK when the control was created and sited; otherwise why not
    // (REGDB_E_CLASSNOTREG when liborvane.so is not registered, ...). A widget whose
    // control could not be created stays empty.
    HRESULT creationStatus() const noexcept { return creation_status_; }

    // The control's interface, a new reference; null when creationStatus() failed.
    comrt::ComPtr<_PropertiesCtl> control() const noexcept;

    // Saves the control's appearance (its WriteProperties) to the file at path (a
    // property bag file, written atomically).
    //   S_OK; creationStatus() when there is no control; the control's failure to write
    //   its properties; the file's errors (run-time error 75 when it cannot be written).
    HRESULT saveAppearance(const QString& path);
    // Restores the appearance saved at path (the control's ReadProperties), which
    // reaches every child widget. Entries that are missing or damaged are skipped.
    //   S_OK; creationStatus() when there is no control; run-time error 53 for a missing
    //   file, 75 for an unreadable one, 321 for a file that is no property bag.
    HRESULT loadAppearance(const QString& path);

    QSize sizeHint() const override;

signals:
    // An event handler of the control failed: its name and its HRESULT. The name is the
    // role of the widget that raised the event and the event ("grid.EnterCell",
    // "textEditor.GotFocus", "selector.Click", "dropDownEditor.Click", ...), "control."
    // and the container's event for the control's own ("control.Resize",
    // "control.ReadProperties", ...), or "editorHook" when the window hook could not move
    // an open editor back over its cell; the full list is at IControlErrorSink in
    // orvane/orvane.h.
    void handlerFailed(const QString& handler, qint32 hr);
    // A persisted property of the control changed ("BackColor", "ForeColor", "Font").
    void appearanceChanged(const QString& property);

private:
    std::unique_ptr<qt::ControlSite> site_;
    HRESULT creation_status_ = E_UNEXPECTED;
};

}  // namespace orvane
