// PropertiesCtl: the property grid control. A group selector (Combo1) over a name |
// value grid (MSFlexGrid1), with two in-place editors (Text1, Combo2) floating over the
// grid, all of them widgets of the container, reached through the widget contract.
//
// The control's instance state:
//   group collection  the groups handed over by AddPropertyGroup, in the order added
//                     (created empty whenever a method finds none; released at
//                     UserControl_Terminate);
//   current group     the group whose items the grid shows (set by SelectPropertyGroup);
//   fill marker       u"data" while SelectPropertyGroup rewrites the grid, else empty;
//   the EditorTrackingRecord of this control (Module1.h), shared with the window hook.
//
// Where each member is implemented:
//   shell.cpp          siting, UserControl_Initialize / _Resize / _Terminate
//   groups.cpp         AddPropertyGroup, Clear, SelectPropertyGroup, Combo1_Click
//   appearance.cpp     BackColor, ForeColor, Font, UserControl_ReadProperties /
//                      _WriteProperties
//   editing.cpp        the grid's and the text editor's handlers, CurrentRowItem
//   placement.cpp      ChangeCellText, ComboInit, Combo2_Click
//   event_sinks.cpp    the sinks that connect widget events to the handlers
//
// Every handler and every interface method is an entry point: it returns an HRESULT
// and never throws. Everything runs on the user-interface thread that sited the control.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include <comrt/com_ptr.h>
#include <comrt/dispatch.h>
#include <comrt/implements.h>
#include <control/Module1.h>
#include <control/event_sinks.h>
#include <control/orvane_typelib.h>
#include <orvane/orvane.h>

namespace orvane {

// The fill marker's value while the grid is being filled.
inline constexpr std::u16string_view kFillMarkerData = u"data";

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
    // Container events: shell.cpp, appearance.cpp.
    HRESULT UserControl_Initialize() noexcept;
    HRESULT UserControl_Resize() noexcept;
    HRESULT UserControl_Terminate() noexcept;
    HRESULT UserControl_ReadProperties(widgets::PropertyBag& PropBag) noexcept;
    HRESULT UserControl_WriteProperties(widgets::PropertyBag& PropBag) noexcept;
    // The selector: groups.cpp.
    HRESULT Combo1_Click() noexcept;
    // The grid and the text editor: editing.cpp.
    HRESULT MSFlexGrid1_EnterCell() noexcept;
    HRESULT MSFlexGrid1_LeaveCell() noexcept;
    HRESULT MSFlexGrid1_MouseDown(SHORT Button, SHORT Shift, float x, float y) noexcept;
    HRESULT MSFlexGrid1_Scroll() noexcept;
    HRESULT Text1_GotFocus() noexcept;
    HRESULT Text1_LostFocus() noexcept;
    // The drop-down editor: placement.cpp.
    HRESULT Combo2_Click() noexcept;

    // Hands a failing status of the handler `handler` to the error channel given at
    // siting (if any) and returns hr unchanged. Success passes through silently.
    HRESULT ReportHandlerStatus(const char16_t* handler, HRESULT hr) noexcept;

    // ---- read-only views of the state, for tests -------------------------------------
    const comrt::ComPtr<_Collection>& group_collection() const noexcept { return group_collection_; }
    const comrt::ComPtr<_clsTessel>& current_group() const noexcept { return current_group_; }
    const std::u16string& fill_marker() const noexcept { return fill_marker_; }
    const std::shared_ptr<EditorTrackingRecord>& record() const noexcept { return record_; }
    const widgets::WidgetSet& widgets() const noexcept { return widgets_; }

private:
    // The group collection, created empty when none is held (groups.cpp).
    _Collection& HeldGroupCollection();
    // Item lookup (editing.cpp): the grid's Row narrowed to 16 bits, the current group's
    // ItemsCollection, position Row + 1 in 16 bits (overflow 6), the element taken as a
    // clsPropertyItem.
    comrt::ComPtr<_clsPropertyItem> CurrentRowItem();
    // The widgets, checked: E_UNEXPECTED (through com_error) before Site.
    widgets::Container& UserControl();
    widgets::Grid& MSFlexGrid1();
    widgets::TextBox& Text1();
    widgets::DropDown& Combo1();
    widgets::DropDown& Combo2();
    // This control as its own _PropertiesCtl, for the calls the control makes through its
    // own interface (Clear from UserControl_Terminate, SelectPropertyGroup from
    // Combo1_Click, the puts from UserControl_ReadProperties).
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
    std::u16string fill_marker_;
    std::shared_ptr<EditorTrackingRecord> record_;
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
