// The names under which the control's failing handlers reach the container's error
// channel (IControlErrorSink::HandlerFailed): the role of the widget that raised the
// event, then the event, or "control" for the container's own events. Hosts log them and
// tests match them, so a name, once given, stays; the public list is in orvane/orvane.h.
#pragma once

namespace orvane::handler_names {

// The grid's events.
inline constexpr const OLECHAR* kGridEnterCell = OLESTR("grid.EnterCell");
inline constexpr const OLECHAR* kGridLeaveCell = OLESTR("grid.LeaveCell");
inline constexpr const OLECHAR* kGridMouseDown = OLESTR("grid.MouseDown");
inline constexpr const OLECHAR* kGridScroll = OLESTR("grid.Scroll");
inline constexpr const OLECHAR* kGridKeyDown = OLESTR("grid.KeyDown");
inline constexpr const OLECHAR* kGridKeyPress = OLESTR("grid.KeyPress");
inline constexpr const OLECHAR* kGridColumnResized = OLESTR("grid.ColumnResized");
inline constexpr const OLECHAR* kGridTabbedInto = OLESTR("grid.TabbedInto");
// The in-place text editor's focus events.
inline constexpr const OLECHAR* kTextEditorGotFocus = OLESTR("textEditor.GotFocus");
inline constexpr const OLECHAR* kTextEditorLostFocus = OLESTR("textEditor.LostFocus");
inline constexpr const OLECHAR* kTextEditorKeyDown = OLESTR("textEditor.KeyDown");
// A pick in the group selector and in the in-place drop-down editor.
inline constexpr const OLECHAR* kSelectorClick = OLESTR("selector.Click");
inline constexpr const OLECHAR* kDropDownEditorClick = OLESTR("dropDownEditor.Click");
inline constexpr const OLECHAR* kDropDownEditorKeyDown = OLESTR("dropDownEditor.KeyDown");
// The find field's events.
inline constexpr const OLECHAR* kFindFieldChange = OLESTR("findField.Change");
inline constexpr const OLECHAR* kFindFieldKeyDown = OLESTR("findField.KeyDown");
// The container's events on the control's surface. A failing restore step of
// ReadProperties is reported under its name although the handler itself goes on.
inline constexpr const OLECHAR* kControlInitialize = OLESTR("control.Initialize");
inline constexpr const OLECHAR* kControlResize = OLESTR("control.Resize");
inline constexpr const OLECHAR* kControlTerminate = OLESTR("control.Terminate");
inline constexpr const OLECHAR* kControlExitFocus = OLESTR("control.ExitFocus");
inline constexpr const OLECHAR* kControlReadProperties = OLESTR("control.ReadProperties");
inline constexpr const OLECHAR* kControlWriteProperties = OLESTR("control.WriteProperties");
// The window hook, when it cannot move an open editor back over its cell.
inline constexpr const OLECHAR* kEditorHook = OLESTR("editorHook");

}  // namespace orvane::handler_names
