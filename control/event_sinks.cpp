// Widget and container events into the control's handlers (event_sinks.h).
#include <control/event_sinks.h>

#include <control/PropertiesCtl.h>

namespace orvane {

HRESULT EventSinks::Surface::Initialize() noexcept {
    return control_.ReportHandlerStatus(u"UserControl_Initialize", control_.UserControl_Initialize());
}
HRESULT EventSinks::Surface::Resize() noexcept {
    return control_.ReportHandlerStatus(u"UserControl_Resize", control_.UserControl_Resize());
}
HRESULT EventSinks::Surface::Terminate() noexcept {
    return control_.ReportHandlerStatus(u"UserControl_Terminate", control_.UserControl_Terminate());
}
HRESULT EventSinks::Surface::ReadProperties(widgets::PropertyBag& bag) noexcept {
    return control_.ReportHandlerStatus(u"UserControl_ReadProperties", control_.UserControl_ReadProperties(bag));
}
HRESULT EventSinks::Surface::WriteProperties(widgets::PropertyBag& bag) noexcept {
    return control_.ReportHandlerStatus(u"UserControl_WriteProperties", control_.UserControl_WriteProperties(bag));
}

HRESULT EventSinks::Grid::EnterCell() noexcept {
    return control_.ReportHandlerStatus(u"MSFlexGrid1_EnterCell", control_.MSFlexGrid1_EnterCell());
}
HRESULT EventSinks::Grid::LeaveCell() noexcept {
    return control_.ReportHandlerStatus(u"MSFlexGrid1_LeaveCell", control_.MSFlexGrid1_LeaveCell());
}
HRESULT EventSinks::Grid::MouseDown(std::int16_t button, std::int16_t shift, float x, float y) noexcept {
    return control_.ReportHandlerStatus(u"MSFlexGrid1_MouseDown", control_.MSFlexGrid1_MouseDown(button, shift, x, y));
}
HRESULT EventSinks::Grid::Scroll() noexcept {
    return control_.ReportHandlerStatus(u"MSFlexGrid1_Scroll", control_.MSFlexGrid1_Scroll());
}

HRESULT EventSinks::TextEditor::GotFocus() noexcept {
    return control_.ReportHandlerStatus(u"Text1_GotFocus", control_.Text1_GotFocus());
}
HRESULT EventSinks::TextEditor::LostFocus() noexcept {
    return control_.ReportHandlerStatus(u"Text1_LostFocus", control_.Text1_LostFocus());
}

HRESULT EventSinks::Selector::Click() noexcept {
    return control_.ReportHandlerStatus(u"Combo1_Click", control_.Combo1_Click());
}
HRESULT EventSinks::DropDownEditor::Click() noexcept {
    return control_.ReportHandlerStatus(u"Combo2_Click", control_.Combo2_Click());
}

}  // namespace orvane
