// What the programs that host orvane.dll in the system's ATL host window share (hosting.h).
#include "hosting.h"

#include <cstdio>
#include <cstdlib>

namespace hosting {

HWND g_frame = nullptr;
HWND g_host = nullptr;
const char* g_picture = nullptr;
comrt::ComPtr<IOleInPlaceActiveObject> g_active;

// ---- failures ---------------------------------------------------------------------------------

[[noreturn]] void Fail(const std::string& what) {
    std::printf("FAIL: %s\n", what.c_str());
    if (g_frame && g_picture) SaveBitmap(g_frame, g_picture);
    std::fflush(stdout);
    std::exit(1);
}

void Check(HRESULT hr, const char* what) {
    if (FAILED(hr)) {
        char code[16];
        std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(hr));
        Fail(std::string(what) + " failed with " + code);
    }
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// ---- late binding -----------------------------------------------------------------------------

// IDispatch takes the arguments last first.
comrt::Variant Call(IDispatch* object, const wchar_t* name, WORD flags, std::vector<VARIANT> args) {
    DISPID id = 0;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    Check(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), Narrow(name).c_str());
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPID put = DISPID_PROPERTYPUT;
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    if (flags & DISPATCH_PROPERTYPUT) {
        params.rgdispidNamedArgs = &put;
        params.cNamedArgs = 1;
    }
    comrt::Variant result;
    EXCEPINFO error{};
    Check(object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result.put(), &error, nullptr),
          Narrow(name).c_str());
    return result;
}

VARIANT Text(const comrt::Bstr& text) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = text.get();
    return v;
}

VARIANT Short(SHORT value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I2;
    v.iVal = value;
    return v;
}

VARIANT Object(IDispatch* object) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_DISPATCH;
    v.pdispVal = object;
    return v;
}

comrt::ComPtr<IDispatch> MakeGroup(const wchar_t* name, const std::vector<std::pair<std::wstring, std::wstring>>& items,
                                   const std::vector<std::wstring>& choices) {
    CLSID clsid;
    Check(CLSIDFromProgID(L"Tessel.clsTessel", &clsid), "CLSIDFromProgID(Tessel.clsTessel)");
    comrt::ComPtr<IDispatch> group;
    Check(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, group.put_void()),
          "CoCreateInstance(Tessel.clsTessel)");
    const comrt::Bstr group_name(name);
    Call(group.get(), L"PropertyGroupName", DISPATCH_PROPERTYPUT, {Text(group_name)});
    SAFEARRAY* none = SafeArrayCreateVector(VT_BSTR, 0, 0);
    for (const auto& [item, value] : items) {
        const comrt::Bstr n(item.c_str()), v(value.c_str());
        VARIANT list;
        VariantInit(&list);
        list.vt = VT_ARRAY | VT_BSTR;
        list.parray = none;
        Call(group.get(), L"AddItem", DISPATCH_METHOD, {Text(n), Text(v), Short(0), list});
    }
    SafeArrayDestroy(none);
    if (!choices.empty()) {
        SAFEARRAY* list = SafeArrayCreateVector(VT_BSTR, 0, static_cast<ULONG>(choices.size()));
        for (LONG i = 0; i < static_cast<LONG>(choices.size()); ++i) {
            const comrt::Bstr choice(choices[static_cast<std::size_t>(i)].c_str());
            Check(SafeArrayPutElement(list, &i, choice.get()), "SafeArrayPutElement");
        }
        const comrt::Bstr n(L"Colour"), v(choices.front().c_str());
        VARIANT array;
        VariantInit(&array);
        array.vt = VT_ARRAY | VT_BSTR;
        array.parray = list;
        Call(group.get(), L"AddItem", DISPATCH_METHOD, {Text(n), Text(v), Short(1), array});
        SafeArrayDestroy(list);
    }
    return group;
}

std::wstring ItemValue(IDispatch* group, LONG index) {
    comrt::Variant items = Call(group, L"ItemsCollection", DISPATCH_PROPERTYGET);
    if (items.vt() != VT_DISPATCH || !items->pdispVal) Fail("ItemsCollection gave no object");
    VARIANT position;
    VariantInit(&position);
    position.vt = VT_I4;
    position.lVal = index;
    comrt::Variant item = Call(items->pdispVal, L"Item", DISPATCH_METHOD | DISPATCH_PROPERTYGET, {position});
    if (item.vt() != VT_DISPATCH || !item->pdispVal) Fail("Item gave no object");
    comrt::Variant value = Call(item->pdispVal, L"ItemValue", DISPATCH_PROPERTYGET);
    if (value.vt() != VT_BSTR) Fail("ItemValue gave no text");
    return value->bstrVal ? std::wstring(value->bstrVal, SysStringLen(value->bstrVal)) : std::wstring();
}

// ---- the frame and its messages ---------------------------------------------------------------

namespace {

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_SIZE && g_host) MoveWindow(g_host, 0, 0, LOWORD(lparam), HIWORD(lparam), TRUE);
    return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace

// As a container's message loop does, the control gets its keys first.
void Pump(DWORD ms) {
    const DWORD end = GetTickCount() + ms;
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST && g_active &&
                g_active->TranslateAccelerator(&msg) == S_OK)
                continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (static_cast<LONG>(GetTickCount() - end) >= 0) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

// ---- the host window ------------------------------------------------------------------------

comrt::ComPtr<IUnknown> OpenHost(int width, int height) {
    HMODULE atl = LoadLibraryW(L"atl.dll");
    if (!atl) Fail("the system has no atl.dll");
    using init_fn = BOOL(WINAPI*)();
    using get_control_fn = HRESULT(WINAPI*)(HWND, IUnknown**);
    const auto init = reinterpret_cast<init_fn>(reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxWinInit")));
    const auto get_control =
        reinterpret_cast<get_control_fn>(reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxGetControl")));
    if (!init || !get_control || !init()) Fail("atl.dll gives no AtlAxWinInit or AtlAxGetControl");

    WNDCLASSW frame_class{};
    frame_class.lpfnWndProc = FrameProc;
    frame_class.hInstance = GetModuleHandleW(nullptr);
    frame_class.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    frame_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    frame_class.lpszClassName = L"OrvaneAtlHostFrame";
    RegisterClassW(&frame_class);
    g_frame = CreateWindowExW(0, frame_class.lpszClassName, L"Orvane.PropertiesCtl in AtlAxWin",
                              WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, width, height, nullptr, nullptr,
                              frame_class.hInstance, nullptr);
    RECT client;
    GetClientRect(g_frame, &client);
    g_host = CreateWindowExW(0, L"AtlAxWin", L"Orvane.PropertiesCtl", WS_CHILD | WS_VISIBLE, 0, 0, client.right,
                             client.bottom, g_frame, nullptr, frame_class.hInstance, nullptr);
    if (!g_host) Fail("AtlAxWin did not create the control");
    SetForegroundWindow(g_frame);
    Pump(300);

    comrt::ComPtr<IUnknown> unknown;
    Check(get_control(g_host, unknown.put()), "AtlAxGetControl");
    unknown->QueryInterface(IID_IOleInPlaceActiveObject, g_active.put_void());
    return unknown;
}

void CloseHost() {
    g_active = nullptr;
    DestroyWindow(g_frame);
    g_frame = g_host = nullptr;
    Pump(200);
}

void SaveBitmap(HWND window, const char* path) {
    RECT r;
    GetClientRect(window, &r);
    const int width = r.right, height = r.bottom;
    HDC screen = GetDC(window);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    GdiFlush();
    const DWORD stride = ((static_cast<DWORD>(width) * 3 + 3) & ~3u), size = stride * static_cast<DWORD>(height);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    file.bfSize = file.bfOffBits + size;
    if (FILE* out = std::fopen(path, "wb")) {
        std::fwrite(&file, sizeof file, 1, out);
        std::fwrite(&info.bmiHeader, sizeof(BITMAPINFOHEADER), 1, out);
        std::fwrite(bits, 1, size, out);
        std::fclose(out);
    } else {
        std::printf("FAIL: cannot write %s\n", path);
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(window, screen);
    std::printf("ok: screenshot %dx%d written\n", width, height);
}

}  // namespace hosting
