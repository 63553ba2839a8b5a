// The widget contract against the Windows toolkit, made as the control's library makes
// them: in a shown top-level window of the test's own. The user's actions are the
// messages the system sends for them, with the keyboard's shift state set as the keys
// being held would set it.
#include <tests/contract/widget_contract.h>
#include <testing/fonts.h>
#include <toolkit/win32/units.h>
#include <toolkit/win32/win32_drop_down.h>
#include <toolkit/win32/win32_grid.h>
#include <toolkit/win32/win32_surface.h>
#include <toolkit/win32/win32_text_box.h>
#include <toolkit/win32/win32_widget_set.h>

namespace orvane::contract {
namespace {

void Pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// Holds Shift, Ctrl and Alt down as shift names them, while it lives.
class HeldKeys {
public:
    explicit HeldKeys(std::int16_t shift) {
        GetKeyboardState(saved_);
        BYTE state[256];
        std::copy(std::begin(saved_), std::end(saved_), std::begin(state));
        const auto hold = [&](std::initializer_list<int> vks, bool down) {
            for (int vk : vks) state[vk] = down ? 0x80 : 0;
        };
        hold({VK_SHIFT, VK_LSHIFT}, shift & keys::kShift);
        hold({VK_CONTROL, VK_LCONTROL}, shift & keys::kCtrl);
        hold({VK_MENU, VK_LMENU}, shift & keys::kAlt);
        SetKeyboardState(state);
    }
    ~HeldKeys() { SetKeyboardState(saved_); }
    HeldKeys(const HeldKeys&) = delete;
    HeldKeys& operator=(const HeldKeys&) = delete;

private:
    BYTE saved_[256];
};

void Press(HWND target, std::int16_t key, std::int16_t shift) {
    Pump();
    const HeldKeys held(shift);
    const bool alt = (shift & keys::kAlt) != 0;
    constexpr LPARAM kAltDown = LPARAM{1} << 29;
    SendMessageW(target, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, static_cast<WPARAM>(key), 1 | (alt ? kAltDown : 0));
    // The characters the keyboard makes of those keys.
    const WPARAM character = key == keys::kTab ? '\t' : key == keys::kReturn ? '\r' : key == keys::kEscape ? 0x1B : 0;
    if (character) SendMessageW(target, alt ? WM_SYSCHAR : WM_CHAR, character, 1 | (alt ? kAltDown : 0));
    if (!alt) SendMessageW(target, WM_KEYUP, static_cast<WPARAM>(key), LPARAM{1} | (LPARAM{3} << 30));
}

Place PlaceOf(const RECT& rect) {
    return {win32::TwipsX(rect.left), win32::TwipsY(rect.top), win32::TwipsX(rect.right - rect.left),
            win32::TwipsY(rect.bottom - rect.top)};
}

LPARAM At(POINT point) { return MAKELPARAM(point.x, point.y); }

// The shown top-level window the controls are made in, with a window outside the control
// to take the focus from it. One for the whole run: a top-level window that goes waits
// for a window manager that Xvfb does not run.
struct Host {
    Host() {
        WNDCLASSEXW host{};
        host.cbSize = sizeof host;
        host.lpfnWndProc = DefWindowProcW;
        host.hInstance = GetModuleHandleW(nullptr);
        host.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        host.lpszClassName = L"Orvane.ContractHost";
        RegisterClassExW(&host);
        window = CreateWindowExW(0, host.lpszClassName, L"contract", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 480,
                                 360, nullptr, nullptr, host.hInstance, nullptr);
        ShowWindow(window, SW_SHOW);
        outside = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 330, 0, 120, 24, window,
                                  nullptr, host.hInstance, nullptr);
    }
    HWND window = nullptr;
    HWND outside = nullptr;
};

const Host& TheHost() {
    static const Host host;
    return host;
}

struct Win32Kit {
    static constexpr bool kSystemWindows = true;

    Win32Kit() {
        SetFocus(outside);
        set = win32::CreateWin32Widgets(window, RECT{0, 0, 320, 265});
        Pump();
    }
    ~Win32Kit() {
        set.surface->Destroy();
        Pump();
    }
    Win32Kit(const Win32Kit&) = delete;
    Win32Kit& operator=(const Win32Kit&) = delete;

    widgets::Container& surface() { return *set.surface; }
    widgets::Grid& grid() { return *set.grid; }
    widgets::TextBox& text_box() { return *set.text_editor; }
    widgets::DropDown& drop_down() { return *set.drop_down_editor; }
    widgets::DropDown& other_drop_down() { return *set.selector; }

    win32::Win32Grid& view() { return static_cast<win32::Win32Grid&>(*set.grid); }
    win32::Win32TextBox& editor() { return static_cast<win32::Win32TextBox&>(*set.text_editor); }
    static win32::Win32DropDown& combo(widgets::DropDown& list) { return static_cast<win32::Win32DropDown&>(list); }

    void press(widgets::Grid&, std::int16_t key, std::int16_t shift) { Press(view().window(), key, shift); }
    void press(widgets::TextBox&, std::int16_t key, std::int16_t shift) { Press(editor().window(), key, shift); }
    void press(widgets::DropDown& list, std::int16_t key, std::int16_t shift) {
        Press(combo(list).window(), key, shift);
    }
    void type(widgets::Grid&, char16_t character) {
        Pump();
        SendMessageW(view().window(), WM_CHAR, character, 1);
    }
    void click(widgets::Grid&, std::int32_t row, std::int32_t col, std::int16_t button, std::int16_t shift) {
        Pump();
        const HeldKeys held(shift);
        const RECT cell = view().cellRect(row, col);
        const POINT center{(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2};
        WPARAM state = (shift & keys::kShift ? MK_SHIFT : 0) | (shift & keys::kCtrl ? MK_CONTROL : 0);
        const UINT down = button == 2 ? WM_RBUTTONDOWN : button == 4 ? WM_MBUTTONDOWN : WM_LBUTTONDOWN;
        const WPARAM pressed = button == 2 ? MK_RBUTTON : button == 4 ? MK_MBUTTON : MK_LBUTTON;
        SendMessageW(view().window(), down, state | pressed, At(center));
        SendMessageW(view().window(), down + 1, state, At(center));
    }
    void scroll(widgets::Grid&, std::int32_t top_row) {
        Pump();
        SendMessageW(view().window(), WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, top_row), 0);
    }
    void drag_split(widgets::Grid&, std::int32_t twips) {
        Pump();
        const HWND grid = view().window();
        const RECT value = view().cellRect(view().topRow(), 1);
        const int y = value.top + 2;
        SendMessageW(grid, WM_LBUTTONDOWN, MK_LBUTTON, At({value.left, y}));
        SendMessageW(grid, WM_MOUSEMOVE, MK_LBUTTON, At({win32::PixelsX(twips), y}));
        SendMessageW(grid, WM_LBUTTONUP, 0, At({win32::PixelsX(twips), y}));
    }
    void focus_outside() { SetFocus(outside); }
    void repaint(widgets::Container& surface) {
        RedrawWindow(widgets::ToHwnd(surface.hWnd()), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    }
    void lay_out_rows(widgets::Grid& grid, std::int32_t rows) { grid.SetRows(rows); }

    bool cell_choice(std::int32_t row, std::int32_t col) { return view().cellChoice(row, col); }
    bool tab_stop(widgets::Grid&) { return (GetWindowLongW(view().window(), GWL_STYLE) & WS_TABSTOP) != 0; }
    std::u16string accessible_name(widgets::Grid&) { return view().accessibleName(); }
    std::u16string column_name(int col) { return view().columnName(col); }
    std::u16string accessible_name(widgets::TextBox&) { return editor().accessibleName(); }
    std::u16string accessible_name(widgets::DropDown& list) { return combo(list).accessibleName(); }
    bool list_open(widgets::DropDown& list) {
        const HWND box = combo(list).window();
        COMBOBOXINFO info{sizeof info, {}, {}, 0, nullptr, nullptr, nullptr};
        SCROLLINFO scroll{sizeof scroll, SIF_RANGE, 0, 0, 0, 0, 0};
        const bool open = combo(list).listOpen();
        if (open && GetComboBoxInfo(box, &info) && GetScrollInfo(info.hwndList, SB_VERT, &scroll)) {
            EXPECT_EQ(scroll.nMax + 1, SendMessageW(box, CB_GETCOUNT, 0, 0)) << "it scrolls through all its entries";
        }
        return open;
    }
    Place place(widgets::TextBox&) { return PlaceOf(editor().placement()); }
    Place place(widgets::DropDown& list) { return PlaceOf(combo(list).placement()); }

    HWND window = TheHost().window;
    HWND outside = TheHost().outside;
    widgets::WidgetSet set;
};

INSTANTIATE_TYPED_TEST_SUITE_P(Win32, GridContract, Win32Kit);
INSTANTIATE_TYPED_TEST_SUITE_P(Win32, DropDownContract, Win32Kit);
INSTANTIATE_TYPED_TEST_SUITE_P(Win32, TextBoxContract, Win32Kit);
INSTANTIATE_TYPED_TEST_SUITE_P(Win32, SurfaceContract, Win32Kit);
INSTANTIATE_TYPED_TEST_SUITE_P(Win32, WindowProcContract, Win32Kit);

}  // namespace
}  // namespace orvane::contract
