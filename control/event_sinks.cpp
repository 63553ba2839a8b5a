// Widget and container events into the control's handlers (event_sinks.h).
#include <control/event_sinks.h>

#include <control/PropertiesCtl.h>
#include <control/handler_names.h>

namespace orvane {

HRESULT EventSinks::Surface::Initialize() noexcept {
    return control_.ReportHandlerStatus(handler_names::kControlInitialize, control_.OnInitialize());
}
HRESULT EventSinks::Surface::Resize() noexcept {
    return control_.ReportHandlerStatus(handler_names::kControlResize, control_.OnResize());
}
HRESULT EventSinks::Surface::Terminate() noexcept {
    return control_.ReportHandlerStatus(handler_names::kControlTerminate, control_.OnTerminate());
}

HRESULT EventSinks::Grid::EnterCell() noexcept {
    return control_.ReportHandlerStatus(handler_names::kGridEnterCell, control_.OnGridEnterCell());
}
HRESULT EventSinks::Grid::LeaveCell() noexcept {
    return control_.ReportHandlerStatus(handler_names::kGridLeaveCell, control_.OnGridLeaveCell());
}
HRESULT EventSinks::Grid::MouseDown(std::int16_t button, std::int16_t shift, float x, float y) noexcept {
    return control_.ReportHandlerStatus(handler_names::kGridMouseDown, control_.OnGridMouseDown(button, shift, x, y));
}
HRESULT EventSinks::Grid::Scroll() noexcept {
    return control_.ReportHandlerStatus(handler_names::kGridScroll, control_.OnGridScroll());
}

HRESULT EventSinks::TextEditor::GotFocus() noexcept {
    return control_.ReportHandlerStatus(handler_names::kTextEditorGotFocus, control_.OnTextEditorGotFocus());
}
HRESULT EventSinks::TextEditor::LostFocus() noexcept {
    return control_.ReportHandlerStatus(handler_names::kTextEditorLostFocus, control_.OnTextEditorLostFocus());
}

HRESULT EventSinks::Selector::Click() noexcept {
    return control_.ReportHandlerStatus(handler_names::kSelectorClick, control_.OnSelectorClick());
}
HRESULT EventSinks::DropDownEditor::Click() noexcept {
    return control_.ReportHandlerStatus(handler_names::kDropDownEditorClick, control_.OnDropDownEditorClick());
}

HRESULT EventSinks::Surface::ExitFocus() noexcept {
    return control_.ReportHandlerStatus(handler_names::kControlExitFocus, control_.OnExitFocus());
}
HRESULT EventSinks::Grid::KeyDown(std::int16_t& key, std::int16_t shift) noexcept {
    return control_.ReportHandlerStatus(handler_names::kGridKeyDown, control_.OnGridKeyDown(key, shift));
}
HRESULT EventSinks::Grid::KeyPress(std::int16_t& character) noexcept {
    return control_.ReportHandlerStatus(handler_names::kGridKeyPress, control_.OnGridKeyPress(character));
}
HRESULT EventSinks::Grid::ColumnResized() noexcept {
    return control_.ReportHandlerStatus(handler_names::kGridColumnResized, control_.OnGridColumnResized());
}
HRESULT EventSinks::TextEditor::KeyDown(std::int16_t& key, std::int16_t shift) noexcept {
    return control_.ReportHandlerStatus(handler_names::kTextEditorKeyDown, control_.OnEditorKeyDown(key, shift));
}
HRESULT EventSinks::DropDownEditor::KeyDown(std::int16_t& key, std::int16_t shift) noexcept {
    return control_.ReportHandlerStatus(handler_names::kDropDownEditorKeyDown, control_.OnEditorKeyDown(key, shift));
}

}  // namespace orvane
