// A drop-down list of the widget contract (win32_drop_down.h).
#include <toolkit/win32/win32_drop_down.h>

#include <toolkit/win32/errors.h>
#include <toolkit/win32/keys.h>
#include <toolkit/win32/units.h>

namespace orvane::win32 {
namespace {

// Entries that 16-bit indices 0 to 32767 can name.
constexpr LRESULT kMaxEntries = 32768;
// Rows the open list shows at most.
constexpr int kListRows = 12;

}  // namespace

Win32DropDown::Win32DropDown(FamilyRef family, HWND parent, float left, float top, float width, bool visible)
    : ChildControl(std::move(family), L"COMBOBOX",
                   CBS_DROPDOWNLIST | CBS_HASSTRINGS | WS_VSCROLL | WS_TABSTOP | (visible ? WS_VISIBLE : 0), parent,
                   COLOR_WINDOW | 0x80000000u, COLOR_WINDOWTEXT | 0x80000000u) {
    // The height given to a combo box is that of the box with its open list.
    const int item = static_cast<int>(SendMessageW(window(), CB_GETITEMHEIGHT, 0, 0));
    MoveWindow(window(), PixelsX(left), PixelsY(top), PixelsX(width), item * (kListRows + 2), FALSE);
    // The list paints nothing while closed: an entry added to a list that redraws sets its
    // scroll bar at once, which makes filling it cost far more than keeping the entries.
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    if (GetComboBoxInfo(window(), &info)) list_ = info.hwndList;
    listRedraw(false);
}

// Turns the open list's painting on, which sets its scroll bar from its entries, or off.
void Win32DropDown::listRedraw(bool on) const noexcept {
    if (list_) SendMessageW(list_, WM_SETREDRAW, on ? TRUE : FALSE, 0);
}

bool Win32DropDown::listOpen() const noexcept {
    return window() && SendMessageW(window(), CB_GETDROPPEDSTATE, 0, 0) != 0;
}

void Win32DropDown::SetLeft(float left) {
    const RECT place = placement();
    SetWindowPos(live(), nullptr, PixelsX(left), place.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32DropDown::SetTop(float top) {
    const RECT place = placement();
    SetWindowPos(live(), nullptr, place.left, PixelsY(top), 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32DropDown::SetWidth(float width) {
    const HWND window = live();
    if (!(width >= 0)) FailInvalidValue();
    const int item = static_cast<int>(SendMessageW(window, CB_GETITEMHEIGHT, 0, 0));
    SetWindowPos(window, nullptr, 0, 0, PixelsX(width), item * (kListRows + 2),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

float Win32DropDown::Height() {
    const RECT place = placement();
    return static_cast<float>(TwipsY(place.bottom - place.top));
}

void Win32DropDown::SetVisible(bool visible) {
    const HWND window = live();
    if (visible) {
        ShowWindow(window, SW_SHOWNA);
        return;
    }
    SendMessageW(window, CB_SHOWDROPDOWN, FALSE, 0);
    family_->hideKeepingFocus(window);
}

std::u16string Win32DropDown::Text() {
    const HWND window = live();
    const LRESULT index = SendMessageW(window, CB_GETCURSEL, 0, 0);
    if (index < 0) return {};
    const LRESULT length = SendMessageW(window, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length <= 0) return {};
    std::u16string text(static_cast<std::size_t>(length) + 1, u'\0');
    const LRESULT copied =
        SendMessageW(window, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return text;
}

std::int16_t Win32DropDown::ListIndex() {
    return static_cast<std::int16_t>(SendMessageW(live(), CB_GETCURSEL, 0, 0));
}

void Win32DropDown::SetListIndex(std::int16_t index) {
    const HWND window = live();
    const LRESULT count = SendMessageW(window, CB_GETCOUNT, 0, 0);
    if (index < -1 || index >= count) FailInvalidValue();
    if (index == SendMessageW(window, CB_GETCURSEL, 0, 0)) return;
    SendMessageW(window, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    raiseClick();
}

void Win32DropDown::Clear() { SendMessageW(live(), CB_RESETCONTENT, 0, 0); }

void Win32DropDown::AddItem(std::u16string_view text) {
    const HWND window = live();
    const std::u16string entry(text);
    // One message an entry, which is what a long list costs to fill, and that one straight
    // to the list that keeps the entries (all that CB_ADDSTRING does with it): through the
    // subclass every message costs far more than the list's own work. An entry past the
    // last that an index can name is taken back rather than counted for beforehand.
    const LRESULT added = list_ ? SendMessageW(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(entry)))
                                : SendMessageW(window, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(entry)));
    if (added == CB_ERRSPACE) throw comrt::com_error(E_OUTOFMEMORY);
    if (added == CB_ERR) Fail(comrt::runtime_error::overflow);
    if (added >= kMaxEntries) {
        SendMessageW(window, CB_DELETESTRING, static_cast<WPARAM>(added), 0);
        Fail(comrt::runtime_error::overflow);
    }
}

void Win32DropDown::SetFocus() { ::SetFocus(live()); }

void Win32DropDown::ShowList() {
    const HWND window = live();
    if (IsWindowVisible(window)) SendMessageW(window, CB_SHOWDROPDOWN, TRUE, 0);
}

void Win32DropDown::ZOrder(std::int16_t position) {
    const HWND window = live();
    if (position != 0 && position != 1) FailInvalidValue();
    SetWindowPos(window, position == 0 ? HWND_TOP : HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void Win32DropDown::Refresh() { RedrawWindow(live(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW); }

void Win32DropDown::raiseClick() noexcept {
    if (raising() && sink_) sink_->Click();
}

// The user picked an entry: from the open list (which ends the pick before it closes), or
// with a key on the closed one. Moving through the open list picks nothing yet.
void Win32DropDown::command(WORD code) {
    switch (code) {
    case CBN_DROPDOWN:
        open_ = true;
        listRedraw(true);
        break;
    case CBN_CLOSEUP:
        open_ = false;
        listRedraw(false);
        break;
    case CBN_SELENDOK:
        if (open_) raiseClick();
        break;
    case CBN_SELCHANGE:
        if (!open_) raiseClick();
        break;
    default: break;
    }
}

LRESULT Win32DropDown::message(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_GETDLGCODE:
        return Default(msg, wParam, lParam) | DLGC_WANTALLKEYS;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
        swallow_char_ = false;
        if (listOpen()) break;
        if (RaiseKeyDown(raising() ? sink_ : nullptr, wParam)) {
            swallow_char_ = true;
            return 0;
        }
        // A closed list is no list to move through: only its open list's keys pick an
        // entry, so that a stray Home or End never changes a value unseen.
        if (wParam == VK_HOME || wParam == VK_END || wParam == VK_PRIOR || wParam == VK_NEXT) return 0;
        break;
    }
    case WM_CHAR:
    case WM_SYSCHAR:
        if (swallow_char_ || wParam == '\t') {
            swallow_char_ = false;
            return 0;
        }
        break;
    case WM_MOUSEWHEEL:
        // The wheel over a closed list scrolls the grid rather than change the value unseen.
        if (listOpen()) break;
        if (family_->focus_keeper) return SendMessageW(family_->focus_keeper, msg, wParam, lParam);
        return 0;
    case WM_CTLCOLORLISTBOX:
        // The open list asks its combo box for its colours.
        return reinterpret_cast<LRESULT>(colour(reinterpret_cast<HDC>(wParam)));
    default:
        break;
    }
    return Default(msg, wParam, lParam);
}

}  // namespace orvane::win32
