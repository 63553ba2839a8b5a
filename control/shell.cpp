// The control shell: creation and siting, the widgets, the error channel, and the three
// life-cycle handlers OnInitialize, OnResize and OnTerminate.
#include <control/PropertiesCtl.h>

#include <algorithm>

#include <control/arithmetic.h>
#include <control/editor_placement.h>
#include <control/handler_names.h>
#include <control/widgets/window_procs.h>

namespace orvane {
namespace {

// A widget of a sited control; E_UNEXPECTED before siting.
template <typename W>
W& Sited(const std::shared_ptr<W>& widget) {
    if (!widget) throw comrt::com_error(E_UNEXPECTED);
    return *widget;
}

}  // namespace

PropertiesCtl::PropertiesCtl(widgets::CreateWidgetsFn create_widgets) noexcept
    : editor_tracking_(std::make_shared<EditorTracking>()), create_widgets_(create_widgets) {
    editor_tracking_->editing = editing_state_;
}

PropertiesCtl::~PropertiesCtl() {
    Unsite();
    for (ConnectionPoint* point : {event_point_.get(), notify_point_.get()})
        if (point) point->Detach();
}

HRESULT PropertiesCtl::Site(const widgets::WidgetSet& widgets, IUnknown* site) noexcept try {
    if (!widgets.surface || !widgets.grid || !widgets.text_editor || !widgets.selector || !widgets.drop_down_editor ||
        !widgets.find_field)
        return E_POINTER;
    if (widgets_.surface) return E_UNEXPECTED;

    // Both channels are optional: a site that answers neither only loses the reports.
    comrt::ComPtr<IControlErrorSink> errors;
    comrt::ComPtr<IPropertyNotifySink> changes;
    comrt::ComPtr<IItemChangeSink> edits;
    comrt::ComPtr<IItemValidator> judge;
    if (site) {
        errors = comrt::ComPtr<IUnknown>(site).try_as<IControlErrorSink>();
        changes = comrt::ComPtr<IUnknown>(site).try_as<IPropertyNotifySink>();
        edits = comrt::ComPtr<IUnknown>(site).try_as<IItemChangeSink>();
        judge = comrt::ComPtr<IUnknown>(site).try_as<IItemValidator>();
    }

    widgets_ = widgets;
    error_sink_ = std::move(errors);
    notify_sink_ = std::move(changes);
    change_sink_ = std::move(edits);
    validator_ = std::move(judge);
    editor_tracking_->report_error = [sink = error_sink_](HRESULT hr) {
        if (sink) sink->HandlerFailed(handler_names::kEditorHook, hr);
    };

    widgets_.surface->SetEventSink(&sinks_.surface);
    widgets_.grid->SetEventSink(&sinks_.grid);
    widgets_.text_editor->SetEventSink(&sinks_.text_editor);
    widgets_.selector->SetEventSink(&sinks_.selector);
    widgets_.drop_down_editor->SetEventSink(&sinks_.drop_down_editor);
    widgets_.find_field->SetEventSink(&sinks_.find_field);

    // Both editors start hidden; the editing handlers show them over a cell.
    text_editor().SetVisible(false);
    drop_down_editor().SetVisible(false);
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

void PropertiesCtl::Unsite() noexcept {
    ++editing_.epoch;  // whatever a handler was doing with the widgets is over
    if (widgets_.surface) {
        widgets_.surface->SetEventSink(nullptr);
        widgets_.grid->SetEventSink(nullptr);
        widgets_.text_editor->SetEventSink(nullptr);
        widgets_.selector->SetEventSink(nullptr);
        widgets_.drop_down_editor->SetEventSink(nullptr);
        widgets_.find_field->SetEventSink(nullptr);
    }
    find_ = {};
    // A container that never terminated the control must not leave the hook behind.
    EditorTracking& tracking = *editor_tracking_;
    if (tracking.hook_installed) RemoveEditorHook(tracking);
    tracking.report_error = nullptr;
    tracking.grid = nullptr;
    tracking.text_editor = nullptr;
    tracking.drop_down_editor = nullptr;
    tracking.surface = nullptr;
    editing_.refusal.clear();
    if (widgets_.surface) widgets_.surface->Destroy();
    widgets_ = {};
    error_sink_ = nullptr;
    notify_sink_ = nullptr;
    change_sink_ = nullptr;
    validator_ = nullptr;
}

HRESULT STDMETHODCALLTYPE PropertiesCtl::InterfaceSupportsErrorInfo(REFIID riid) noexcept {
    return riid == IID__PropertiesCtl || riid == IID_IPropertiesEditing || riid == IID_IPropertiesFind ? S_OK : S_FALSE;
}

HRESULT PropertiesCtl::ReportHandlerStatus(const OLECHAR* handler, HRESULT hr) noexcept {
    if (FAILED(hr) && error_sink_) error_sink_->HandlerFailed(handler, hr);
    return hr;
}

widgets::Container& PropertiesCtl::surface() { return Sited(widgets_.surface); }
widgets::Grid& PropertiesCtl::grid() { return Sited(widgets_.grid); }
widgets::TextBox& PropertiesCtl::text_editor() { return Sited(widgets_.text_editor); }
widgets::DropDown& PropertiesCtl::selector() { return Sited(widgets_.selector); }
widgets::DropDown& PropertiesCtl::drop_down_editor() { return Sited(widgets_.drop_down_editor); }
widgets::FindField& PropertiesCtl::find_field() { return Sited(widgets_.find_field); }

HRESULT PropertiesCtl::OnInitialize() noexcept try {
    grid().SetLeft(0);
    selector().SetTop(0);
    grid().SetTop(static_cast<float>(static_cast<double>(selector().Height()) + 5.0));
    selector().SetLeft(0);
    text_editor().SetTabIndex(2);
    text_editor().SetBorderStyle(0);
    grid().SetRowHeightMin(RoundToInt32(drop_down_editor().Height()));
    grid().SetCols(2);
    // The grid is a Tab stop: with the keyboard alone a user reaches it, moves through
    // it and opens its editors.
    grid().SetTabStop(true);
    // What a screen reader announces for the lists; an open editor is named after the
    // property it edits (RecordEdit).
    grid().SetAccessibleName(u"Properties");
    grid().SetColumnName(0, u"Property");
    grid().SetColumnName(1, u"Value");
    selector().SetAccessibleName(u"Property group");
    find_field().SetAccessibleName(u"Find property");

    editing_.text_editor_active = false;
    editing_.drop_down_editor_active = false;
    EditorTracking& tracking = *editor_tracking_;
    tracking.control_window = surface().hWnd();
    tracking.text_editor = widgets_.text_editor;
    tracking.grid = widgets_.grid;
    tracking.drop_down_editor = widgets_.drop_down_editor;
    tracking.surface = widgets_.surface;

    InstallEditorHook(editor_tracking_);
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

float PropertiesCtl::GridHeight() {
    const float scale_height = surface().ScaleHeight();
    const double height =
        (static_cast<double>(scale_height) - static_cast<double>(selector().Height())) - 5.0 - FindBand();
    return height < 0 ? 0.0f : static_cast<float>(height);
}

// The grid and the selector take the whole inner width; the value column gets what the
// name column leaves. A grid that keeps column widths in steps of its own may round the
// name column above the inner width of a very narrow control: the value column is then
// empty rather than negative, which no grid accepts.
HRESULT PropertiesCtl::OnResize() noexcept try {
    grid().SetWidth(surface().ScaleWidth());
    selector().SetWidth(surface().ScaleWidth());
    grid().SetHeight(GridHeight());
    if (find_.open) LayOutFindBand();  // the find field takes the new width
    // The name column keeps its share of the width (half, until the user drags the split).
    grid().SetColWidth(0, RoundToInt32(static_cast<double>(surface().ScaleWidth()) * name_share_));
    const std::int32_t name_width = grid().ColWidth(0);
    const std::int32_t value_width = RoundToInt32(static_cast<double>(surface().ScaleWidth()) - name_width);
    grid().SetColWidth(1, std::max(value_width, 0));
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

HRESULT PropertiesCtl::OnGridColumnResized() noexcept try {
    // The value column takes the rest, and resizing the control from now on keeps the
    // name column's new share.
    const double width = surface().ScaleWidth();
    const std::int32_t name_width = grid().ColWidth(0);
    if (width > 0) name_share_ = std::clamp(name_width / width, 0.0, 1.0);
    grid().SetColWidth(1, std::max(RoundToInt32(width - name_width), 0));
    // An open editor follows its cell to the split's new place.
    const std::int32_t allowance = ScrollBarAllowance(grid());
    if (editing_.text_editor_active) MoveTextEditorOverCell(grid(), text_editor(), allowance);
    if (editing_.drop_down_editor_active) PlaceDropDownOverCell(grid(), drop_down_editor(), allowance);
    PlaceRefusal();
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

HRESULT PropertiesCtl::OnTerminate() noexcept try {
    // The control goes while the host's groups live on: what the user typed reaches its
    // item first. A failure to write it is reported, and the control still goes.
    if (widgets_.surface && editing_.edit) {
        try {
            CommitOpenEdit(CommitPoint::editor_goes);
        } catch (...) {
            ReportHandlerStatus(handler_names::kControlTerminate, comrt::to_hresult());
        }
    }
    if (editor_tracking_->hook_installed) RemoveEditorHook(*editor_tracking_);
    comrt::check(Self().Clear());
    group_collection_ = nullptr;
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

}  // namespace orvane
