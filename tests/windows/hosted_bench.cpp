// hosted_bench [--short]: orvane.dll in the system's ATL host window against the system's own
// windows doing the same visible work at the same size. The two sides are sampled in turn
// and each line prints the median of product / baseline:
//
//   showing 32,766 rows     SelectPropertyGroup of a group of 32,766 items, painted, against
//                           a report-view SysListView32 of owner data (two columns) of the
//                           grid's size, its item count set to 32,766, painted
//   a keystroke             a character through the control's key path into its open text
//                           editor, painted, against the same into a bare EDIT of that size
//   the drop-down, 32,768   ComboInit on an item of 32,768 choices, painted, against one of 100
//
// --short takes few samples (a check that it runs). Needs both DLLs registered and a display.
#include <orvane/orvane.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <commctrl.h>

#include "hosting.h"

namespace {

using namespace hosting;
using clock_type = std::chrono::steady_clock;

double Seconds(clock_type::time_point since) {
    return std::chrono::duration<double>(clock_type::now() - since).count();
}

void PaintNow(HWND window) { RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN); }

// Runs product and baseline in turn `samples` times (each after its own `prepare`) and
// prints the median ratio of their times.
template <typename Prepare, typename Product, typename Baseline>
void Compare(const char* what, int samples, Prepare prepare, Product product, Baseline baseline) {
    std::vector<double> ratios;
    for (int i = 0; i < samples; ++i) {
        prepare();
        auto start = clock_type::now();
        product();
        const double product_time = Seconds(start);
        start = clock_type::now();
        baseline();
        const double baseline_time = Seconds(start);
        ratios.push_back(product_time / std::max(baseline_time, 1e-9));
    }
    std::sort(ratios.begin(), ratios.end());
    std::printf("%-28s %8.2f  (median of %d, product / baseline)\n", what, ratios[ratios.size() / 2], samples);
}

// The owner-data list's texts, as the grid's: "Item n" and "vn".
LRESULT CALLBACK ListFrameProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NOTIFY && reinterpret_cast<NMHDR*>(lparam)->code == LVN_GETDISPINFOW) {
        static wchar_t text[32];
        LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(lparam)->item;
        if (item.mask & LVIF_TEXT) {
            std::swprintf(text, 32, item.iSubItem == 0 ? L"Item %d" : L"v%d", item.iItem + 1);
            item.pszText = text;
        }
        return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

// A frame beside the control's, with child windows of the system's of the grid's size.
HWND BaselineFrame(const RECT& grid) {
    WNDCLASSW frame_class{};
    frame_class.lpfnWndProc = ListFrameProc;
    frame_class.hInstance = GetModuleHandleW(nullptr);
    frame_class.lpszClassName = L"OrvaneBaselineFrame";
    RegisterClassW(&frame_class);
    return CreateWindowExW(0, frame_class.lpszClassName, L"baseline", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 460, 0,
                           grid.right - grid.left + 40, grid.bottom - grid.top + 60, nullptr, nullptr,
                           frame_class.hInstance, nullptr);
}

HWND ChildOfClass(HWND parent, const wchar_t* name, bool visible_only) {
    for (HWND w = nullptr; (w = FindWindowExW(parent, w, nullptr, nullptr));) {
        wchar_t found[64] = {};
        GetClassNameW(w, found, 64);
        if (_wcsicmp(found, name) == 0 && (!visible_only || IsWindowVisible(w))) return w;
        if (HWND inner = ChildOfClass(w, name, visible_only)) return inner;
    }
    return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    const bool short_run = argc > 1 && std::strcmp(argv[1], "--short") == 0;
    const int samples = short_run ? 1 : 21;
    Check(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), "CoInitializeEx");
    INITCOMMONCONTROLSEX common{sizeof common, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&common);
    comrt::ComPtr<IUnknown> unknown = OpenHost(440, 360);
    comrt::ComPtr<IDispatch> control;
    Check(unknown->QueryInterface(IID_IDispatch, control.put_void()), "the control's IDispatch");
    comrt::ComPtr<IPropertiesEditing> editing;
    Check(unknown->QueryInterface(IID_IPropertiesEditing, editing.put_void()), "IPropertiesEditing");

    // Groups: 0 the rows, 1 a single row, 2 and 3 one drop-down item of 32,768 and of 100 choices.
    std::vector<std::pair<std::wstring, std::wstring>> rows;
    for (int i = 1; i <= 32766; ++i) rows.push_back({L"Item " + std::to_wstring(i), L"v" + std::to_wstring(i)});
    std::vector<std::wstring> many(32768), few(100);
    for (std::size_t i = 0; i < many.size(); ++i) many[i] = L"choice " + std::to_wstring(i);
    for (std::size_t i = 0; i < few.size(); ++i) few[i] = L"choice " + std::to_wstring(i);
    auto start = clock_type::now();
    const comrt::ComPtr<IDispatch> groups[] = {MakeGroup(L"Rows", rows, {}), MakeGroup(L"One", {{L"A", L"a"}}, {}),
                                               MakeGroup(L"Many", {}, many), MakeGroup(L"Few", {}, few)};
    for (const auto& group : groups) Call(control.get(), L"AddPropertyGroup", DISPATCH_METHOD, {Object(group.get())});
    const auto show = [&](SHORT index) {
        Call(control.get(), L"SelectPropertyGroup", DISPATCH_METHOD, {Short(index)});
        PaintNow(g_frame);
    };
    std::printf("groups made and added in %.2f s\n", Seconds(start));
    std::fflush(stdout);
    start = clock_type::now();
    show(0);
    std::printf("32,766 rows shown in %.2f s\n", Seconds(start));
    std::fflush(stdout);
    Pump(200);

    HWND grid = ChildOfClass(g_host, L"Orvane.Grid", false);
    if (!grid) Fail("the control shows no grid");
    RECT grid_rect;
    GetWindowRect(grid, &grid_rect);
    HWND baseline_frame = BaselineFrame(grid_rect);
    const int width = grid_rect.right - grid_rect.left, height = grid_rect.bottom - grid_rect.top;
    HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDATA, 0, 0, width,
                                height, baseline_frame, nullptr, nullptr, nullptr);
    for (int column = 0; column < 2; ++column) {
        LVCOLUMNW c{};
        c.mask = LVCF_WIDTH | LVCF_TEXT;
        c.cx = width / 2;
        c.pszText = const_cast<wchar_t*>(column == 0 ? L"Property" : L"Value");
        SendMessageW(list, LVM_INSERTCOLUMNW, column, reinterpret_cast<LPARAM>(&c));
    }
    Pump(200);

    Compare(
        "showing 32,766 rows", samples,
        [&] {
            show(1);
            SendMessageW(list, LVM_SETITEMCOUNT, 0, 0);
            PaintNow(list);
        },
        [&] { show(0); },
        [&] {
            SendMessageW(list, LVM_SETITEMCOUNT, 32766, 0);
            PaintNow(list);
        });

    // A keystroke: the control's editor open over row 0's value, a bare EDIT of its size.
    show(0);
    Call(control.get(), L"ChangeCellText", DISPATCH_METHOD);
    Pump(100);
    HWND editor = ChildOfClass(grid, L"Edit", true);
    if (!editor) editor = ChildOfClass(g_host, L"Edit", true);
    if (!editor) Fail("ChangeCellText opened no editor");
    RECT editor_rect;
    GetWindowRect(editor, &editor_rect);
    HWND bare = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 0, 0,
                                editor_rect.right - editor_rect.left, editor_rect.bottom - editor_rect.top,
                                baseline_frame, nullptr, nullptr, nullptr);
    SendMessageW(bare, WM_SETFONT, SendMessageW(editor, WM_GETFONT, 0, 0), TRUE);
    const auto keystroke = [](HWND window, IOleInPlaceActiveObject* active) {
        MSG down{window, WM_KEYDOWN, 'A', 0, 0, {}};
        if (!active || active->TranslateAccelerator(&down) != S_OK) SendMessageW(window, WM_KEYDOWN, 'A', 0);
        SendMessageW(window, WM_CHAR, 'a', 0);
        SendMessageW(window, WM_KEYUP, 'A', 0);
        PaintNow(window);
    };
    Compare(
        "a keystroke in the editor", samples * 5,
        [&] {
            SetWindowTextW(editor, L"");
            SetWindowTextW(bare, L"");
        },
        [&] { keystroke(editor, g_active.get()); }, [&] { keystroke(bare, nullptr); });
    Check(editing->CancelEdit(), "CancelEdit");

    Compare(
        "the drop-down, 32,768 : 100", samples, [] {},
        [&] {
            show(2);
            Call(control.get(), L"ComboInit", DISPATCH_METHOD);
            PaintNow(g_frame);
            Check(editing->CancelEdit(), "CancelEdit");
        },
        [&] {
            show(3);
            Call(control.get(), L"ComboInit", DISPATCH_METHOD);
            PaintNow(g_frame);
            Check(editing->CancelEdit(), "CancelEdit");
        });

    DestroyWindow(baseline_frame);
    editing = nullptr;
    control = nullptr;
    unknown = nullptr;
    CloseHost();
    CoUninitialize();
    return 0;
}
