// PropertiesCtl: the property grid control. A group selector over a name | value grid,
// with two in-place editors (a text editor and a drop-down editor) floating over the
// grid, all of them widgets of the container, reached through the widget contract.
//
// The control's instance state:
//   group collection  the groups handed over by AddPropertyGroup, in the order added
//                     (created empty whenever a method finds none; released when the
//                     container terminates the control);
//   current group     the group whose items the grid shows (set by SelectPropertyGroup);
//   grid fill         whether SelectPropertyGroup is rewriting the grid at the moment;
//   editor tracking   which editor is open, shared with the window hook (editor_hook.h).
//
// Where each member is implemented:
//   shell.cpp          siting, OnInitialize, OnResize, OnTerminate
//   groups.cpp         AddPropertyGroup, Clear, SelectPropertyGroup, OnSelectorClick
//   appearance.cpp     BackColor, ForeColor, Font, OnReadProperties, OnWriteProperties
//   editing.cpp        the grid's and the text editor's handlers, CurrentRowItem
//   placement.cpp      ChangeCellText, ComboInit, OnDropDownEditorClick
//   event_sinks.cpp    the sinks that connect widget events to the handlers
//
// Every handler and every interface method is an entry point: it returns an HRESULT
// and never throws. Everything runs on the user-interface thread that sited the control.
#pragma once

#include <cstdint>
#include <memory>

#include <comrt/com_ptr.h>
#include <comrt/dispatch.h>
#include <comrt/implements.h>
#include <control/editor_hook.h>
#include <control/event_sinks.h>
#include <control/orvane_typelib.h>
#include <orvane/orvane.h>

namespace orvane {

// Whether SelectPropertyGroup is rewriting the grid. While it is, the cell events that
// the grid raises for the rows and cells it moves through neither open an editor nor
// write anything back: the items behind the rows are changing under them.
enum class GridFill { idle, filling };

class PropertiesCtl final
    : public comrt::implements<PropertiesCtl, comrt::dispatch<_PropertiesCtl, kOrvaneLib>, IControlSite,
                               ISupportErrorInfo> {
public:
    PropertiesCtl();
    // Disconnects the event sinks, removes a hook still installed and gives up the
    // window-system registration made by Site.
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

    // ---- IControlSite (shell.cpp) ----------------------------------------------------
    HRESULT STDMETHODCALLTYPE Site(const widgets::WidgetSet* widgets, IControlErrorSink* errors) noexcept override;

    // ---- ISupportErrorInfo: S_OK for _PropertiesCtl, S_FALSE otherwise ----------------
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) noexcept override;

    // ---- event handlers (the sinks call them; tests may call them directly) ----------
    // Container events on the control's surface: shell.cpp, appearance.cpp.
    HRESULT OnInitialize() noexcept;
    HRESULT OnResize() noexcept;
    HRESULT OnTerminate() noexcept;
    HRESULT OnReadProperties(widgets::PropertyBag& bag) noexcept;
    HRESULT OnWriteProperties(widgets::PropertyBag& bag) noexcept;
    // The selector: groups.cpp.
    HRESULT OnSelectorClick() noexcept;
    // The grid and the text editor: editing.cpp.
    HRESULT OnGridEnterCell() noexcept;
    HRESULT OnGridLeaveCell() noexcept;
    HRESULT OnGridMouseDown(SHORT button, SHORT shift, float x, float y) noexcept;
    HRESULT OnGridScroll() noexcept;
    HRESULT OnTextEditorGotFocus() noexcept;
    HRESULT OnTextEditorLostFocus() noexcept;
    // The drop-down editor: placement.cpp.
    HRESULT OnDropDownEditorClick() noexcept;

    // Hands a failing status of the handler `handler` (one of handler_names.h) to the
    // error channel given at siting (if any) and returns hr unchanged. Success passes
    // through silently.
    HRESULT ReportHandlerStatus(const char16_t* handler, HRESULT hr) noexcept;

    // ---- read-only views of the state, for tests -------------------------------------
    const comrt::ComPtr<_Collection>& group_collection() const noexcept { return group_collection_; }
    const comrt::ComPtr<_clsTessel>& current_group() const noexcept { return current_group_; }
    GridFill grid_fill() const noexcept { return grid_fill_; }
    const std::shared_ptr<EditorTracking>& editor_tracking() const noexcept { return editor_tracking_; }
    const widgets::WidgetSet& widgets() const noexcept { return widgets_; }

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
    // This control as its own _PropertiesCtl, for the calls the control makes through its
    // own interface (Clear from OnTerminate, SelectPropertyGroup from OnSelectorClick, the
    // puts from OnReadProperties).
    _PropertiesCtl& Self() noexcept { return *this; }
    // Colour put shared by BackColor and ForeColor (appearance.cpp).
    enum class ColourProperty { back, fore };
    void PutColour(ColourProperty property, OLE_COLOR NewColor);
    void PutFont(IFontDisp* NewFont);
    // The window-system registration made by Site (shell.cpp).
    void ReleaseWindowSystem() noexcept;

    // Control instance state.
    comrt::ComPtr<_Collection> group_collection_;
    comrt::ComPtr<_clsTessel> current_group_;
    GridFill grid_fill_ = GridFill::idle;
    std::shared_ptr<EditorTracking> editor_tracking_;
    // Set while the drop-down editor has been emptied by a ComboInit that stopped before
    // its list was filled and an entry selected (placement.cpp); a leave of a drop-down
    // cell then writes nothing back (editing.cpp).
    bool drop_down_unfilled_ = false;

    // Siting.
    widgets::WidgetSet widgets_;
    comrt::ComPtr<IControlErrorSink> error_sink_;
    bool window_system_registered_ = false;
    EventSinks sinks_{*this};
};

}  // namespace orvane
