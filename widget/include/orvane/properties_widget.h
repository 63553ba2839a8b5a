/// @file
/// PropertiesWidget: a Qt widget that hosts one PropertiesCtl, the property grid control,
/// in any layout.
///
///     orvane::PropertiesWidget* grid = new orvane::PropertiesWidget(window);
///     layout->addWidget(grid);
///     comrt::ComPtr<_PropertiesCtl> control = grid->control();
///     control->AddPropertyGroup(&group, &result);   // groups made by the host
///
/// A thin container: the control is created through its class factory (CoCreateInstance
/// of CLSID_PropertiesCtl: liborvane.so must be registered) and activated in place inside
/// this widget, which it knows only by its window handle; it makes its own child widgets,
/// follows this widget's size, and is deactivated when the widget is destroyed. Between
/// this widget and the control only COM crosses (orvane/orvane.h). Several
/// PropertiesWidgets may live in one window, each with a control of its own.
///
/// A failing event handler of the control does not stop it: the failure is reported
/// through handlerFailed (queued: the signal arrives once control is back in the event
/// loop) and the control keeps running.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QWidget>

#include <comrt/com_ptr.h>
#include <orvane/orvane.h>

namespace orvane {

/// A Qt widget that hosts one PropertiesCtl in any layout; see the file's description.
class PropertiesWidget : public QWidget {
    Q_OBJECT

public:
    /// Creates the control (CoCreateInstance of CLSID_PropertiesCtl) and activates it in
    /// place inside this widget; creationStatus() tells whether that worked.
    explicit PropertiesWidget(QWidget* parent = nullptr);
    /// Deactivates the control and releases it.
    ~PropertiesWidget() override;

    /// S_OK when the control was created and activated; otherwise why not
    /// (REGDB_E_CLASSNOTREG when liborvane.so is not registered, ...). A widget whose
    /// control could not be created stays empty.
    HRESULT creationStatus() const noexcept { return creation_status_; }

    /// The control's interface, a new reference; null when creationStatus() failed.
    comrt::ComPtr<_PropertiesCtl> control() const noexcept;

    /// Saves the control's appearance (IPersistPropertyBag::Save) to the file at path (a
    /// property bag file, written atomically).
    /// @return S_OK; creationStatus() when there is no control; the control's failure to
    ///         write its properties; the file's errors (run-time error 75 when it cannot
    ///         be written).
    HRESULT saveAppearance(const QString& path);
    /// Restores the appearance saved at path (IPersistPropertyBag::Load), which reaches
    /// every child widget. Entries that are missing or damaged are skipped.
    /// @return S_OK; creationStatus() when there is no control; run-time error 53 for a
    ///         missing file, 75 for an unreadable one, 321 for a file that is no property
    ///         bag.
    HRESULT loadAppearance(const QString& path);

    /// Writes the edit in progress into its item now and closes the editor
    /// (IPropertiesEditing::CommitEdit); a Save button calls this first.
    /// @return S_OK, also when nothing is pending; creationStatus() when there is no
    ///         control; the item's or a widget's failure (the edit then stays open).
    HRESULT commitEdit();
    /// Forgets the edit in progress: the editor closes and nothing is written.
    /// @return S_OK; creationStatus() when there is no control; the control's failure.
    HRESULT cancelEdit();
    /// Whether an editor is open with something other than what it opened with.
    bool isEditPending() const;
    /// Re-reads the shown group's values from its items after the host changed them; an
    /// open edit stays open with what the user typed.
    /// @return S_OK; creationStatus() when there is no control; the control's failure.
    HRESULT refreshValues();

    /// The control's font (its Font property) as a QFont; a default QFont when there is
    /// no control or it cannot say.
    QFont controlFont() const;
    /// Gives the control a new font object with the font's attributes; it reaches every
    /// child widget.
    /// @return S_OK; creationStatus() when there is no control; the control's failure
    ///         (it then keeps the font it had).
    HRESULT setControlFont(const QFont& font);
    /// The control's background colour (BackColor); a system colour reads as the colour
    /// the control shows. An invalid QColor when there is no control or it cannot say.
    QColor backColor() const;
    /// Sets the control's background colour (its alpha is dropped); it reaches every
    /// child widget.
    /// @return S_OK; creationStatus() when there is no control; the control's failure.
    HRESULT setBackColor(const QColor& colour);
    /// The control's text colour (ForeColor), as backColor() reads it.
    QColor foreColor() const;
    /// Sets the control's text colour, as setBackColor() does.
    /// @return S_OK; creationStatus() when there is no control; the control's failure.
    HRESULT setForeColor(const QColor& colour);

    /// The control's design-time size.
    QSize sizeHint() const override;

signals:
    /// An event handler of the control failed: its name (one of those listed at
    /// IControlErrorSink in orvane/orvane.h, e.g. "control.Resize") and its HRESULT.
    void handlerFailed(const QString& handler, qint32 hr);
    /// A persisted property of the control changed ("BackColor", "ForeColor", "Font"):
    /// by the host's put, a loaded appearance, or the control itself. The typed signal
    /// of the property follows with the new value.
    void appearanceChanged(const QString& property);
    /// The control's font changed; font is the new one, as controlFont() reads it.
    void controlFontChanged(const QFont& font);
    /// The control's background colour changed; colour is the new one.
    void backColorChanged(const QColor& colour);
    /// The control's text colour changed; colour is the new one.
    void foreColorChanged(const QColor& colour);
    /// The user's commit changed an item: its group (valid during the signal), its 1-based
    /// index in the group, and its value before and after. Not for a commit that wrote the
    /// value the item held.
    void itemValueChanged(_clsTessel* group, int index, const QString& oldValue, const QString& newValue);

protected:
    /// Keeps the control over the widget's whole area.
    void resizeEvent(QResizeEvent* event) override;
    /// A font or palette set on this widget reaches the control as its container's
    /// ambient font, back colour (QPalette::Window) and fore colour (QPalette::WindowText),
    /// unless the control's own appearance was loaded (loadAppearance).
    void changeEvent(QEvent* event) override;

private:
    class Site;
    class ChangeSink;
    HRESULT create() noexcept;
    // Deactivates the control, disconnects from it and releases it and the site.
    void releaseControl() noexcept;
    // Places the control over this widget's whole area.
    HRESULT placeControl() noexcept;
    // This widget's whole area, in its own pixels.
    RECT area() const noexcept;
    // The ambient property id (font, back colour, fore colour) as far as the host set it
    // on this widget; DISP_E_MEMBERNOTFOUND otherwise.
    HRESULT ambientProperty(DISPID id, VARIANT& result) const;
    // Emits appearanceChanged and the typed signal of the property named.
    void notifyAppearanceChanged(const QString& property);
    // The colour a get of the control's BackColor or ForeColor gives.
    QColor colour(HRESULT (STDMETHODCALLTYPE _PropertiesCtl::*get)(OLE_COLOR*)) const;

    comrt::ComPtr<IUnknown> control_;
    comrt::ComPtr<Site> site_;
    // The control's IPropertyNotifySink connection point while this widget is connected.
    comrt::ComPtr<IConnectionPoint> change_point_;
    DWORD change_cookie_ = 0;
    HWND window_ = nullptr;  // this widget's window handle, given to the control
    HRESULT creation_status_ = E_UNEXPECTED;
};

}  // namespace orvane
