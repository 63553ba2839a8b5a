// Widget and container events into the control's handlers (event_sinks.h).
#include <control/event_sinks.h>

#include <control/PropertiesCtl.h>
#include <control/handler_names.h>

namespace orvane {
namespace {

// Runs one handler for the widget that raised its event, the control held until the
// failure is reported: the handler's calls out may let go of the control's last reference.
template <typename Handler>
HRESULT Handle(PropertiesCtl& control, const OLECHAR* name, Handler&& handler) noexcept {
    const CallOut keep(control);
    return control.ReportHandlerStatus(name, handler());
}

}  // namespace

HRESULT EventSinks::Surface::Initialize() noexcept {
    return Handle(control_, handler_names::kControlInitialize, [&] { return control_.OnInitialize(); });
}
HRESULT EventSinks::Surface::Resize() noexcept {
    return Handle(control_, handler_names::kControlResize, [&] { return control_.OnResize(); });
}
HRESULT EventSinks::Surface::Terminate() noexcept {
    return Handle(control_, handler_names::kControlTerminate, [&] { return control_.OnTerminate(); });
}

HRESULT EventSinks::Grid::EnterCell() noexcept {
    return Handle(control_, handler_names::kGridEnterCell, [&] { return control_.OnGridEnterCell(); });
}
HRESULT EventSinks::Grid::LeaveCell() noexcept {
    return Handle(control_, handler_names::kGridLeaveCell, [&] { return control_.OnGridLeaveCell(); });
}
HRESULT EventSinks::Grid::MouseDown(std::int16_t button, std::int16_t shift, float x, float y) noexcept {
    return Handle(control_, handler_names::kGridMouseDown, [&] { return control_.OnGridMouseDown(button, shift, x, y); });
}
HRESULT EventSinks::Grid::Scroll() noexcept {
    return Handle(control_, handler_names::kGridScroll, [&] { return control_.OnGridScroll(); });
}

HRESULT EventSinks::TextEditor::GotFocus() noexcept {
    return Handle(control_, handler_names::kTextEditorGotFocus, [&] { return control_.OnTextEditorGotFocus(); });
}
HRESULT EventSinks::TextEditor::LostFocus() noexcept {
    return Handle(control_, handler_names::kTextEditorLostFocus, [&] { return control_.OnTextEditorLostFocus(); });
}

HRESULT EventSinks::Selector::Click() noexcept {
    return Handle(control_, handler_names::kSelectorClick, [&] { return control_.OnSelectorClick(); });
}
HRESULT EventSinks::DropDownEditor::Click() noexcept {
    return Handle(control_, handler_names::kDropDownEditorClick, [&] { return control_.OnDropDownEditorClick(); });
}

HRESULT EventSinks::Surface::ExitFocus() noexcept {
    return Handle(control_, handler_names::kControlExitFocus, [&] { return control_.OnExitFocus(); });
}
HRESULT EventSinks::Grid::KeyDown(std::int16_t& key, std::int16_t shift) noexcept {
    return Handle(control_, handler_names::kGridKeyDown, [&] { return control_.OnGridKeyDown(key, shift); });
}
HRESULT EventSinks::Grid::KeyPress(std::int16_t& character) noexcept {
    return Handle(control_, handler_names::kGridKeyPress, [&] { return control_.OnGridKeyPress(character); });
}
HRESULT EventSinks::Grid::ColumnResized() noexcept {
    return Handle(control_, handler_names::kGridColumnResized, [&] { return control_.OnGridColumnResized(); });
}
HRESULT EventSinks::Grid::TabbedInto() noexcept {
    return Handle(control_, handler_names::kGridTabbedInto, [&] { return control_.OnGridTabbedInto(); });
}
HRESULT EventSinks::TextEditor::KeyDown(std::int16_t& key, std::int16_t shift) noexcept {
    return Handle(control_, handler_names::kTextEditorKeyDown, [&] { return control_.OnEditorKeyDown(key, shift); });
}
HRESULT EventSinks::DropDownEditor::KeyDown(std::int16_t& key, std::int16_t shift) noexcept {
    return Handle(control_, handler_names::kDropDownEditorKeyDown, [&] { return control_.OnEditorKeyDown(key, shift); });
}

HRESULT EventSinks::FindField::Change() noexcept {
    return Handle(control_, handler_names::kFindFieldChange, [&] { return control_.OnFindFieldChange(); });
}
HRESULT EventSinks::FindField::KeyDown(std::int16_t& key, std::int16_t shift) noexcept {
    return Handle(control_, handler_names::kFindFieldKeyDown, [&] { return control_.OnFindFieldKeyDown(key, shift); });
}

}  // namespace orvane
