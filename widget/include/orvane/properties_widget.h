/// @file
/// PropertiesWidget: a Qt widget that hosts one PropertiesCtl, the property grid control,
/// in any layout, with Qt types end to end.
///
///     orvane::PropertyGroup network(tr("Network"));
///     network.addItem(tr("Proxy"), "System", {"None", "System", "Manual"});
///     auto* grid = new orvane::PropertiesWidget(window);
///     layout->addWidget(grid);
///     if (!grid->addGroup(network)) qWarning() << grid->errorString();
///     connect(grid, &orvane::PropertiesWidget::valueChanged, ...);
///
/// A thin container: the control is created by liborvane.so's own class factory where the
/// library lies beside libcomrt.so (nothing needs registering), else through the registry
/// (CoCreateInstance of CLSID_PropertiesCtl), and activated in place inside this widget,
/// which it knows only by its window handle; it makes its own child widgets, follows this
/// widget's size, and is deactivated when the widget is destroyed. Between this widget and
/// the control only COM crosses (orvane/orvane.h); the one thing the widget reads from the
/// control's Qt children is the group selector's current entry (its QComboBox named
/// "selector"), to tell a user's pick of another group. Several PropertiesWidgets may live
/// in one window, each with a control of its own.
///
/// Groups and rows count from 0, as everywhere at the Qt level (the items of a group's
/// binary interface count from 1).
///
/// Errors: every member that can fail returns false and leaves errorString() saying why;
/// nothing throws. COM hosts can still reach the control itself (control(),
/// creationStatus()).
///
/// Signals: valueChanged is emitted synchronously, from inside the control's commit, and
/// its slot may call any member of this widget (clear, switch group, commit, refresh) or
/// even delete it; its arguments are values, so it can as well be connected queued.
/// currentGroupChanged and editPendingChanged come once the control's own handling of the
/// user's input has returned (or at the end of the member that caused them);
/// handlerFailed is queued.
#pragma once

#include <functional>

#include <QColor>
#include <QFont>
#include <QString>
#include <QWidget>

#include <QList>
#include <QPointer>

#include <comrt/com_ptr.h>
#include <orvane/orvane.h>
#include <orvane/property_group.h>

class QComboBox;

namespace orvane {

/// A Qt widget that hosts one PropertiesCtl in any layout; see the file's description.
class PropertiesWidget : public QWidget {
    Q_OBJECT
    /// The group shown, from 0; -1 when none is.
    Q_PROPERTY(int currentGroup READ currentGroup WRITE setCurrentGroup NOTIFY currentGroupChanged)
    /// The control's font.
    Q_PROPERTY(QFont controlFont READ controlFont WRITE setControlFont NOTIFY controlFontChanged)
    /// The control's background colour.
    Q_PROPERTY(QColor backColor READ backColor WRITE setBackColor NOTIFY backColorChanged)
    /// The control's text colour.
    Q_PROPERTY(QColor foreColor READ foreColor WRITE setForeColor NOTIFY foreColorChanged)
    /// Whether an edit is pending (read only).
    Q_PROPERTY(bool editPending READ isEditPending NOTIFY editPendingChanged STORED false DESIGNABLE false)

public:
    /// Creates the control (from liborvane.so beside libcomrt.so, else the registry) and
    /// activates it in place inside this widget; control() is null and errorString() says
    /// why when that failed.
    explicit PropertiesWidget(QWidget* parent = nullptr);
    /// Deactivates the control and releases it.
    ~PropertiesWidget() override;

    /// Why the last failing member failed (or the creation of the control), as text:
    /// the library's description and its number, e.g. "Subscript out of range
    /// (0x800A0009)". Empty while nothing has failed.
    QString errorString() const { return error_; }

    /// Appends group to the control's groups and its name to the selector; the first group
    /// added is shown. The group stays the host's: what the user edits lands in it.
    /// @return false on failure (a null group, the group's failure to give its name, no
    ///         control), with errorString().
    bool addGroup(const PropertyGroup& group);
    /// Forgets every group; the grid shows none. A pending edit is written first.
    /// @return false on failure, with errorString().
    bool clear();
    /// How many groups were added since the last clear().
    int count() const { return static_cast<int>(groups_.size()); }
    /// The group at index (from 0); a null group outside 0 to count() - 1.
    PropertyGroup group(int index) const;
    /// The group shown, from 0; -1 when none is.
    int currentGroup() const;
    /// Shows the group at index (a pending edit is written first); an index at or past
    /// count() empties the grid.
    /// @return false for a negative index or the control's failure, with errorString().
    bool setCurrentGroup(int index);

    /// Saves the control's appearance (IPersistPropertyBag::Save) to the file at path (a
    /// property bag file, written atomically).
    /// @return false, with errorString(), when there is no control, the control cannot
    ///         write its properties or the file cannot be written (run-time error 75).
    bool saveAppearance(const QString& path);
    /// Restores the appearance saved at path (IPersistPropertyBag::Load), which reaches
    /// every child widget. Entries that are missing or damaged are skipped.
    /// @return false, with errorString(), when there is no control, for a missing file
    ///         (run-time error 53), an unreadable one (75) or a file that is no property
    ///         bag (321).
    bool loadAppearance(const QString& path);

    /// Writes the edit in progress into its item now and closes the editor
    /// (IPropertiesEditing::CommitEdit); a Save button calls this first.
    /// @return true, also when nothing is pending; false, with errorString(), when there
    ///         is no control or the item or a widget failed (the edit then stays open).
    bool commitEdit();
    /// Forgets the edit in progress: the editor closes and nothing is written.
    /// @return false on failure, with errorString().
    bool cancelEdit();
    /// Whether an editor is open with something other than what it opened with.
    bool isEditPending() const;
    /// Re-reads the shown group's values from its items after the host changed them; an
    /// open edit stays open with what the user typed.
    /// @return false on failure, with errorString().
    bool refreshValues();

    /// Opens the find field between the group selector and the grid, with the focus, as
    /// Ctrl+F in the control does (IPropertiesFind::OpenFind).
    /// @return false on failure, with errorString().
    bool openFind();
    /// Closes the find field; the grid takes the focus if the field had it.
    /// @return false on failure, with errorString().
    bool closeFind();
    /// Finds text (case-insensitive) in the names and values of every group: the field
    /// opens with it and the first hit from the current row on becomes current, showing
    /// its group (a pending edit goes into its own group first).
    /// @return the number of hits (0: none, nothing moved); -1 on failure, with
    ///         errorString().
    int findText(const QString& text);
    /// Goes to the next hit after the current row, wrapping across groups.
    /// @return false when there is no hit or on failure (then with errorString()).
    bool findNext();
    /// Goes to the previous hit, wrapping.
    /// @return false when there is no hit or on failure (then with errorString()).
    bool findPrevious();

    /// The control's font (its Font property) as a QFont; a default QFont when there is
    /// no control or it cannot say.
    QFont controlFont() const;
    /// Gives the control a new font object with the font's attributes; it reaches every
    /// child widget.
    /// @return false on failure (the control then keeps the font it had), with
    ///         errorString().
    bool setControlFont(const QFont& font);
    /// The control's background colour (BackColor); a system colour reads as the colour
    /// the control shows. An invalid QColor when there is no control or it cannot say.
    QColor backColor() const;
    /// Sets the control's background colour (its alpha is dropped); it reaches every
    /// child widget.
    /// @return false on failure, with errorString().
    bool setBackColor(const QColor& colour);
    /// The control's text colour (ForeColor), as backColor() reads it.
    QColor foreColor() const;
    /// Sets the control's text colour, as setBackColor() does.
    /// @return false on failure, with errorString().
    bool setForeColor(const QColor& colour);

    /// For COM hosts: S_OK when the control was created and activated; otherwise why not
    /// (REGDB_E_CLASSNOTREG when liborvane.so is neither beside libcomrt.so nor
    /// registered, ...). A widget whose control could not be created stays empty.
    HRESULT creationStatus() const noexcept { return creation_status_; }
    /// For COM hosts: the control's interface, a new reference; null when
    /// creationStatus() failed. Groups added here are not known to count() or group().
    comrt::ComPtr<_PropertiesCtl> control() const noexcept;

    /// The control's design-time size.
    QSize sizeHint() const override;

    /// Judges a value the user commits, before anything is written: given the group's
    /// index, the row (both from 0) and the new value, it returns an empty string to
    /// accept, or the message that refuses it. A refused value is not written: the editor
    /// stays open with the text and shows the message under its cell (where the editor
    /// cannot stay, on a group switch, the focus leaving the control or its end, the value
    /// is dropped and the item keeps its own). The validator may call the widget's members.
    using Validator = std::function<QString(int groupIndex, int row, const QString& value)>;
    /// Sets the validator; an empty one accepts every value (the default).
    void setValidator(Validator validator) { validator_ = std::move(validator); }

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
    /// The user's commit changed an item: the index of its group (-1 for a group added
    /// through control() rather than addGroup()), its row, both from 0, and its value
    /// before and after. Not for a commit that wrote the value the item held. Emitted
    /// from inside the commit; a slot may call any member of this widget.
    void valueChanged(int groupIndex, int row, const QString& oldValue, const QString& newValue);
    /// Another group is shown (index from 0; -1 for none): by setCurrentGroup(), the
    /// first addGroup(), clear(), or the user's pick in the selector.
    void currentGroupChanged(int index);
    /// An edit became pending, or stopped being so (committed, cancelled, or typed back).
    void editPendingChanged(bool pending);

protected:
    /// Keeps the control over the widget's whole area.
    void resizeEvent(QResizeEvent* event) override;
    /// Watches the user's input into the control's widgets, after which the current group
    /// and the pending edit are compared with what was last signalled.
    bool eventFilter(QObject* watched, QEvent* event) override;
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
    // true for a success; otherwise false, with errorString() saying why.
    bool succeeded(HRESULT hr);
    // The index of group in groups_; -1 when it was not added through addGroup.
    int indexOf(_clsTessel* group) const;
    // Passes an item change on as valueChanged.
    void notifyValueChanged(_clsTessel* group, int row, const QString& oldValue, const QString& newValue);
    // Emits currentGroupChanged and editPendingChanged for what changed since they were
    // last emitted; soon: once control is back in the event loop.
    void syncState();
    void syncStateSoon();

    comrt::ComPtr<IUnknown> control_;
    comrt::ComPtr<Site> site_;
    // The control's IPropertyNotifySink connection point while this widget is connected.
    comrt::ComPtr<IConnectionPoint> change_point_;
    DWORD change_cookie_ = 0;
    HWND window_ = nullptr;  // this widget's window handle, given to the control
    HRESULT creation_status_ = E_UNEXPECTED;
    QString error_;
    // The groups added through addGroup, in the control's order.
    QList<PropertyGroup> groups_;
    // The control's group selector, watched for the user's picks.
    QPointer<QComboBox> selector_;
    // Whether setCurrentGroup emptied the grid, which leaves the selector as it was.
    Validator validator_;
    bool showing_none_ = false;
    int signalled_group_ = -1;
    bool signalled_pending_ = false;
    bool sync_queued_ = false;
};

}  // namespace orvane
