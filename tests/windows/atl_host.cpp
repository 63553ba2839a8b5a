// atl_host [SCREENSHOT.bmp]: orvane.dll as a container that nobody here wrote hosts it: the
// system's ATL host window (AtlAxWin of atl.dll, created with the ProgID as its text) inside
// a frame window of this program. Groups come from tessel.dll, late bound; the user's part is
// played through real input (SendInput: the mouse and the keyboard of the display), and
// every result is read back from the host's own items. With a file name, the hosted control
// is photographed with its editor open (BitBlt of the frame into a 24-bit BMP).
//
// Needs both DLLs registered (regsvr32) and a display (Xvfb under Wine). Exits 0 when every
// step held, 1 with a message naming the first one that did not.
#include <orvane/orvane.h>

#include <oleacc.h>

#include <cstdio>
#include <string>
#include <vector>

#include "hosting.h"

namespace {

using namespace hosting;

// Input reaches the control through the display: a value has three seconds to arrive.
void ExpectValue(IDispatch* group, LONG index, const std::wstring& expected, const char* step) {
    std::wstring actual = ItemValue(group, index);
    for (const DWORD start = GetTickCount(); actual != expected && GetTickCount() - start < 3000;
         actual = ItemValue(group, index))
        Pump(50);
    if (actual != expected)
        Fail(std::string(step) + ": item " + std::to_string(index) + " holds \"" + Narrow(actual) + "\", expected \"" +
             Narrow(expected) + "\"");
    std::printf("ok: %s (item %ld holds \"%s\")\n", step, static_cast<long>(index), Narrow(actual).c_str());
}

// ---- what a screen reader reads -------------------------------------------------------------

constexpr IID kIAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

// The name or the value of an object, "(none)" when it has none.
std::string AccessibleText(IAccessible* object, HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*),
                           VARIANT child) {
    BSTR text = nullptr;
    const HRESULT hr = (object->*get)(child, &text);
    std::string out = SUCCEEDED(hr) && text ? Narrow(text) : "(none)";
    SysFreeString(text);
    return out;
}

// The grid's client object through the system: a table named as the control names it, with
// a row per item, the first named after its item, its value cell the current one, reading
// `value`.
comrt::ComPtr<IAccessible> CheckAccessibleGrid(HWND grid, const std::wstring& value) {
    comrt::ComPtr<IAccessible> table;
    Check(AccessibleObjectFromWindow(grid, OBJID_CLIENT, kIAccessible, table.put_void()), "the grid's IAccessible");
    VARIANT self{}, first_row{}, cell{};
    self.vt = first_row.vt = cell.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    first_row.lVal = 1;
    cell.lVal = 2;
    long rows = 0;
    comrt::ComPtr<IDispatch> first;
    comrt::ComPtr<IAccessible> row;
    Check(table->get_accChildCount(&rows), "the table's rows");
    Check(table->get_accChild(first_row, first.put()), "the table's first row");
    Check(first->QueryInterface(kIAccessible, row.put_void()), "the row's IAccessible");
    const std::string name = AccessibleText(table.get(), &IAccessible::get_accName, self);
    const std::string row_name = AccessibleText(row.get(), &IAccessible::get_accName, self);
    const std::string cell_value = AccessibleText(row.get(), &IAccessible::get_accValue, cell);
    VARIANT state{};
    Check(row->get_accState(cell, &state), "the cell's state");
    if (name != "Properties" || rows != 3 || row_name != "Name" || cell_value != Narrow(value) ||
        !(state.lVal & STATE_SYSTEM_SELECTED))
        Fail("the grid reads as table \"" + name + "\" of " + std::to_string(rows) + " rows, the first \"" +
             row_name + "\" = \"" + cell_value + "\", state " + std::to_string(state.lVal));
    std::printf("ok: the grid reads as table \"%s\" of %ld rows, the first \"%s\" = \"%s\" (current cell)\n",
                name.c_str(), rows, row_name.c_str(), cell_value.c_str());
    return table;
}

// ---- registered as a control ------------------------------------------------------------------

// A value under HKEY_CLASSES_ROOT\CLSID\{PropertiesCtl}\<key>; fails when it is missing.
std::wstring ClassValue(const std::wstring& key) {
    wchar_t clsid[39];
    StringFromGUID2(CLSID_PropertiesCtl, clsid, 39);
    const std::wstring path = L"CLSID\\" + std::wstring(clsid) + L"\\" + key;
    wchar_t text[MAX_PATH * 2] = {};
    DWORD bytes = sizeof text;
    if (RegGetValueW(HKEY_CLASSES_ROOT, path.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, text, &bytes) != ERROR_SUCCESS)
        Fail("the control's class has no " + Narrow(key));
    return text;
}

// What a container reads before it creates a control: the class's keys (Control, MiscStatus
// as the object gives it, a toolbox bitmap that loads, the type library's version), and from
// the object its class in the type library, marked a control, with its event interface.
void CheckRegisteredAsControl(IUnknown* control) {
    ClassValue(L"Control");
    comrt::ComPtr<IOleObject> object;
    Check(control->QueryInterface(IID_IOleObject, object.put_void()), "the control's IOleObject");
    DWORD misc = 0;
    Check(object->GetMiscStatus(DVASPECT_CONTENT, &misc), "GetMiscStatus");
    if (ClassValue(L"MiscStatus") != std::to_wstring(misc) || ClassValue(L"MiscStatus\\1") != std::to_wstring(misc))
        Fail("MiscStatus is registered as " + Narrow(ClassValue(L"MiscStatus")) + ", GetMiscStatus gives " +
             std::to_string(misc));
    const std::wstring toolbox = ClassValue(L"ToolboxBitmap32");
    const std::size_t comma = toolbox.rfind(L',');
    HMODULE file = comma == std::wstring::npos ? nullptr
                                               : LoadLibraryExW(toolbox.substr(0, comma).c_str(), nullptr,
                                                                LOAD_LIBRARY_AS_DATAFILE);
    HANDLE bitmap = file ? LoadImageW(file, MAKEINTRESOURCEW(_wtoi(toolbox.c_str() + comma + 1)), IMAGE_BITMAP, 0, 0, 0)
                         : nullptr;
    if (!bitmap) Fail("ToolboxBitmap32 \"" + Narrow(toolbox) + "\" names no bitmap");
    DeleteObject(bitmap);
    FreeLibrary(file);
    if (ClassValue(L"Version") != std::to_wstring(Orvane_MajorVersion) + L"." + std::to_wstring(Orvane_MinorVersion))
        Fail("Version is registered as " + Narrow(ClassValue(L"Version")));

    comrt::ComPtr<IProvideClassInfo2> provider;
    Check(control->QueryInterface(IID_IProvideClassInfo2, provider.put_void()), "IProvideClassInfo2");
    comrt::ComPtr<ITypeInfo> info;
    Check(provider->GetClassInfo(info.put()), "GetClassInfo");
    TYPEATTR* attr = nullptr;
    Check(info->GetTypeAttr(&attr), "the class's type attributes");
    const bool is_control = attr->guid == CLSID_PropertiesCtl && attr->typekind == TKIND_COCLASS &&
                            (attr->wTypeFlags & TYPEFLAG_FCONTROL);
    info->ReleaseTypeAttr(attr);
    if (!is_control) Fail("the type library does not describe PropertiesCtl as a control");
    GUID events{};
    Check(provider->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &events), "GetGUID of the default source");
    if (events != IID___PropertiesCtl) Fail("the default source interface is not __PropertiesCtl");
    // The same from the type library the system loads from the DLL's resources.
    comrt::ComPtr<ITypeLib> library;
    Check(LoadRegTypeLib(LIBID_Orvane, Orvane_MajorVersion, Orvane_MinorVersion, 0, library.put()), "LoadRegTypeLib");
    comrt::ComPtr<ITypeInfo> coclass;
    Check(library->GetTypeInfoOfGuid(CLSID_PropertiesCtl, coclass.put()), "the registered type library's class");
    Check(coclass->GetTypeAttr(&attr), "the registered class's attributes");
    const bool registered_control = (attr->wTypeFlags & TYPEFLAG_FCONTROL) != 0;
    const UINT implemented = attr->cImplTypes;
    coclass->ReleaseTypeAttr(attr);
    bool source = false;
    for (UINT i = 0; i < implemented; ++i) {
        INT flags = 0;
        HREFTYPE ref = 0;
        comrt::ComPtr<ITypeInfo> itf;
        Check(coclass->GetImplTypeFlags(i, &flags), "GetImplTypeFlags");
        Check(coclass->GetRefTypeOfImplType(i, &ref), "GetRefTypeOfImplType");
        Check(coclass->GetRefTypeInfo(ref, itf.put()), "GetRefTypeInfo");
        TYPEATTR* itf_attr = nullptr;
        Check(itf->GetTypeAttr(&itf_attr), "an interface's attributes");
        if ((flags & (IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE)) == (IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE))
            source = itf_attr->guid == IID___PropertiesCtl;
        itf->ReleaseTypeAttr(itf_attr);
    }
    if (!registered_control || !source)
        Fail("the system's type library does not give PropertiesCtl as a control with __PropertiesCtl as its source");
    std::printf("ok: registered as a control (MiscStatus %lu, a toolbox bitmap, version %s), a control in its "
                "type library with __PropertiesCtl as its default source\n",
                static_cast<unsigned long>(misc), Narrow(ClassValue(L"Version")).c_str());
}

// ---- real input -------------------------------------------------------------------------------

void Send(std::vector<INPUT> inputs) {
    if (SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) != inputs.size())
        Fail("SendInput refused the input");
    Pump(120);
}

INPUT KeyInput(WORD vk, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return in;
}

// Presses and releases a key, with modifiers (VK_MENU, VK_SHIFT...) held around it.
void Key(WORD vk, std::vector<WORD> modifiers = {}) {
    std::vector<INPUT> inputs;
    for (WORD m : modifiers) inputs.push_back(KeyInput(m, false));
    inputs.push_back(KeyInput(vk, false));
    inputs.push_back(KeyInput(vk, true));
    for (auto m = modifiers.rbegin(); m != modifiers.rend(); ++m) inputs.push_back(KeyInput(*m, true));
    Send(inputs);
}

// Types letters and digits as the keys that make them.
void Type(const std::wstring& text) {
    for (wchar_t c : text) {
        const SHORT scan = VkKeyScanW(c);
        if (scan == -1) Fail("no key types this character");
        std::vector<WORD> modifiers;
        if (scan & 0x100) modifiers.push_back(VK_SHIFT);
        Key(LOBYTE(scan), modifiers);
    }
}

// A click of the left button at a point of a window's client area.
void Click(HWND window, int x, int y) {
    POINT p{x, y};
    ClientToScreen(window, &p);
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    INPUT in[3]{};
    for (INPUT& i : in) {
        i.type = INPUT_MOUSE;
        i.mi.dx = static_cast<LONG>((p.x * 65535 + width / 2) / (width - 1));
        i.mi.dy = static_cast<LONG>((p.y * 65535 + height / 2) / (height - 1));
    }
    in[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    in[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_ABSOLUTE;
    in[2].mi.dwFlags = MOUSEEVENTF_LEFTUP | MOUSEEVENTF_ABSOLUTE;
    Send({in[0], in[1], in[2]});
}

// ---- the control's windows --------------------------------------------------------------------

struct ChildWindows {
    HWND grid = nullptr, selector = nullptr, editor = nullptr, drop_down = nullptr;
};

BOOL CALLBACK CollectChild(HWND window, LPARAM found) {
    auto& out = *reinterpret_cast<std::vector<HWND>*>(found);
    out.push_back(window);
    return TRUE;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

// The control's child windows: the grid by its class, the selector as the combo box that
// stays shown, the editors as the edit box and the combo box shown over the grid.
ChildWindows FindChildren() {
    std::vector<HWND> all;
    EnumChildWindows(g_host, CollectChild, reinterpret_cast<LPARAM>(&all));
    ChildWindows out;
    for (HWND w : all)
        if (ClassOf(w) == L"Orvane.Grid") out.grid = w;
    if (!out.grid) Fail("the control shows no grid window");
    RECT grid;
    GetWindowRect(out.grid, &grid);
    for (HWND w : all) {
        const std::wstring name = ClassOf(w);
        RECT r;
        GetWindowRect(w, &r);
        const bool over_grid = r.top >= grid.top && r.bottom <= grid.bottom;
        if (_wcsicmp(name.c_str(), L"ComboBox") == 0 && IsWindowVisible(w)) {
            if (over_grid) out.drop_down = w;
            else out.selector = w;
        }
        if (_wcsicmp(name.c_str(), L"Edit") == 0 && IsWindowVisible(w) && over_grid &&
            GetParent(w) != out.selector && GetParent(w) != out.drop_down)
            out.editor = w;
    }
    // An edit box inside the drop-down editor is the drop-down's own.
    if (out.editor && out.drop_down && IsChild(out.drop_down, out.editor)) out.editor = nullptr;
    if (!out.selector) Fail("the control shows no selector");
    return out;
}

// The control's windows once `ready` holds of them, or as they are after three seconds.
template <typename Ready>
ChildWindows WindowsWhen(Ready ready) {
    ChildWindows windows = FindChildren();
    for (const DWORD start = GetTickCount(); !ready(windows) && GetTickCount() - start < 3000;
         windows = FindChildren())
        Pump(50);
    return windows;
}

}  // namespace

int main(int argc, char** argv) {
    Check(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), "CoInitializeEx");
    g_picture = argc > 1 ? argv[1] : nullptr;
    comrt::ComPtr<IUnknown> unknown = OpenHost(440, 360);
    HWND frame = g_frame;
    comrt::ComPtr<IDispatch> control;
    Check(unknown->QueryInterface(IID_IDispatch, control.put_void()), "the control's IDispatch");
    CheckRegisteredAsControl(unknown.get());

    // Two groups, the first by value (as script hosts pass it), the second by reference.
    comrt::ComPtr<IDispatch> general =
        MakeGroup(L"General", {{L"Name", L"Ada"}, {L"Notes", L"none"}}, {L"Red", L"Green", L"Blue"});
    std::vector<std::pair<std::wstring, std::wstring>> many;
    for (int i = 1; i <= 3000; ++i) many.push_back({L"Item " + std::to_wstring(i), L"v" + std::to_wstring(i)});
    comrt::ComPtr<IDispatch> large = MakeGroup(L"Large", many, {});
    Call(control.get(), L"AddPropertyGroup", DISPATCH_METHOD, {Object(general.get())});
    IDispatch* large_ref = large.get();
    VARIANT by_ref;
    VariantInit(&by_ref);
    by_ref.vt = VT_BYREF | VT_DISPATCH;
    by_ref.ppdispVal = &large_ref;
    Call(control.get(), L"AddPropertyGroup", DISPATCH_METHOD, {by_ref});
    SHORT first = 0;
    VARIANT index_ref;
    VariantInit(&index_ref);
    index_ref.vt = VT_BYREF | VT_I2;
    index_ref.piVal = &first;
    Call(control.get(), L"SelectPropertyGroup", DISPATCH_METHOD, {index_ref});
    Pump(300);
    std::printf("ok: two groups added (by value and by reference) and the first shown\n");

    ChildWindows windows = FindChildren();
    if (windows.editor || windows.drop_down) Fail("an editor shows before any edit");
    const int selector_entries = static_cast<int>(SendMessageW(windows.selector, CB_GETCOUNT, 0, 0));
    if (selector_entries != 2) Fail("the selector holds " + std::to_string(selector_entries) + " entries, expected 2");

    // Row 0 lies at the top of the grid; other rows are reached by the keyboard.
    Click(windows.grid, 10, 6);  // the name of row 0: the grid takes the focus, no editor
    Key(VK_RIGHT);               // its value, where typing starts an edit

    // A text value typed over the cell and Enter.
    Type(L"Grace");
    windows = WindowsWhen([](const ChildWindows& w) { return w.editor != nullptr; });
    if (!windows.editor) Fail("typing over a value cell opened no editor");
    Key(VK_RETURN);
    ExpectValue(general.get(), 1, L"Grace", "a typed value committed with Enter");
    comrt::ComPtr<IAccessible> accessible_grid = CheckAccessibleGrid(windows.grid, L"Grace");

    // Escape reverts what was typed.
    Type(L"Zed");
    Key(VK_ESCAPE);
    windows = WindowsWhen([](const ChildWindows& w) { return w.editor == nullptr; });
    if (windows.editor) Fail("the editor stayed open after Escape");
    ExpectValue(general.get(), 1, L"Grace", "Escape reverted the edit");

    // A pick from the drop-down editor (Alt+Down opens it, Down moves, Enter takes).
    Key(VK_DOWN);
    Key(VK_DOWN);
    Key(VK_DOWN, {VK_MENU});
    windows = WindowsWhen([](const ChildWindows& w) { return w.drop_down != nullptr; });
    if (!windows.drop_down) Fail("Alt+Down opened no drop-down editor");
    Key(VK_DOWN);
    Key(VK_RETURN);  // takes the pick and closes the list, as a combo box's list does
    Key(VK_RETURN);  // commits the pick
    ExpectValue(general.get(), 3, L"Green", "a drop-down pick");

    // A group switch through the selector with an edit pending writes the edit first.
    Key(VK_UP);
    Type(L"pending");
    Click(windows.selector, 20, 8);
    Key(VK_DOWN);
    Key(VK_RETURN);
    ExpectValue(general.get(), 2, L"pending", "a group switch with an edit pending");
    const LRESULT shown = SendMessageW(windows.selector, CB_GETCURSEL, 0, 0);
    if (shown != 1) Fail("the selector shows entry " + std::to_string(shown) + " after the switch, expected 1");

    // PageDown and End through 3,000 items: End reaches the last one.
    windows = FindChildren();
    Click(windows.grid, 10, 6);
    Key(VK_RIGHT);
    Key(VK_NEXT);
    Key(VK_NEXT);
    Type(L"paged");
    Key(VK_RETURN);
    LONG paged = 0;
    for (LONG i = 1; i <= 3000 && !paged; ++i)
        if (ItemValue(large.get(), i) == L"paged") paged = i;
    if (paged <= 2) Fail("PageDown twice did not move down a page: the edit landed on item " + std::to_string(paged));
    std::printf("ok: PageDown twice went to item %ld\n", static_cast<long>(paged));
    Key(VK_END);
    Type(L"last");
    Key(VK_RETURN);
    ExpectValue(large.get(), 3000, L"last", "End went to the last item");

    // A resize with the editor open: the editor stays over its cell (inside the grid, on the
    // current row, in the value column).
    Key(VK_HOME);
    Type(L"open");
    SetWindowPos(frame, nullptr, 0, 0, 560, 420, SWP_NOMOVE | SWP_NOZORDER);
    Pump(300);  // the layout, and the paint after which the editor finds its cell again
    windows = WindowsWhen([](const ChildWindows& w) { return w.editor != nullptr; });
    if (!windows.editor) Fail("the editor closed when the container resized the control");
    RECT editor, grid;
    GetWindowRect(windows.editor, &editor);
    GetWindowRect(windows.grid, &grid);
    const int grid_width = grid.right - grid.left;
    if (editor.left < grid.left || editor.right > grid.right || editor.top < grid.top ||
        editor.top - grid.top > (editor.bottom - editor.top) || editor.left - grid.left < grid_width / 4)
        Fail("after the resize the editor lies at (" + std::to_string(editor.left - grid.left) + ", " +
             std::to_string(editor.top - grid.top) + ") of the grid, not over row 0's value");
    std::printf("ok: after a resize the editor is over its cell at (%ld, %ld) of a grid %d wide\n",
                static_cast<long>(editor.left - grid.left), static_cast<long>(editor.top - grid.top), grid_width);
    if (argc > 1) SaveBitmap(frame, argv[1]);
    Key(VK_ESCAPE);
    ExpectValue(large.get(), 1, L"v1", "Escape after the resize left the item alone");

    // The container closes; the control's library goes with the next CoFreeUnusedLibraries.
    control = nullptr;
    unknown = nullptr;
    CloseHost();
    long rows = 0;
    const HRESULT gone = accessible_grid->get_accChildCount(&rows);
    if (gone != CO_E_OBJNOTCONNECTED && gone != RPC_E_DISCONNECTED)
        Fail("the grid's accessible object answers 0x" + std::to_string(gone) + " once the grid is gone");
    accessible_grid = nullptr;
    std::printf("ok: the grid's accessible object is disconnected once its window is gone\n");
    general = nullptr;
    large = nullptr;
    HMODULE orvane = GetModuleHandleW(L"orvane.dll");
    if (!orvane) Fail("orvane.dll was not loaded by the host window");
    using can_unload_fn = HRESULT(STDAPICALLTYPE*)();
    const auto can_unload =
        reinterpret_cast<can_unload_fn>(reinterpret_cast<void*>(GetProcAddress(orvane, "DllCanUnloadNow")));
    if (!can_unload || can_unload() != S_OK) Fail("DllCanUnloadNow is not S_OK after the container closed");
    CoFreeUnusedLibraries();
    if (GetModuleHandleW(L"orvane.dll")) Fail("CoFreeUnusedLibraries left orvane.dll loaded");
    std::printf("ok: DllCanUnloadNow is S_OK and CoFreeUnusedLibraries unloaded orvane.dll\n");
    CoUninitialize();
    std::printf("atl_host: all steps passed\n");
    return 0;
}
