/// @file
/// The Orvane control library's binary interface: the control class PropertiesCtl, its
/// dual default interface _PropertiesCtl, its event interface __PropertiesCtl (no
/// events), the type library id, and the interfaces through which a container embeds the
/// control in one of its windows.
///
/// Slot order after the seven slots of IUnknown and IDispatch is fixed; never reorder,
/// insert or remove a member.
///
/// Every member returns an HRESULT and never throws. Besides the errors listed at each
/// member: E_POINTER for a null out-parameter; E_UNEXPECTED for a member that needs the
/// control's widgets before the control was activated in place (IOleObject::DoVerb) or after it was
/// deactivated; E_OUTOFMEMORY; a failure of a group, an item or one of the control's
/// widgets passes through unchanged. Run-time errors come as 0x800A0000 | n with error
/// information set (source "Orvane").
#pragma once

#include <comrt/guid.h>
#include <comrt/oaidl.h>
#include <comrt/ocidl.h>
#include <comrt/olectl.h>
#include <comrt/oleidl.h>
#include <comrt/window.h>
#include <tessel/tessel.h>

/// @namespace orvane
/// The host side in Qt: orvane::PropertiesWidget (orvane/properties_widget.h), which embeds
/// a PropertiesCtl in any Qt layout, and the component's COM types as Qt types
/// (orvane/qt_types.h). The control itself is reached through the interfaces declared here.

/// The property grid control (class PropertiesCtl, ProgID "Orvane.PropertiesCtl"): a group
/// selector over a name | value grid, with an in-place text editor and an in-place
/// drop-down list. Hosts create it through CoCreateInstance(CLSID_PropertiesCtl) and embed
/// it as containers embed controls: IOleObject, IOleInPlaceObject (see "In-place
/// activation" below), or use orvane::PropertiesWidget, which does.
struct _PropertiesCtl : IDispatch {
    /// AddPropertyGroup (0x60030008): appends the group *mPropData to the control's groups
    /// and its name to the selector; *mPropData is not changed, *result is empty. A null
    /// group fails with 0x800A005B (91, object variable not set) before anything changes;
    /// the group's failure to give its name, or the selector's refusal, leaves the groups
    /// as they were.
    virtual HRESULT STDMETHODCALLTYPE AddPropertyGroup(_clsTessel** mPropData, VARIANT* result) noexcept = 0;
    /// Clear (0x60030009): forgets every group and empties the selector; the grid keeps
    /// showing the current group. 0x800A0006 (6, overflow) for more than 32,767 groups.
    virtual HRESULT STDMETHODCALLTYPE Clear() noexcept = 0;
    /// SelectPropertyGroup (0x6003000A): shows the group at 0-based position *nIndex (not
    /// changed) in the grid and the selector; an index at or above the number of groups
    /// empties the grid. A pending edit is written into its item first. *result is empty.
    /// A negative index fails with 0x800A0009 (9, subscript out of range).
    virtual HRESULT STDMETHODCALLTYPE SelectPropertyGroup(SHORT* nIndex, VARIANT* result) noexcept = 0;
    /// ChangeCellText (0x60030010): lays the text editor over the current cell and gives it
    /// the focus (what a click on a free-text value does).
    virtual HRESULT STDMETHODCALLTYPE ChangeCellText() noexcept = 0;
    /// ComboInit (0x60030011): fills the drop-down editor from the current row's choices
    /// and lays it over the current cell (what a click on a drop-down value does); the
    /// item's errors when its choice list cannot be read.
    virtual HRESULT STDMETHODCALLTYPE ComboInit() noexcept = 0;
    /// BackColor (0x68030002): the control's background colour, an OLE_COLOR (a system
    /// colour has the high bit set).
    virtual HRESULT STDMETHODCALLTYPE get_BackColor(OLE_COLOR* result) noexcept = 0;
    /// BackColor (0x68030002): sets the background colour of the control and of every
    /// child widget, and tells the container (IPropertyNotifySink::OnChanged). 0x800A017C
    /// (380, invalid property value) for a colour that does not translate.
    virtual HRESULT STDMETHODCALLTYPE put_BackColor(OLE_COLOR NewColor) noexcept = 0;
    /// The same as put_BackColor.
    virtual HRESULT STDMETHODCALLTYPE putref_BackColor(OLE_COLOR NewColor) noexcept = 0;
    /// ForeColor (0x68030001): the control's text colour.
    virtual HRESULT STDMETHODCALLTYPE get_ForeColor(OLE_COLOR* result) noexcept = 0;
    /// ForeColor (0x68030001): sets the text colour of the control and of every child
    /// widget, and tells the container. 0x800A017C (380) for a colour that does not translate.
    virtual HRESULT STDMETHODCALLTYPE put_ForeColor(OLE_COLOR NewColor) noexcept = 0;
    /// The same as put_ForeColor.
    virtual HRESULT STDMETHODCALLTYPE putref_ForeColor(OLE_COLOR NewColor) noexcept = 0;
    /// Font (0x68030000): the control's font object, a new reference to the object itself
    /// (shared, never copied): changing it changes the control's font.
    virtual HRESULT STDMETHODCALLTYPE get_Font(IFontDisp** result) noexcept = 0;
    /// Font (0x68030000): makes NewFont the font of the control and of every child widget
    /// (held, not copied), lays the control out again and tells the container. 0x800A005B
    /// (91) for a null font; 0x800A000D (13, type mismatch) for an object that is no font;
    /// 0x800A017C (380) for a font of no size.
    virtual HRESULT STDMETHODCALLTYPE put_Font(IFontDisp* NewFont) noexcept = 0;
    /// The same as put_Font.
    virtual HRESULT STDMETHODCALLTYPE putref_Font(IFontDisp* NewFont) noexcept = 0;
};
/// The interface id of _PropertiesCtl.
COMRT_INTERFACE_ID(_PropertiesCtl, "258F3731-4A09-4395-B717-B41418E9A1AB");

/// The edit in progress, for hosts: answered by PropertiesCtl through QueryInterface, a
/// dual interface of its own (its members have their own dispatch ids), so that
/// _PropertiesCtl stays as it is. An edit is pending when an editor is open over a value
/// cell and holds something other than what it opened with.
struct IPropertiesEditing : IDispatch {
    /// CommitEdit (0x60040000): writes a pending edit into its item now (as leaving its
    /// cell would) and closes the editor; a host's Save button calls it first. S_OK also
    /// when nothing is pending; the item's or a widget's failure (the edit then stays open).
    virtual HRESULT STDMETHODCALLTYPE CommitEdit() noexcept = 0;
    /// CancelEdit (0x60040001): forgets the edit in progress: the editor closes, nothing is
    /// written. S_OK also when nothing is pending.
    virtual HRESULT STDMETHODCALLTYPE CancelEdit() noexcept = 0;
    /// EditPending (0x68040002): VARIANT_TRUE while an edit is pending, else VARIANT_FALSE.
    virtual HRESULT STDMETHODCALLTYPE get_EditPending(VARIANT_BOOL* result) noexcept = 0;
    /// RefreshValues (0x60040003): reads the shown group's names and values from its items
    /// again (after the host changed them), keeping the current row; an open edit stays
    /// open. S_OK when no group is shown; an item's failure to give its texts.
    virtual HRESULT STDMETHODCALLTYPE RefreshValues() noexcept = 0;
};
/// The interface id of IPropertiesEditing.
COMRT_INTERFACE_ID(IPropertiesEditing, "656B65F8-4D2B-4869-BC3B-EFCDF6CBE8BA");

/// Finding items across all groups, reached from the control by QueryInterface: a dual
/// interface of its own, as IPropertiesEditing is. A hit is an item whose name or value
/// contains the text, compared without regard to case (the letters of Latin, Greek and
/// Cyrillic); hits run through the groups in their order and through each group's items
/// in theirs. Going to a hit commits a pending edit (into its own group), shows the hit's
/// group if another one is shown, and makes the hit's row current, scrolled into view. The
/// user opens the same search with Ctrl+F in the control; the field shows "n of m" or "No
/// match", Enter or F3 goes to the next hit and Shift+F3 to the previous one, wrapping,
/// and Escape closes it. Before activation each method fails with E_UNEXPECTED.
struct IPropertiesFind : IDispatch {
    /// OpenFind (0x60050000): shows the find field between the selector and the grid (the
    /// grid moves down) and gives it the focus.
    virtual HRESULT STDMETHODCALLTYPE OpenFind() noexcept = 0;
    /// CloseFind (0x60050001): hides the field; the layout is as before it opened, and the
    /// grid takes the focus if the field had it. S_OK also when it is closed.
    virtual HRESULT STDMETHODCALLTYPE CloseFind() noexcept = 0;
    /// FindText (0x60050002): puts text into the field (opening it) and goes to the first
    /// hit from the current row on; hits receives the number of hits (0: none, and nothing
    /// moved). An empty text finds nothing.
    virtual HRESULT STDMETHODCALLTYPE FindText(BSTR text, LONG* hits) noexcept = 0;
    /// FindNext (0x60050003): goes to the next hit after the current one, wrapping;
    /// found receives VARIANT_FALSE when there is none.
    virtual HRESULT STDMETHODCALLTYPE FindNext(VARIANT_BOOL* found) noexcept = 0;
    /// FindPrevious (0x60050004): as FindNext, backwards.
    virtual HRESULT STDMETHODCALLTYPE FindPrevious(VARIANT_BOOL* found) noexcept = 0;
};
/// The interface id of IPropertiesFind.
COMRT_INTERFACE_ID(IPropertiesFind, "062CB78A-7EB5-4242-876B-B097BC794B09");

/// The control's event interface: a dispatch interface without events.
struct __PropertiesCtl : IDispatch {};
/// The interface id of __PropertiesCtl.
COMRT_INTERFACE_ID(__PropertiesCtl, "75441F9D-5F69-4754-B812-64355B3736E5");

/// The class id of PropertiesCtl, a creatable class (CoCreateInstance).
inline constexpr CLSID CLSID_PropertiesCtl = comrt::make_guid("333080DD-FE79-4B76-ABE4-3A69E3F1A543");
/// The id of the type library that liborvane.so carries (LoadRegTypeLib, typelib-dump).
inline constexpr GUID LIBID_Orvane = comrt::make_guid("3EF75750-E43E-11D5-8872-0000E23465BF");

/// The type library's major version.
inline constexpr WORD Orvane_MajorVersion = 5;
/// The type library's minor version.
inline constexpr WORD Orvane_MinorVersion = 0;

// ---- the container's channels -----------------------------------------------------------

/// The error channel of one control, given by its container: every failure of one of the
/// control's event handlers (widget and container events, and the window hook's editor
/// placement) is reported here, besides being returned to whoever raised the event. So is
/// each restore step of the ReadProperties handler that fails, although that handler
/// itself goes on and succeeds.
struct IControlErrorSink : IUnknown {
    /// A handler failed. handler: which one, valid for the call only; hr: its failing
    /// status. The control ignores the result. The names, the widget's role and then its
    /// event:
    ///
    ///     u"grid.EnterCell"            the grid's current cell was entered
    ///     u"grid.LeaveCell"            the grid's current cell is about to be left
    ///     u"grid.MouseDown"            a press on the grid
    ///     u"grid.Scroll"               the grid scrolled
    ///     u"grid.KeyDown"              a key in the grid (F2, Enter, Home, End, ...)
    ///     u"grid.KeyPress"             a character typed in the grid
    ///     u"grid.ColumnResized"        the user dragged the split between the columns
    ///     u"grid.TabbedInto"           Tab or Shift+Tab gave the grid the focus
    ///     u"textEditor.GotFocus"       the in-place text editor took the focus
    ///     u"textEditor.LostFocus"      the in-place text editor lost the focus
    ///     u"textEditor.KeyDown"        a key in the text editor (Enter, Escape, Tab, ...)
    ///     u"selector.Click"            the group selector's selected entry changed
    ///     u"dropDownEditor.Click"      the in-place drop-down's selected entry changed
    ///     u"dropDownEditor.KeyDown"    a key in the closed in-place drop-down
    ///     u"findField.Change"          the user changed the text to find
    ///     u"findField.KeyDown"         a key in the find field (Enter, F3, Escape)
    ///     u"control.Initialize"        the container's events on the control's surface
    ///     u"control.Resize"
    ///     u"control.Terminate"
    ///     u"control.ExitFocus"         the focus left the control (a commit point)
    ///     u"control.ReadProperties"    (once for each restore step that fails)
    ///     u"control.WriteProperties"
    ///     u"editorHook"                the window hook could not move an open editor back
    ///                                  over its cell after a paint or a resize
    virtual HRESULT STDMETHODCALLTYPE HandlerFailed(LPCOLESTR handler, HRESULT hr) noexcept = 0;
};
/// The interface id of IControlErrorSink.
COMRT_INTERFACE_ID(IControlErrorSink, "164A2568-CC1A-45AF-B6DE-C826662E0F6C");

/// The container's notification of the user's changes: called after each commit that
/// changed an item's ItemValue (not for a commit that wrote the value the item held).
///
///     group: the group the item belongs to (valid for the call; AddRef to keep it);
///     index: the item's 1-based position in the group's ItemsCollection;
///     oldValue, newValue: the value before and after. The control ignores the result.
struct IItemChangeSink : IUnknown {
    /// One changed item, as described above.
    virtual HRESULT STDMETHODCALLTYPE ItemValueChanged(_clsTessel* group, LONG index, BSTR oldValue,
                                                       BSTR newValue) noexcept = 0;
};
/// The interface id of IItemChangeSink.
COMRT_INTERFACE_ID(IItemChangeSink, "7B0B4591-4099-4D30-A4DB-33335BFF454A");

/// The container's judgement of the user's values: asked at each commit of a value the user
/// changed, before the item's ItemValue is written, so that a host can refuse what its
/// items must not hold ("ten" where a number is wanted) without a modal box.
///
///     group, index: the item, as IItemChangeSink gives them (valid for the call);
///     newValue: the value the user committed;
///     message: out, null on entry: why the value is refused, for the user (the control
///              frees it; ignored unless the result is S_FALSE).
///
/// S_OK (or any other success but S_FALSE) accepts: the value is written. S_FALSE refuses:
/// nothing is written. Where the editor can stay (Enter, Tab, Up, Down and the page keys
/// in an editor, a click on another cell, CommitEdit) it stays open over its cell with the
/// user's text, the current cell stays there, and the message (or a default one when
/// *message is null or empty) shows under the cell, non-modal and read by screen readers,
/// until the value is committed again or the edit is cancelled (Escape); CommitEdit then
/// returns S_FALSE. Where it cannot stay (another group shown, the focus leaving the
/// control, the control going) the value is dropped and the item keeps its value. A
/// failure refuses too, and the commit fails with it as a failing ItemValue write does.
/// The validator may call back into the control: a commit whose edit it closed writes
/// nothing, and one that it moved on (another edit opened, another group shown, the
/// control deactivated) stops there.
struct IItemValidator : IUnknown {
    /// Judges one value, as described above.
    virtual HRESULT STDMETHODCALLTYPE ValidateItemValue(_clsTessel* group, LONG index, BSTR newValue,
                                                        BSTR* message) noexcept = 0;
};
/// The interface id of IItemValidator.
COMRT_INTERFACE_ID(IItemValidator, "B76C5B2C-4460-4236-9347-9A580F940FF2");

// ---- in-place activation ----------------------------------------------------------------

// How a container embeds a PropertiesCtl: the platform's standard control protocol. The
// control owns its window and its child widgets; the container meets it through COM
// interfaces only:
//
//     create      CoCreateInstance(CLSID_PropertiesCtl, ..., IID_IOleObject)
//     site        IOleObject::SetClientSite(site), SetHostNames, SetExtent (HIMETRIC; kept
//                 for the container, the window follows SetObjectRects)
//     activate    IOleObject::DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site, 0, parent,
//                 rectangle): the control asks the site's IOleInPlaceSite
//                 (CanInPlaceActivate, OnInPlaceActivate, GetWindow, GetWindowContext),
//                 makes its window inside the site's window at the rectangle it gives,
//                 with the selector, the grid and the two in-place editors, and runs its
//                 Initialize handler. A site without IOleInPlaceSite: the window and
//                 rectangle of the call. OLEIVERB_UIACTIVATE also gives the grid the
//                 focus; OLEIVERB_HIDE and OLEIVERB_SHOW hide and show the window.
//     restore     IPersistPropertyBag::Load(bag, log): BackColor, ForeColor and Font, each
//                 on its own (a missing or damaged entry is skipped); or InitNew for a new
//                 control, which keeps its design-time appearance
//     size        IOleInPlaceObject::SetObjectRects(rectangle, clip): the control's window
//                 takes the rectangle and the Resize handler lays the control out; the
//                 first call lays it out even when the size did not change
//     run         the host's calls on _PropertiesCtl; the user's edits
//     save        IPersistPropertyBag::Save(bag, ...): BackColor, ForeColor, Font
//     close       IOleObject::Close(OLECLOSE_NOSAVE) (or IOleInPlaceObject::
//                 InPlaceDeactivate): the Terminate handler runs, the control's window and
//                 widgets go, the site hears OnInPlaceDeactivate; then SetClientSite(nullptr)
//
// Window handles (HWND) name windows across libraries (comrt/window.h): on this
// platform a container's in-place site gives the handle of one of its Qt widgets, and
// IOleWindow::GetWindow gives the handle of the control's own window, a child of it.
//
// Besides IOleClientSite and IOleInPlaceSite, the control asks the client site
// (QueryInterface) at activation for:
//
//     IControlErrorSink     every failing handler, by name (optional);
//     IPropertyNotifySink   OnChanged(dispatch id) after BackColor, ForeColor or Font
//                           changed, so the container knows its saved state is stale
//                           (optional; OnRequestEdit is never called);
//     IItemChangeSink       each commit that changed an item's value (optional).
//     IItemValidator        each value the user commits, before it is written (optional).
//
// Everything runs on the user-interface thread of the container's window. A control is
// activated in place once: after its deactivation it is done.
