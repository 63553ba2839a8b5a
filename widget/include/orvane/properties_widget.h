// PropertiesWidget: a Qt widget that hosts one PropertiesCtl, the property grid control,
// in any layout.
//
//     orvane::PropertiesWidget* grid = new orvane::PropertiesWidget(window);
//     layout->addWidget(grid);
//     comrt::ComPtr<_PropertiesCtl> control = grid->control();
//     control->AddPropertyGroup(&group, &result);   // groups made by the host
//
// A thin container: the control is created through its class factory (CoCreateInstance
// of CLSID_PropertiesCtl: liborvane.so must be registered) and activated in place inside
// this widget, which it knows only by its window handle; it makes its own child widgets,
// follows this widget's size, and is deactivated when the widget is destroyed. Between
// this widget and the control only COM crosses (orvane/orvane.h). Several
// PropertiesWidgets may live in one window, each with a control of its own.
//
// A failing event handler of the control does not stop it: the failure is reported
// through handlerFailed (queued: the signal arrives once control is back in the event
// loop) and the control keeps running.
#pragma once

#include <QString>
#include <QWidget>

#include <comrt/com_ptr.h>
#include <orvane/orvane.h>

namespace orvane {

class PropertiesWidget : public QWidget {
    Q_OBJECT

public:
    explicit PropertiesWidget(QWidget* parent = nullptr);
    // Deactivates the control and releases it.
    ~PropertiesWidget() override;

    // S_OK when the control was created and activated; otherwise why not
    // (REGDB_E_CLASSNOTREG when liborvane.so is not registered, ...). A widget whose
    // control could not be created stays empty.
    HRESULT creationStatus() const noexcept { return creation_status_; }

    // The control's interface, a new reference; null when creationStatus() failed.
    comrt::ComPtr<_PropertiesCtl> control() const noexcept;

    // Saves the control's appearance (IPersistPropertyBag::Save) to the file at path (a
    // property bag file, written atomically).
    //   S_OK; creationStatus() when there is no control; the control's failure to write
    //   its properties; the file's errors (run-time error 75 when it cannot be written).
    HRESULT saveAppearance(const QString& path);
    // Restores the appearance saved at path (IPersistPropertyBag::Load), which reaches
    // every child widget. Entries that are missing or damaged are skipped.
    //   S_OK; creationStatus() when there is no control; run-time error 53 for a missing
    //   file, 75 for an unreadable one, 321 for a file that is no property bag.
    HRESULT loadAppearance(const QString& path);

    // The edit in progress (IPropertiesEditing): write it into its item now (a Save
    // button calls this first), forget it, whether one is pending, and re-read the shown
    // group's values from its items after the host changed them. Each returns S_OK, or
    // creationStatus() when there is no control, or the control's failure.
    HRESULT commitEdit();
    HRESULT cancelEdit();
    bool isEditPending() const;
    HRESULT refreshValues();

    // The control's design-time size.
    QSize sizeHint() const override;

signals:
    // An event handler of the control failed: its name (one of those listed at
    // IControlErrorSink in orvane/orvane.h, e.g. "control.Resize") and its HRESULT.
    void handlerFailed(const QString& handler, qint32 hr);
    // A persisted property of the control changed ("BackColor", "ForeColor", "Font").
    void appearanceChanged(const QString& property);
    // The user's commit changed an item: its group (valid during the signal), its 1-based
    // index in the group, and its value before and after. Not for a commit that wrote the
    // value the item held.
    void itemValueChanged(_clsTessel* group, int index, const QString& oldValue, const QString& newValue);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    class Site;
    HRESULT create() noexcept;
    // Places the control over this widget's whole area.
    HRESULT placeControl() noexcept;

    comrt::ComPtr<IUnknown> control_;
    comrt::ComPtr<Site> site_;
    HWND window_ = nullptr;  // this widget's window handle, given to the control
    HRESULT creation_status_ = E_UNEXPECTED;
};

}  // namespace orvane
