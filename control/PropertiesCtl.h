// PropertiesCtl: the property grid control. A group selector over a name | value grid,
// with two in-place editors (a text editor and a drop-down editor) floating over the
// grid. The control owns them: activated in a container's window, it makes them with
// the toolkit linked into its library and reaches them through the widget contract.
//
// The control's instance state:
//   group collection  the groups handed over by AddPropertyGroup, in the order added
//                     (created empty whenever a method finds none; released when the
//                     container terminates the control);
//   current group     the group whose items the grid shows (set by SelectPropertyGroup);
//   editing state     the open edit, whether SelectPropertyGroup is rewriting the grid,
//                     the rows shown (editing_state.h);
//   editor tracking   which editor is open, shared with the window hook (editor_hook.h).
//
// Where each member is implemented:
//   activation.cpp     the embedded object: siting, verbs, in-place activation, keys
//   persistence.cpp    load and save through a property bag or a stream
//   property_store.cpp the persisted properties in memory and in a stream
//   shell.cpp          siting, OnInitialize, OnResize, OnTerminate
//   groups.cpp         AddPropertyGroup, Clear, SelectPropertyGroup, OnSelectorClick
//   appearance.cpp     BackColor, ForeColor, Font, ambient properties, OnReadProperties,
//                      OnWriteProperties
//   editing.cpp        the grid's and the text editor's handlers, CurrentRowItem
//   placement.cpp      ChangeCellText, ComboInit, OnDropDownEditorClick
//   event_sinks.cpp    the sinks that connect widget events to the handlers
//
// Every handler and every interface method is an entry point: it returns an HRESULT
// and never throws. Everything runs on the user-interface thread that sited the control.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <compare>
#include <string>
#include <vector>
#include <string_view>

#include <comrt/apartment.h>
#include <comrt/com_ptr.h>
#include <comrt/dispatch.h>
#include <comrt/implements.h>
#include <comrt/resource.h>
#include <control/call_out.h>
#include <control/connection_points.h>
#include <control/editing_state.h>
#include <control/editor_hook.h>
#include <control/event_sinks.h>
#include <control/orvane_typelib.h>
#include <control/property_store.h>
#include <control/widgets/widget_set.h>
#include <orvane/orvane.h>

namespace orvane {

class PropertiesCtl final
    : public comrt::implements<PropertiesCtl, comrt::dispatch<_PropertiesCtl, kOrvaneLib>,
                               comrt::dispatch<IPropertiesEditing, kOrvaneLib>,
                               comrt::dispatch<IPropertiesFind, kOrvaneLib>, IOleObject, IOleInPlaceObject,
                               IOleInPlaceActiveObject, IOleControl, IPersistPropertyBag, IPersistStreamInit,
                               IViewObject2, IProvideClassInfo2, IConnectionPointContainer,
                               ISupportErrorInfo> {
public:
    // create_widgets: how in-place activation makes the control's widgets (the toolkit's);
    // null for a control that is only ever sited with Site (tests): activation then fails
    // with E_NOTIMPL.
    explicit PropertiesCtl(widgets::CreateWidgetsFn create_widgets = nullptr) noexcept;
    // Disconnects the event sinks, removes a hook still installed, gives up the
    // window-system registration made by Site and takes its window away.
    ~PropertiesCtl() override;

    // ---- _PropertiesCtl --------------------------------------------------------------
    // groups.cpp
    HRESULT STDMETHODCALLTYPE AddPropertyGroup(_clsTessel** mPropData, VARIANT* result) noexcept override;
    HRESULT STDMETHODCALLTYPE Clear() noexcept override;
    HRESULT STDMETHODCALLTYPE SelectPropertyGroup(SHORT* nIndex, VARIANT* result) noexcept override;
    // placement.cpp
    HRESULT STDMETHODCALLTYPE ChangeCellText() noexcept override;
    HRESULT STDMETHODCALLTYPE ComboInit() noexcept override;
    // appearance.cpp
    HRESULT STDMETHODCALLTYPE get_BackColor(OLE_COLOR* result) noexcept override;
    HRESULT STDMETHODCALLTYPE put_BackColor(OLE_COLOR NewColor) noexcept override;
    HRESULT STDMETHODCALLTYPE putref_BackColor(OLE_COLOR NewColor) noexcept override;
    HRESULT STDMETHODCALLTYPE get_ForeColor(OLE_COLOR* result) noexcept override;
    HRESULT STDMETHODCALLTYPE put_ForeColor(OLE_COLOR NewColor) noexcept override;
    HRESULT STDMETHODCALLTYPE putref_ForeColor(OLE_COLOR NewColor) noexcept override;
    HRESULT STDMETHODCALLTYPE get_Font(IFontDisp** result) noexcept override;
    HRESULT STDMETHODCALLTYPE put_Font(IFontDisp* NewFont) noexcept override;
    HRESULT STDMETHODCALLTYPE putref_Font(IFontDisp* NewFont) noexcept override;

    // ---- IPropertiesEditing (pending_edit.cpp, groups.cpp) ------------------------------
    HRESULT STDMETHODCALLTYPE CommitEdit() noexcept override;
    HRESULT STDMETHODCALLTYPE CancelEdit() noexcept override;
    HRESULT STDMETHODCALLTYPE get_EditPending(VARIANT_BOOL* result) noexcept override;
    HRESULT STDMETHODCALLTYPE RefreshValues() noexcept override;

    // ---- IPropertiesFind (find.cpp) -------------------------------------------------------
    HRESULT STDMETHODCALLTYPE OpenFind() noexcept override;
    HRESULT STDMETHODCALLTYPE CloseFind() noexcept override;
    HRESULT STDMETHODCALLTYPE FindText(BSTR text, LONG* hits) noexcept override;
    HRESULT STDMETHODCALLTYPE FindNext(VARIANT_BOOL* found) noexcept override;
    HRESULT STDMETHODCALLTYPE FindPrevious(VARIANT_BOOL* found) noexcept override;

    // ---- IOleObject (activation.cpp) -------------------------------------------------
    // The client site is also asked for the container's channels (IControlErrorSink,
    // IPropertyNotifySink, IItemChangeSink, IItemValidator) when the control activates. A
    // null site deactivates an active control first.
    HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* pClientSite) noexcept override;
    HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** ppClientSite) noexcept override;
    HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR szContainerApp, LPCOLESTR szContainerObj) noexcept override;
    // Deactivates the control (nothing to save: the container saves through its bag).
    HRESULT STDMETHODCALLTYPE Close(DWORD dwSaveOption) noexcept override;
    HRESULT STDMETHODCALLTYPE SetMoniker(DWORD dwWhichMoniker, IMoniker* pmk) noexcept override;
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD dwAssign, DWORD dwWhichMoniker, IMoniker** ppmk) noexcept override;
    HRESULT STDMETHODCALLTYPE InitFromData(IDataObject* pDataObject, BOOL fCreation, DWORD dwReserved) noexcept override;
    HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD dwReserved, IDataObject** ppDataObject) noexcept override;
    // OLEIVERB_INPLACEACTIVATE, OLEIVERB_SHOW and OLEIVERB_PRIMARY activate the control in
    // place in the window and rectangle its in-place site gives (hwndParent and
    // lprcPosRect when the site has no IOleInPlaceSite); OLEIVERB_UIACTIVATE also gives it
    // the focus; OLEIVERB_HIDE hides its window. A positive verb it does not know acts as
    // the primary verb (OLEOBJ_S_INVALIDVERB), a negative one fails with E_NOTIMPL. The
    // site's refusal (CanInPlaceActivate S_FALSE) fails with E_FAIL; a control that was
    // deactivated is not activated again (E_UNEXPECTED).
    HRESULT STDMETHODCALLTYPE DoVerb(LONG iVerb, LPMSG lpmsg, IOleClientSite* pActiveSite, LONG lindex,
                                     HWND hwndParent, LPCRECT lprcPosRect) noexcept override;
    HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB** ppEnumOleVerb) noexcept override;
    HRESULT STDMETHODCALLTYPE Update() noexcept override;
    HRESULT STDMETHODCALLTYPE IsUpToDate() noexcept override;
    HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID* pClsid) noexcept override;
    HRESULT STDMETHODCALLTYPE GetUserType(DWORD dwFormOfType, LPOLESTR* pszUserType) noexcept override;
    // The extent is kept for the container in HIMETRIC (DVASPECT_CONTENT only); the
    // control's window follows SetObjectRects, never the extent.
    HRESULT STDMETHODCALLTYPE SetExtent(DWORD dwDrawAspect, SIZEL* psizel) noexcept override;
    HRESULT STDMETHODCALLTYPE GetExtent(DWORD dwDrawAspect, SIZEL* psizel) noexcept override;
    HRESULT STDMETHODCALLTYPE Advise(IAdviseSink* pAdvSink, DWORD* pdwConnection) noexcept override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD dwConnection) noexcept override;
    HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA** ppenumAdvise) noexcept override;
    HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD dwAspect, DWORD* pdwStatus) noexcept override;
    HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE* pLogpal) noexcept override;

    // ---- IOleInPlaceObject, IOleInPlaceActiveObject (activation.cpp) ---------------------
    // The control's window; E_FAIL when the control is not active.
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* phwnd) noexcept override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL fEnterMode) noexcept override;
    // Runs the Terminate handler, takes the window and its widgets away and tells the
    // in-place site; S_OK also when the control is not active.
    HRESULT STDMETHODCALLTYPE InPlaceDeactivate() noexcept override;
    HRESULT STDMETHODCALLTYPE UIDeactivate() noexcept override;
    // E_UNEXPECTED when the control is not active; E_INVALIDARG for a null lprcPosRect;
    // the surface's failure. A failing Resize handler goes to the error sink.
    HRESULT STDMETHODCALLTYPE SetObjectRects(LPCRECT lprcPosRect, LPCRECT lprcClipRect) noexcept override;
    HRESULT STDMETHODCALLTYPE ReactivateAndUndo() noexcept override;
    // A key the container's message loop offers (WM_KEYDOWN) to the UI-active control
    // runs the keyboard model of an open editor, or of the grid when it is meant for the
    // grid: S_OK when the control acted on it (the container then drops it), S_FALSE for
    // any other message or key, which reaches the control's windows as usual.
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG lpmsg) noexcept override;
    HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL fActivate) noexcept override;
    HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL fActivate) noexcept override;
    HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT prcBorder, IOleInPlaceUIWindow* pUIWindow,
                                           BOOL fFrameWindow) noexcept override;
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL fEnable) noexcept override;

    // ---- IOleControl (activation.cpp) -------------------------------------------------
    // No mnemonics; the control eats Return and Escape (its editors commit and revert).
    HRESULT STDMETHODCALLTYPE GetControlInfo(CONTROLINFO* pCI) noexcept override;
    HRESULT STDMETHODCALLTYPE OnMnemonic(MSG* pMsg) noexcept override;
    // A control initialised with InitNew takes the changed ambient property (one of the
    // back colour, fore colour and font, or DISPID_UNKNOWN for all) from its client site
    // while it is active; a loaded one keeps what it loaded. S_OK.
    HRESULT STDMETHODCALLTYPE OnAmbientPropertyChange(DISPID dispID) noexcept override;
    HRESULT STDMETHODCALLTYPE FreezeEvents(BOOL bFreeze) noexcept override;

    // ---- IProvideClassInfo2 (activation.cpp) ------------------------------------------
    // The coclass PropertiesCtl from the library's type description; its event interface
    // __PropertiesCtl.
    HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** ppTI) noexcept override;
    HRESULT STDMETHODCALLTYPE GetGUID(DWORD dwGuidKind, GUID* pGUID) noexcept override;

    // ---- IConnectionPointContainer (activation.cpp) -------------------------------------
    // __PropertiesCtl (no events) and IPropertyNotifySink, whose sinks hear OnChanged for
    // BackColor, ForeColor and Font as the client site does; CONNECT_E_NOCONNECTION for
    // any other interface. EnumConnectionPoints lists both.
    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** ppEnum) noexcept override;
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) noexcept override;

    // IOleWindow, IPersist and IProvideClassInfo, which listed interfaces derive from.
    void* find_base_interface(REFIID riid) noexcept;

    // ---- IPersistPropertyBag, IPersistStreamInit (persistence.cpp) ----------------------
    // BackColor, ForeColor and Font, in this order, the same values through either.
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* pClassID) noexcept override;
    // A new control: it takes the ambient back colour, fore colour and font of its client
    // site (now when active, else when it activates) and follows their changes; without
    // ambient properties it keeps its design-time appearance.
    HRESULT STDMETHODCALLTYPE InitNew() noexcept override;
    // S_OK when a property changed since the control was loaded or last saved with
    // fClearDirty, S_FALSE when not.
    HRESULT STDMETHODCALLTYPE IsDirty() noexcept override;
    // Load: E_POINTER for a null bag. An active control restores the properties at once,
    // one that is not yet active when it activates; a restore step that fails goes to the
    // error sink (and a missing entry to pErrorLog), the others go on. S_OK.
    HRESULT STDMETHODCALLTYPE Load(IPropertyBag* pPropBag, IErrorLog* pErrorLog) noexcept override;
    // Load from the bytes a Save wrote (property_store.h), reading exactly those: as the
    // bag's Load; the stream's failure, run-time error 321 for bytes that are no saved
    // control.
    HRESULT STDMETHODCALLTYPE Load(LPSTREAM pStm) noexcept override;
    // Save: E_POINTER for a null bag or stream; E_UNEXPECTED for a control neither
    // active nor loaded; the bag's, stream's or widgets' failure (also reported to the
    // error sink); STG_E_MEDIUMFULL for a stream that took fewer bytes.
    HRESULT STDMETHODCALLTYPE Save(IPropertyBag* pPropBag, BOOL fClearDirty, BOOL fSaveAllProperties) noexcept override;
    HRESULT STDMETHODCALLTYPE Save(LPSTREAM pStm, BOOL fClearDirty) noexcept override;
    // The bytes a Save would write now.
    HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* pCbSize) noexcept override;

    // ---- IViewObject2 (activation.cpp) -----------------------------------------------
    // GetExtent: the extent IOleObject::GetExtent gives, for DVASPECT_CONTENT and lindex
    // -1. Draw: the control draws only into its own window here: VIEW_E_DRAW for any
    // device context (DV_E_DVASPECT, DV_E_LINDEX, E_INVALIDARG for a bad request). No
    // colour set (S_FALSE), no freezing and no view advise (E_NOTIMPL,
    // OLE_E_ADVISENOTSUPPORTED).
    HRESULT STDMETHODCALLTYPE Draw(DWORD dwDrawAspect, LONG lindex, void* pvAspect, DVTARGETDEVICE* ptd,
                                   HDC hdcTargetDev, HDC hdcDraw, LPCRECTL lprcBounds, LPCRECTL lprcWBounds,
                                   BOOL(STDMETHODCALLTYPE* pfnContinue)(ULONG_PTR dwContinue),
                                   ULONG_PTR dwContinue) noexcept override;
    HRESULT STDMETHODCALLTYPE GetColorSet(DWORD dwDrawAspect, LONG lindex, void* pvAspect, DVTARGETDEVICE* ptd,
                                          HDC hicTargetDev, LOGPALETTE** ppColorSet) noexcept override;
    HRESULT STDMETHODCALLTYPE Freeze(DWORD dwDrawAspect, LONG lindex, void* pvAspect, DWORD* pdwFreeze) noexcept override;
    HRESULT STDMETHODCALLTYPE Unfreeze(DWORD dwFreeze) noexcept override;
    HRESULT STDMETHODCALLTYPE SetAdvise(DWORD aspects, DWORD advf, IAdviseSink* pAdvSink) noexcept override;
    HRESULT STDMETHODCALLTYPE GetAdvise(DWORD* pAspects, DWORD* pAdvf, IAdviseSink** ppAdvSink) noexcept override;
    HRESULT STDMETHODCALLTYPE GetExtent(DWORD dwDrawAspect, LONG lindex, DVTARGETDEVICE* ptd,
                                        LPSIZEL lpsizel) noexcept override;

    // ---- siting (shell.cpp) ----------------------------------------------------------
    // Sites the control on widgets (every member set), which it holds until it is
    // deactivated or destroyed. site (optional) is asked for IControlErrorSink and
    // IPropertyNotifySink (see orvane.h). The control connects itself as the event sink
    // of the surface and the four widgets and hides both editors. Their windows need no
    // registration: the platform's window functions reach them by handle. In-place
    // activation calls it with the widgets it made; tests call it with doubles.
    //   S_OK; E_POINTER for a missing member; E_UNEXPECTED when the control is sited
    //   already; a widget's failure while hiding the editors.
    HRESULT Site(const widgets::WidgetSet& widgets, IUnknown* site) noexcept;

    // ---- ISupportErrorInfo: S_OK for _PropertiesCtl, S_FALSE otherwise ----------------
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) noexcept override;

    // ---- event handlers (the sinks call them; tests may call them directly) ----------
    // Container events on the control's surface: shell.cpp, appearance.cpp.
    HRESULT OnInitialize() noexcept;
    HRESULT OnResize() noexcept;
    HRESULT OnTerminate() noexcept;
    // Persistence (appearance.cpp), from Load and Save; log may be null.
    HRESULT OnReadProperties(IPropertyBag& bag, IErrorLog* log) noexcept;
    HRESULT OnWriteProperties(IPropertyBag& bag) noexcept;
    // The selector: groups.cpp.
    HRESULT OnSelectorClick() noexcept;
    // The grid and the text editor: editing.cpp.
    HRESULT OnGridEnterCell() noexcept;
    HRESULT OnGridLeaveCell() noexcept;
    HRESULT OnGridMouseDown(SHORT button, SHORT shift, float x, float y) noexcept;
    HRESULT OnGridScroll() noexcept;
    HRESULT OnGridColumnResized() noexcept;
    HRESULT OnTextEditorGotFocus() noexcept;
    HRESULT OnTextEditorLostFocus() noexcept;
    // The drop-down editor: placement.cpp.
    HRESULT OnDropDownEditorClick() noexcept;
    // The keyboard and the focus leaving the control: keyboard.cpp.
    HRESULT OnGridKeyDown(std::int16_t& key, std::int16_t shift) noexcept;
    HRESULT OnGridKeyPress(std::int16_t& character) noexcept;
    HRESULT OnGridTabbedInto() noexcept;
    HRESULT OnEditorKeyDown(std::int16_t& key, std::int16_t shift) noexcept;
    HRESULT OnExitFocus() noexcept;
    // The find field: find.cpp.
    HRESULT OnFindFieldChange() noexcept;
    HRESULT OnFindFieldKeyDown(std::int16_t& key, std::int16_t shift) noexcept;

    // Hands a failing status of the handler `handler` (one of handler_names.h) to the
    // error channel given at siting (if any) and returns hr unchanged. Success passes
    // through silently.
    HRESULT ReportHandlerStatus(const OLECHAR* handler, HRESULT hr) noexcept;

    // ---- read-only views of the state, for tests -------------------------------------
    const comrt::ComPtr<_Collection>& group_collection() const noexcept { return group_collection_; }
    const comrt::ComPtr<_clsTessel>& current_group() const noexcept { return current_group_; }
    GridFill grid_fill() const noexcept { return editing_.fill; }
    const EditingState& editing_state() const noexcept { return editing_; }
    const std::shared_ptr<EditorTracking>& editor_tracking() const noexcept { return editor_tracking_; }
    const widgets::WidgetSet& widgets() const noexcept { return widgets_; }
    // Bumped whenever the editing state is replaced (CallOut): an edit opened or closed,
    // the group shown switched or cleared, the control deactivated.
    std::uint64_t epoch() const noexcept { return editing_.epoch; }

private:
    // The group collection, created empty when none is held (groups.cpp).
    _Collection& HeldGroupCollection();
    // Item lookup (editing.cpp): the grid's Row narrowed to 16 bits, the current group's
    // ItemsCollection, position Row + 1 in 16 bits (overflow 6), the element taken as a
    // clsPropertyItem.
    comrt::ComPtr<_clsPropertyItem> CurrentRowItem();
    // The widgets, checked: E_UNEXPECTED (through com_error) before Site.
    widgets::Container& surface();
    widgets::Grid& grid();
    widgets::TextBox& text_editor();
    widgets::DropDown& selector();
    widgets::DropDown& drop_down_editor();
    widgets::FindField& find_field();
    // This control as its own _PropertiesCtl, for the calls the control makes through its
    // own interface (Clear from OnTerminate, SelectPropertyGroup from OnSelectorClick, the
    // puts from OnReadProperties).
    _PropertiesCtl& Self() noexcept { return *this; }
    // Colour put shared by BackColor and ForeColor (appearance.cpp).
    enum class ColourProperty { back, fore };
    void PutColour(ColourProperty property, OLE_COLOR NewColor);
    void PutFont(IFontDisp* NewFont);
    // Takes the client site's ambient property `which` (DISPID_AMBIENT_BACKCOLOR,
    // _FORECOLOR, _FONT, or DISPID_UNKNOWN for the three) through the puts; one the site
    // does not offer leaves its property as it is (appearance.cpp).
    void ApplyAmbient(DISPID which);
    // What a load held for the activation, else the ambient properties of a control
    // initialised new, restored once the control has its widgets (persistence.cpp).
    void RestoreLoadedProperties() noexcept;
    // The persisted properties as they are now: the widgets' when the control is active,
    // else what was loaded (E_UNEXPECTED when nothing was) (persistence.cpp).
    comrt::ComPtr<PropertyStore> CurrentProperties();
    // Tells the container that the persisted property `name` changed (appearance.cpp).
    void NotifyChanged(comrt::olestring_view name) noexcept;
    // The open edit (pending_edit.cpp). Recorded when an editor opens over the current
    // cell, with the cell's text as the editor showed it.
    void RecordEdit(comrt::ComPtr<_clsPropertyItem> item, bool drop_down, std::u16string opened_text);
    // Whether the open edit's editor holds something other than what it opened with.
    bool EditPending();
    // Asks the container's validator about a pending edit's value first; then writes it
    // into the grid's cell (when that is still the current cell), closes the editors,
    // writes the text into its item and tells the container's change sink when the value
    // changed. The edit is closed before the host's item and sink are called, so whatever
    // they call back finds no edit open. Without an open edit it only closes the editors.
    // A value the validator refuses is written nowhere: at `point` editor_stays the edit
    // stays open over its cell with the host's message under it and false is returned (the
    // caller's move stops there); at editor_goes the edit is dropped. An item or a
    // validator that fails keeps the edit open with the user's text (unless the host moved
    // the control on meanwhile) and the failure is thrown. Returns false also when a call
    // out interrupted it (CallOut): the caller then stops, as the state it worked on is gone.
    bool CommitOpenEdit(CommitPoint point = CommitPoint::editor_stays);
    // The container's verdict on text as the open edit's value, asked of its validator
    // when it has one: write it; stop (refused at editor_stays: the edit stays and shows
    // why; or the call moved the control on); or go on without it (refused at
    // editor_goes: the edit is dropped). A failing validator keeps the edit and throws.
    enum class Verdict { write, stop, go_on };
    Verdict JudgeOpenEdit(const std::u16string& text, CommitPoint point);
    // The host's message under the open edit's cell: shown (message), kept under the cell
    // with its editor or hidden while the editor is (PlaceRefusal), taken away
    // (HideRefusal, also by CloseEditors and RecordEdit).
    void ShowRefusal(std::u16string message);
    void PlaceRefusal();
    void HideRefusal();
    // A move away from a refused edit's cell: the grid goes back to it, its editor shows
    // again with the user's text and the message (editing.cpp).
    void ReturnToRefusedEdit();
    // Closes the editors and forgets the edit: nothing is written, and a cell that showed a
    // pick shows the value again.
    void CancelOpenEdit();
    // Rewrites every row's name and value from the current group's items; false when an
    // item's getter interrupted it (groups.cpp).
    bool FillRowsFromItems();
    // Row `row` from an item read through its getters, cell by cell; false when a getter
    // interrupted it (groups.cpp).
    bool FillRowFromGetters(std::int32_t row, _clsPropertyItem& item, const CallOut& out);
    // Drops the record and the editor flags, then hides the host's message and both
    // editors, the drop-down first: a focus change that hiding causes finds no edit to
    // commit.
    void CloseEditors();
    // Opens the editor of the current value cell's item, as entering the cell does
    // (editing.cpp).
    void OpenEditorOnCurrentCell();
    // Shows the drop-down editor over the current cell, focused and in front
    // (placement.cpp).
    void ShowDropDownEditor();
    // The current value cell's editor: the open edit's own brought back (with what the
    // user typed or picked) when it is this cell's, else a new one (editing.cpp).
    void ShowEditorOnCurrentCell();
    // Makes row the current row in the value column, where its editor opens (keyboard.cpp).
    void MoveToValueCell(std::int32_t row);
    // The number of rows the grid shows: the current group's items as last filled, none
    // after the rows went (keyboard.cpp).
    std::int32_t ShownRows();
    // Commits the open edit and, unless the commit failed or the host moved the control
    // on, opens the value editor of row (clamped to the rows shown) (keyboard.cpp).
    void CommitAndMoveTo(std::int32_t row);
    // The rows one page of the grid holds, at least 1 (keyboard.cpp).
    std::int32_t PageRows();
    // Letters typed on a name cell: the next row whose name starts with them (keyboard.cpp).
    void TypeAhead(char16_t typed);
    // The grid's height: what lies 5 twips below the selector (and below the find field
    // while it is open), 0 when the control is lower than that (shell.cpp).
    float GridHeight();
    // ---- finding (find.cpp) ----
    // An item whose name or value holds the text: its group's position (from 1) and row.
    struct FindHit {
        std::int32_t group = 0;
        std::int32_t row = 0;
        auto operator<=>(const FindHit&) const = default;
    };
    // Every hit, in the groups' order and each group's items' order; empty for no text.
    std::vector<FindHit> FindHits(std::u16string_view text);
    // Searches for the field's text and goes to a hit: the first from the current row on
    // (step 0), or the next after it (1) or before it (-1), wrapping; shows "n of m" or
    // "No match" in the field. Returns the number of hits.
    std::size_t FindAndGo(int step);
    // The current row as a place among the hits: the shown group's position and the row.
    FindHit CurrentPlace();
    // Commits a pending edit, shows the hit's group if another is shown and makes its row
    // current in the name column (no editor opens).
    void GoToHit(const FindHit& hit);
    // FindNext (step 1) and FindPrevious (-1).
    HRESULT FindStep(int step, VARIANT_BOOL* found) noexcept;
    // The height the open find field takes above the grid (0 while closed).
    float FindBand();
    // Places the find field and the grid below the selector, as FindBand leaves room.
    void LayOutFindBand();
    // The thread rule: a debug build reports the first call from a thread other than the
    // one that created the control (comrt/apartment.h). Every host-facing member starts
    // with it.
    void CheckThread() const noexcept { owner_thread_.check(OLESTR("PropertiesCtl")); }
    // Lets go of the widgets and the site: disconnects the event sinks, removes the hook,
    // takes the window away (shell.cpp).
    void Unsite() noexcept;
    // Makes the widgets in the window and rectangle the in-place site (or else the
    // arguments) gives, sites the control on them and runs Initialize (activation.cpp).
    void ActivateInPlace(IOleClientSite* site, HWND hwndParent, LPCRECT lprcPosRect);
    // The client site as a control site, told of the focus on UI activation; null when
    // the site is none.
    comrt::ComPtr<IOleControlSite> ControlSite() const noexcept;

    // Control instance state.
    comrt::ComPtr<_Collection> group_collection_;
    comrt::ComPtr<_clsTessel> current_group_;
    [[no_unique_address]] comrt::owner_thread owner_thread_;
    // The editing state, shared with the window hook (editor_hook.h), which reads it.
    std::shared_ptr<EditingState> editing_state_ = std::make_shared<EditingState>();
    EditingState& editing_ = *editing_state_;
    // Whether the find field is open (find.cpp); what it searches for is its text.
    struct FindState {
        bool open = false;
    } find_;
    // The name column's share of the grid's width: half, until the user drags the split
    // between the columns (OnGridColumnResized); resizing the control keeps it.
    double name_share_ = 0.5;
    std::shared_ptr<EditorTracking> editor_tracking_;

    // Persistence: what a load before the activation gave, until the control restores it;
    // whether the control follows the ambient properties (initialised new); whether a
    // property changed since the control was loaded or saved.
    comrt::ComPtr<PropertyStore> held_;
    bool follows_ambient_ = false;
    bool dirty_ = false;

    // Siting and activation.
    widgets::CreateWidgetsFn create_widgets_;
    bool activated_ = false;  // activated in place once: a control is activated once
    comrt::ComPtr<IOleClientSite> client_site_;
    comrt::ComPtr<IOleInPlaceSite> in_place_site_;  // while active in place
    bool ui_active_ = false;
    // The connection points, made when a container first asks for them.
    comrt::ComPtr<ConnectionPoint> event_point_;
    comrt::ComPtr<ConnectionPoint> notify_point_;
    // The extent the container gave (HIMETRIC), at first the design-time size: 4,800 x
    // 3,975 twips, 2,540 HIMETRIC to 1,440 twips.
    SIZEL extent_{4800 * 2540 / 1440, 3975 * 2540 / 1440};
    widgets::WidgetSet widgets_;
    comrt::ComPtr<IControlErrorSink> error_sink_;
    comrt::ComPtr<IPropertyNotifySink> notify_sink_;
    comrt::ComPtr<IItemChangeSink> change_sink_;
    comrt::ComPtr<IItemValidator> validator_;
    EventSinks sinks_{*this};
};

}  // namespace orvane
