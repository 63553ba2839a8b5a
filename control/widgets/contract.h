// What every widget interface of control/widgets/ has in common.
//
// The control's logic reaches the grid, the text box, the drop-down lists, its container
// surface with the property bag, and the window procedures only through these narrow
// interfaces. Two implementations stand behind them: real toolkit widgets and the
// recording doubles of tests/fakes/. Both must behave exactly as the headers state.
//
// Conventions shared by grid.h, text_box.h, drop_down.h and container.h:
//
// - Members are named after the widget member they stand for: a property read is
//   `Row()`, a property write `SetRow(v)`, a method keeps its own name (`Move`, `Clear`,
//   `AddItem`, `SetFocus`, `ZOrder`, `Refresh`). A widget offers exactly the members the
//   logic uses, with the access (get, put or both) the logic needs.
// - Value types are exact: positions and sizes are twips (1/1440 inch) as `float`
//   (single precision) or `double` where a member takes double precision; 32-bit integers
//   are `std::int32_t`, 16-bit integers `std::int16_t`; colours are `OLE_COLOR`
//   (values with the high bit set name system colours and are passed on unchanged);
//   fonts are shared font objects (`FontRef`), handed over by reference, never copied;
//   window handles are `OLE_HANDLE` (32-bit values from the toolkit's handle table).
//   Booleans are C++ `bool`.
// - Strings are UTF-16 (`std::u16string` returned, `std::u16string_view` taken); an unset
//   string is the empty string. Comparisons are code unit by code unit.
// - A failing member throws `comrt::com_error` carrying its HRESULT, so the logic's steps
//   read straight and a failure ends the calling step; nothing the widget did before the
//   failure is undone. A widget never throws anything else.
// - Every member runs synchronously on the control's user-interface thread. None is
//   thread-safe and none needs to be.
//
// Events: each widget raises its events into one sink (GridEvents, TextBoxEvents,
// DropDownEvents, ContainerEvents) that whoever sites the control connects with
// `SetEventSink`. The keyboard and focus-exit events have a default that handles nothing,
// for sinks that do not care about them. The widget holds the sink without owning it; the sink must stay alive
// until it is disconnected with `SetEventSink(nullptr)` or the widget is gone. With no
// sink connected, events are not raised. A sink method is an event handler's entry
// point: it returns the handler's status and never throws. An event is raised
// synchronously, from inside the member call (or the user's action) that caused it; a
// handler's failure does not fail that member call. The widget hands it to the
// control's error channel (the toolkit reports it to the host; the fakes record it)
// and carries on.
#pragma once

#include <cstdint>

#include <comrt/com_ptr.h>
#include <comrt/olectl.h>

namespace orvane {

// The source named in the error information of the run-time errors that the control and
// its widgets raise.
inline constexpr const OLECHAR* kErrorSource = OLESTR("Orvane");

}  // namespace orvane

namespace orvane::widgets {

// Keys, as the platform's virtual-key codes, in the KeyDown events of the grid and the
// editors, and the shift state that comes with them (bit mask).
namespace keys {
inline constexpr std::int16_t kTab = 0x09;
inline constexpr std::int16_t kReturn = 0x0D;
inline constexpr std::int16_t kEscape = 0x1B;
inline constexpr std::int16_t kPageUp = 0x21;
inline constexpr std::int16_t kPageDown = 0x22;
inline constexpr std::int16_t kEnd = 0x23;
inline constexpr std::int16_t kHome = 0x24;
inline constexpr std::int16_t kLeft = 0x25;
inline constexpr std::int16_t kUp = 0x26;
inline constexpr std::int16_t kRight = 0x27;
inline constexpr std::int16_t kDown = 0x28;
inline constexpr std::int16_t kF = 0x46;  // with Ctrl: find
inline constexpr std::int16_t kF2 = 0x71;
inline constexpr std::int16_t kF3 = 0x72;
inline constexpr std::int16_t kF4 = 0x73;
inline constexpr std::int16_t kShift = 1;
inline constexpr std::int16_t kCtrl = 2;
inline constexpr std::int16_t kAlt = 4;
}  // namespace keys

// A shared font object, handed from widget to widget by reference.
using FontRef = comrt::ComPtr<IFontDisp>;

}  // namespace orvane::widgets
