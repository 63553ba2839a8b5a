// The control shell: creation and siting, the widgets, the error channel, and the three
// life-cycle handlers UserControl_Initialize, UserControl_Resize, UserControl_Terminate.
#include <control/PropertiesCtl.h>

#include <iterator>
#include <vector>

#include <control/arithmetic.h>
#include <control/widgets/window_procs.h>

namespace orvane {
namespace {

// The window systems that sited controls registered on this thread, most recent last,
// and what was registered before the first of them. The window hook of this library
// reaches the window procedures through the registration, so it must name the window
// system of the sited controls for as long as any of them lives.
struct WindowSystemRegistrations {
    std::vector<widgets::WindowSystem*> sited;
    widgets::WindowSystem* before = nullptr;
};
thread_local WindowSystemRegistrations registrations;

void RegisterWindowSystem(widgets::WindowSystem* system) {
    if (registrations.sited.empty()) registrations.before = widgets::CurrentWindowSystem();
    registrations.sited.push_back(system);
    widgets::SetCurrentWindowSystem(system);
}

void UnregisterWindowSystem(widgets::WindowSystem* system) noexcept {
    std::vector<widgets::WindowSystem*>& sited = registrations.sited;
    for (auto it = sited.rbegin(); it != sited.rend(); ++it) {
        if (*it == system) {
            sited.erase(std::next(it).base());
            break;
        }
    }
    widgets::SetCurrentWindowSystem(sited.empty() ? registrations.before : sited.back());
}

// A widget of a sited control; E_UNEXPECTED before siting.
template <typename W>
W& Sited(const std::shared_ptr<W>& widget) {
    if (!widget) throw comrt::com_error(E_UNEXPECTED);
    return *widget;
}

// The grid's height for an inner height and a selector height: what lies 5 twips below
// the selector, 0 when the control is lower than that.
float GridHeight(float scale_height, float selector_height) {
    const double height = (static_cast<double>(scale_height) - static_cast<double>(selector_height)) - 5.0;
    return height < 0 ? 0.0f : static_cast<float>(height);
}

}  // namespace

PropertiesCtl::PropertiesCtl() : record_(std::make_shared<EditorTrackingRecord>()) {}

PropertiesCtl::~PropertiesCtl() {
    if (widgets_.surface) {
        widgets_.surface->SetEventSink(nullptr);
        widgets_.grid->SetEventSink(nullptr);
        widgets_.text_editor->SetEventSink(nullptr);
        widgets_.selector->SetEventSink(nullptr);
        widgets_.drop_down_editor->SetEventSink(nullptr);
    }
    // A container that never raised Terminate must not leave the hook behind.
    if (record_->hook_installed != 0) RemoveEditorHook(*record_);
    record_->report_error = nullptr;
    ReleaseWindowSystem();
}

HRESULT STDMETHODCALLTYPE PropertiesCtl::Site(const widgets::WidgetSet* widgets, IControlErrorSink* errors) noexcept try {
    if (!widgets || !widgets->surface || !widgets->grid || !widgets->text_editor || !widgets->selector ||
        !widgets->drop_down_editor || !widgets->window_system)
        return E_POINTER;
    if (widgets_.surface) return E_UNEXPECTED;

    RegisterWindowSystem(widgets->window_system.get());  // the one step that can fail
    widgets_ = *widgets;
    window_system_registered_ = true;
    error_sink_ = comrt::ComPtr<IControlErrorSink>(errors);
    record_->report_error = [sink = error_sink_](HRESULT hr) {
        if (sink) sink->HandlerFailed(u"EditorHookWindowProc", hr);
    };

    widgets_.surface->SetEventSink(&sinks_.surface);
    widgets_.grid->SetEventSink(&sinks_.grid);
    widgets_.text_editor->SetEventSink(&sinks_.text_editor);
    widgets_.selector->SetEventSink(&sinks_.selector);
    widgets_.drop_down_editor->SetEventSink(&sinks_.drop_down_editor);

    // Both editors start hidden; the editing handlers show them over a cell.
    Text1().SetVisible(false);
    Combo2().SetVisible(false);
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

HRESULT STDMETHODCALLTYPE PropertiesCtl::InterfaceSupportsErrorInfo(REFIID riid) noexcept {
    return riid == IID__PropertiesCtl ? S_OK : S_FALSE;
}

HRESULT PropertiesCtl::ReportHandlerStatus(const char16_t* handler, HRESULT hr) noexcept {
    if (FAILED(hr) && error_sink_) error_sink_->HandlerFailed(handler, hr);
    return hr;
}

void PropertiesCtl::ReleaseWindowSystem() noexcept {
    if (!window_system_registered_) return;
    UnregisterWindowSystem(widgets_.window_system.get());
    window_system_registered_ = false;
}

widgets::Container& PropertiesCtl::UserControl() { return Sited(widgets_.surface); }
widgets::Grid& PropertiesCtl::MSFlexGrid1() { return Sited(widgets_.grid); }
widgets::TextBox& PropertiesCtl::Text1() { return Sited(widgets_.text_editor); }
widgets::DropDown& PropertiesCtl::Combo1() { return Sited(widgets_.selector); }
widgets::DropDown& PropertiesCtl::Combo2() { return Sited(widgets_.drop_down_editor); }

HRESULT PropertiesCtl::UserControl_Initialize() noexcept try {
    MSFlexGrid1().SetLeft(0);
    Combo1().SetTop(0);
    MSFlexGrid1().SetTop(static_cast<float>(static_cast<double>(Combo1().Height()) + 5.0));
    Combo1().SetLeft(0);
    Text1().SetTabIndex(2);
    Text1().SetBorderStyle(0);
    MSFlexGrid1().SetRowHeightMin(RoundToInt32(Combo2().Height()));
    MSFlexGrid1().SetCols(2);
    MSFlexGrid1().SetTabStop(false);

    EditorTrackingRecord& record = *record_;
    record.text_editor_active = VARIANT_FALSE;
    record.drop_down_editor_active = VARIANT_FALSE;
    record.control_window = UserControl().hWnd();
    record.text_editor = widgets_.text_editor;
    record.grid = widgets_.grid;
    record.drop_down_editor = widgets_.drop_down_editor;

    InstallEditorHook(record_);
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

HRESULT PropertiesCtl::UserControl_Resize() noexcept try {
    MSFlexGrid1().SetWidth(UserControl().ScaleWidth());
    Combo1().SetWidth(UserControl().ScaleWidth());
    MSFlexGrid1().SetHeight(GridHeight(UserControl().ScaleHeight(), Combo1().Height()));
    MSFlexGrid1().SetColWidth(0, RoundToInt32(static_cast<double>(UserControl().ScaleWidth()) / 2.0));
    const std::int32_t w0 = MSFlexGrid1().ColWidth(0);
    MSFlexGrid1().SetColWidth(1, RoundToInt32(static_cast<double>(UserControl().ScaleWidth()) - w0));
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

HRESULT PropertiesCtl::UserControl_Terminate() noexcept try {
    if (record_->hook_installed != 0) RemoveEditorHook(*record_);
    comrt::check(Self().Clear());
    group_collection_ = nullptr;
    ReleaseWindowSystem();
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

}  // namespace orvane
