// The widget contract against the Windows toolkit, made as the control's library makes
// them: in a shown top-level window of the test's own. The user's actions are the
// messages the system sends for them, with the keyboard's shift state set as the keys
// being held would set it. What assistive technology is told is read through the grid's
// accessible objects, as a screen reader reads it.
#include <tests/contract/widget_contract.h>

#include <oleacc.h>

#include <memory>

#include <comrt/module.h>
#include <testing/fonts.h>
#include <toolkit/win32/grid_accessible.h>
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

VARIANT Child(long id) {
    VARIANT child;
    VariantInit(&child);
    child.vt = VT_I4;
    child.lVal = id;
    return child;
}

std::u16string Take(BSTR text) {
    std::u16string out(reinterpret_cast<const char16_t*>(text ? text : L""), SysStringLen(text));
    SysFreeString(text);
    return out;
}

std::u16string NameOf(IAccessible* object, long child) {
    BSTR name = nullptr;
    EXPECT_TRUE(SUCCEEDED(object->get_accName(Child(child), &name)));
    return Take(name);
}

std::u16string ValueOf(IAccessible* object, long child) {
    BSTR value = nullptr;
    EXPECT_EQ(object->get_accValue(Child(child), &value), S_OK);
    return Take(value);
}

// Role or state, -1 when the object does not give it.
long Property(IAccessible* object, long child, HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, VARIANT*)) {
    VARIANT value;
    VariantInit(&value);
    return SUCCEEDED((object->*get)(Child(child), &value)) && value.vt == VT_I4 ? value.lVal : -1;
}

long ChildCount(IAccessible* object) {
    long count = -1;
    EXPECT_EQ(object->get_accChildCount(&count), S_OK);
    return count;
}

// The grid's events for assistive technology (its rows': child id > 0), as (event, child).
std::vector<std::pair<DWORD, long>> g_heard;
void CALLBACK Hear(HWINEVENTHOOK, DWORD event, HWND, LONG object, LONG child, DWORD, DWORD) {
    if (object == OBJID_CLIENT && child > 0) g_heard.emplace_back(event, child);
}

// The row object a VARIANT holds (VT_DISPATCH), null for anything else.
comrt::ComPtr<IAccessible> RowIn(VARIANT& found) {
    comrt::ComPtr<IAccessible> row;
    if (found.vt == VT_DISPATCH && found.pdispVal) found.pdispVal->QueryInterface(win32::kIAccessible, row.put_void());
    VariantClear(&found);
    return row;
}

// The shown top-level window the controls are made in, with a window outside the control
// to take the focus from it. One for the whole run: a top-level window that goes waits
// for a window manager that Xvfb does not run.
struct Host {
    Host() {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);  // for the accessible objects' marshaling
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

    bool tab_stop(widgets::Grid&) { return (GetWindowLongW(view().window(), GWL_STYLE) & WS_TABSTOP) != 0; }
    // The grid's client object, and row `row` of it.
    comrt::ComPtr<IAccessible> table() {
        comrt::ComPtr<IAccessible> table;
        EXPECT_EQ(AccessibleObjectFromWindow(view().window(), OBJID_CLIENT, win32::kIAccessible, table.put_void()), S_OK);
        return table;
    }
    comrt::ComPtr<IAccessible> row(int row) {
        comrt::ComPtr<IDispatch> object;
        const comrt::ComPtr<IAccessible> grid = table();
        if (grid) {
            EXPECT_EQ(grid->get_accChild(Child(row + 1), object.put()), S_OK);
        }
        comrt::ComPtr<IAccessible> accessible;
        if (object) object->QueryInterface(win32::kIAccessible, accessible.put_void());
        return accessible;
    }

    bool cell_choice(std::int32_t row, std::int32_t col) {
        const bool choice = view().cellChoice(row, col);
        if (view().cells().holds(row, col)) {
            const comrt::ComPtr<IAccessible> cells = this->row(row);
            const long state = Property(cells.get(), col + 1, &IAccessible::get_accState);
            EXPECT_EQ((state & STATE_SYSTEM_HASPOPUP) != 0, choice) << "the cell tells that it opens a list";
            BSTR description = nullptr;
            const HRESULT described = cells->get_accDescription(Child(col + 1), &description);
            EXPECT_EQ(Take(description), choice ? u"drop-down list" : u"");
            EXPECT_EQ(described, choice ? S_OK : DISP_E_MEMBERNOTFOUND);
        }
        return choice;
    }
    std::u16string accessible_name(widgets::Grid&) { return NameOf(table().get(), CHILDID_SELF); }
    // The name of row 0's cell in a column after the first (the first's is the row's name).
    std::u16string column_name(int col) { return NameOf(row(0).get(), col + 1); }
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

// The grid as a screen reader reads it: a table of rows of cells, where the current cell
// is, where the cells lie on the screen, and nothing of the grid touched once it is gone.
TEST(Win32GridAccessible, ATableOfRowsOfCellsUntilTheWindowsGo) {
    const long objects_before = comrt::module::count().load();
    auto kit = std::make_unique<Win32Kit>();
    widgets::Grid& grid = kit->grid();
    grid.SetCols(2);
    grid.SetRows(3);
    const char16_t* texts[3][2] = {{u"Name", u"Ada"}, {u"Caption", u"Hello"}, {u"Notes", u""}};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 2; ++c) {
            grid.SetRow(r);
            grid.SetCol(c);
            grid.SetText(texts[r][c]);
        }
    grid.SetColumnName(1, u"Value");
    grid.SetRow(1);
    grid.SetCol(1);
    grid.SetFocus();
    Pump();

    comrt::ComPtr<IAccessible> table = kit->table();
    ASSERT_TRUE(table);
    EXPECT_EQ(Property(table.get(), CHILDID_SELF, &IAccessible::get_accRole), ROLE_SYSTEM_TABLE);
    EXPECT_EQ(ChildCount(table.get()), 3);
    comrt::ComPtr<IAccessible> row = kit->row(1);
    ASSERT_TRUE(row);
    EXPECT_EQ(Property(row.get(), CHILDID_SELF, &IAccessible::get_accRole), ROLE_SYSTEM_ROW);
    EXPECT_EQ(Property(row.get(), 2, &IAccessible::get_accRole), ROLE_SYSTEM_CELL);
    EXPECT_EQ(ChildCount(row.get()), 2);
    EXPECT_EQ(NameOf(row.get(), CHILDID_SELF), u"Caption");
    EXPECT_EQ(NameOf(row.get(), 1), u"Caption");
    EXPECT_EQ(NameOf(row.get(), 2), u"Value");
    EXPECT_EQ(ValueOf(row.get(), 2), u"Hello");
    EXPECT_EQ(ValueOf(kit->row(2).get(), 2), u"");
    BSTR none = nullptr;
    EXPECT_EQ(row->get_accDefaultAction(Child(2), &none), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(row->get_accName(Child(3), &none), E_INVALIDARG);
    EXPECT_EQ(table->get_accName(Child(4), &none), E_INVALIDARG);

    // The current cell: selected and focused, in the selected row that has the focus.
    const long current = STATE_SYSTEM_SELECTED | STATE_SYSTEM_FOCUSED;
    const long takes = STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_FOCUSABLE;
    EXPECT_EQ(Property(row.get(), 2, &IAccessible::get_accState) & (current | takes), current | takes);
    EXPECT_EQ(Property(row.get(), 1, &IAccessible::get_accState) & (current | takes), takes);
    EXPECT_EQ(Property(row.get(), CHILDID_SELF, &IAccessible::get_accState) & current, STATE_SYSTEM_SELECTED);
    EXPECT_EQ(Property(table.get(), 1, &IAccessible::get_accState) & current, 0);
    EXPECT_EQ(Property(table.get(), CHILDID_SELF, &IAccessible::get_accState) & current, STATE_SYSTEM_FOCUSED);
    VARIANT found;
    VariantInit(&found);
    ASSERT_EQ(table->get_accFocus(&found), S_OK);
    EXPECT_TRUE(RowIn(found) == row) << "the same object for the same row";
    ASSERT_EQ(row->get_accFocus(&found), S_OK);
    EXPECT_EQ(found.vt == VT_I4 ? found.lVal : -1, 2);

    // On the screen: the cell where it is painted; a point of it hits the row, then the cell.
    RECT cell = kit->view().cellRect(1, 1);
    MapWindowPoints(kit->view().window(), nullptr, reinterpret_cast<POINT*>(&cell), 2);
    long left = 0, top = 0, width = 0, height = 0;
    ASSERT_EQ(row->accLocation(&left, &top, &width, &height, Child(2)), S_OK);
    const RECT located{left, top, left + width, top + height};
    EXPECT_TRUE(EqualRect(&located, &cell));
    ASSERT_EQ(table->accHitTest(cell.left + 2, cell.top + 2, &found), S_OK);
    EXPECT_TRUE(RowIn(found) == row);
    ASSERT_EQ(row->accHitTest(cell.left + 2, cell.top + 2, &found), S_OK);
    EXPECT_EQ(found.vt == VT_I4 ? found.lVal : -1, 2);
    EXPECT_EQ(table->accHitTest(cell.left, cell.top - 2000, &found), S_FALSE);

    // Between rows and cells.
    ASSERT_EQ(row->accNavigate(NAVDIR_NEXT, Child(CHILDID_SELF), &found), S_OK);
    EXPECT_EQ(NameOf(RowIn(found).get(), CHILDID_SELF), u"Notes");
    ASSERT_EQ(row->accNavigate(NAVDIR_PREVIOUS, Child(2), &found), S_OK);
    EXPECT_EQ(found.vt == VT_I4 ? found.lVal : -1, 1);
    EXPECT_EQ(row->accNavigate(NAVDIR_NEXT, Child(2), &found), S_FALSE);
    ASSERT_EQ(table->accNavigate(NAVDIR_LASTCHILD, Child(CHILDID_SELF), &found), S_OK);
    EXPECT_EQ(NameOf(RowIn(found).get(), CHILDID_SELF), u"Notes");

    // A new value reads at once; a cell taken by accSelect becomes the current one. Both are
    // announced for the row.
    const HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_VALUECHANGE, nullptr, Hear,
                                               GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    grid.SetText(u"World");
    EXPECT_EQ(ValueOf(row.get(), 2), u"World");
    EXPECT_EQ(row->accSelect(SELFLAG_TAKESELECTION, Child(1)), S_OK);
    EXPECT_EQ(grid.Col(), 0);
    Pump();
    UnhookWinEvent(hook);
    EXPECT_THAT(g_heard, ElementsAre(std::pair<DWORD, long>(EVENT_OBJECT_VALUECHANGE, 2),
                                     std::pair<DWORD, long>(EVENT_OBJECT_FOCUS, 2)));

    kit.reset();
    long count = 0;
    EXPECT_EQ(table->get_accChildCount(&count), CO_E_OBJNOTCONNECTED);
    EXPECT_EQ(row->get_accName(Child(2), &none), CO_E_OBJNOTCONNECTED);
    EXPECT_EQ(row->accLocation(&left, &top, &width, &height, Child(2)), CO_E_OBJNOTCONNECTED);
    EXPECT_EQ(table->accHitTest(cell.left + 2, cell.top + 2, &found), CO_E_OBJNOTCONNECTED);
    row = nullptr;
    table = nullptr;
    EXPECT_EQ(comrt::module::count().load(), objects_before) << "every accessible object released";
}

INSTANTIATE_TYPED_TEST_SUITE_P(Win32, GridContract, Win32Kit);
INSTANTIATE_TYPED_TEST_SUITE_P(Win32, DropDownContract, Win32Kit);
INSTANTIATE_TYPED_TEST_SUITE_P(Win32, TextBoxContract, Win32Kit);
INSTANTIATE_TYPED_TEST_SUITE_P(Win32, SurfaceContract, Win32Kit);
INSTANTIATE_TYPED_TEST_SUITE_P(Win32, WindowProcContract, Win32Kit);

}  // namespace
}  // namespace orvane::contract
