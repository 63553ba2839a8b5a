// The names under which the control's failing handlers reach the container's error
// channel (IControlErrorSink::HandlerFailed): the role of the widget that raised the
// event, then the event, or "control" for the container's own events. Hosts log them and
// tests match them, so a name, once given, stays; the public list is in orvane/orvane.h.
#pragma once

namespace orvane::handler_names {

// The grid's events.
inline constexpr const char16_t* kGridEnterCell = u"grid.EnterCell";
inline constexpr const char16_t* kGridLeaveCell = u"grid.LeaveCell";
inline constexpr const char16_t* kGridMouseDown = u"grid.MouseDown";
inline constexpr const char16_t* kGridScroll = u"grid.Scroll";
inline constexpr const char16_t* kGridKeyDown = u"grid.KeyDown";
inline constexpr const char16_t* kGridKeyPress = u"grid.KeyPress";
inline constexpr const char16_t* kGridColumnResized = u"grid.ColumnResized";
inline constexpr const char16_t* kGridTabbedInto = u"grid.TabbedInto";
// The in-place text editor's focus events.
inline constexpr const char16_t* kTextEditorGotFocus = u"textEditor.GotFocus";
inline constexpr const char16_t* kTextEditorLostFocus = u"textEditor.LostFocus";
inline constexpr const char16_t* kTextEditorKeyDown = u"textEditor.KeyDown";
// A pick in the group selector and in the in-place drop-down editor.
inline constexpr const char16_t* kSelectorClick = u"selector.Click";
inline constexpr const char16_t* kDropDownEditorClick = u"dropDownEditor.Click";
inline constexpr const char16_t* kDropDownEditorKeyDown = u"dropDownEditor.KeyDown";
// The find field's events.
inline constexpr const char16_t* kFindFieldChange = u"findField.Change";
inline constexpr const char16_t* kFindFieldKeyDown = u"findField.KeyDown";
// The container's events on the control's surface. A failing restore step of
// ReadProperties is reported under its name although the handler itself goes on.
inline constexpr const char16_t* kControlInitialize = u"control.Initialize";
inline constexpr const char16_t* kControlResize = u"control.Resize";
inline constexpr const char16_t* kControlTerminate = u"control.Terminate";
inline constexpr const char16_t* kControlExitFocus = u"control.ExitFocus";
inline constexpr const char16_t* kControlReadProperties = u"control.ReadProperties";
inline constexpr const char16_t* kControlWriteProperties = u"control.WriteProperties";
// The window hook, when it cannot move an open editor back over its cell.
inline constexpr const char16_t* kEditorHook = u"editorHook";

}  // namespace orvane::handler_names
