// Window handles: a window named by a handle in one library is found by it in another.
#include <gtest/gtest.h>

#include <set>
#include <thread>

#include <comrt/window.h>

namespace {

TEST(WindowHandles, NameTheirWindowUntilDestroyed) {
    int first = 0, second = 0;
    HWND a = nullptr, b = nullptr;
    ASSERT_EQ(ComrtCreateWindowHandle(&first, &a), S_OK);
    ASSERT_EQ(ComrtCreateWindowHandle(&second, &b), S_OK);
    EXPECT_NE(a, b);
    // 32-bit values, sign-extended into the pointer-sized carrier.
    const auto value = reinterpret_cast<LONG_PTR>(a);
    EXPECT_EQ(value, static_cast<LONG_PTR>(static_cast<LONG>(value)));

    void* found = nullptr;
    ASSERT_EQ(ComrtGetWindowObject(a, &found), S_OK);
    EXPECT_EQ(found, &first);
    // Another thread sees the same table.
    std::thread([&] { ComrtGetWindowObject(b, &found); }).join();
    EXPECT_EQ(found, &second);
    EXPECT_TRUE(IsWindow(a));

    ASSERT_EQ(ComrtDestroyWindowHandle(a), S_OK);
    EXPECT_FALSE(IsWindow(a));
    found = &first;
    EXPECT_EQ(ComrtGetWindowObject(a, &found), E_HANDLE);
    EXPECT_EQ(found, nullptr);
    EXPECT_EQ(ComrtDestroyWindowHandle(a), E_HANDLE);
    EXPECT_EQ(ComrtDestroyWindowHandle(b), S_OK);
}

TEST(WindowHandles, AreNeverReusedAndRejectBadArguments) {
    int window = 0;
    std::set<HWND> seen;
    for (int i = 0; i < 100; ++i) {
        HWND h = nullptr;
        ASSERT_EQ(ComrtCreateWindowHandle(&window, &h), S_OK);
        EXPECT_TRUE(seen.insert(h).second);
        ASSERT_EQ(ComrtDestroyWindowHandle(h), S_OK);
    }
    HWND poisoned = reinterpret_cast<HWND>(0x1234);
    EXPECT_EQ(ComrtCreateWindowHandle(nullptr, &poisoned), E_INVALIDARG);
    EXPECT_EQ(poisoned, nullptr);
    EXPECT_EQ(ComrtCreateWindowHandle(&window, nullptr), E_INVALIDARG);
    EXPECT_EQ(ComrtGetWindowObject(nullptr, nullptr), E_INVALIDARG);
    EXPECT_FALSE(IsWindow(nullptr));
}

// What the table keeps of a window, read and changed by handle.
LRESULT CALLBACK Answer(HWND, UINT msg, WPARAM wParam, LPARAM) { return msg * 10 + static_cast<LRESULT>(wParam); }
LRESULT CALLBACK Front(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return 1 + CallWindowProcA(&Answer, hWnd, msg, wParam, lParam);
}
LONG CALLBACK ScrollBarShown(HWND, LONG stored) { return (stored & ~WS_VSCROLL) | WS_VSCROLL; }

TEST(WindowFunctions, KeepTheProcedureChainStyleAndUserDataOfEachWindow) {
    int object = 0;
    HWND window = nullptr, bare = nullptr, poisoned = reinterpret_cast<HWND>(0x1234);
    EXPECT_EQ(ComrtCreateWindowHandleEx(&object, nullptr, 0, nullptr, &poisoned), E_INVALIDARG);
    EXPECT_EQ(poisoned, nullptr);
    ASSERT_EQ(ComrtCreateWindowHandleEx(&object, &Answer, 0x40000000 | WS_VSCROLL, &ScrollBarShown, &window), S_OK);
    ASSERT_EQ(ComrtCreateWindowHandle(&object, &bare), S_OK);

    EXPECT_EQ(SendMessageA(window, WM_SIZE, 2, 0), WM_SIZE * 10 + 2);
    EXPECT_EQ(SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Front)),
              reinterpret_cast<LONG_PTR>(&Answer));
    EXPECT_EQ(SendMessageA(window, WM_PAINT, 0, 0), WM_PAINT * 10 + 1) << "enters at the procedure in front";
    EXPECT_EQ(GetWindowLongPtrA(window, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&Front));

    EXPECT_EQ(SetWindowLongPtrA(window, GWL_STYLE, 0), 0x40000000 | WS_VSCROLL);
    EXPECT_EQ(GetWindowLongA(window, GWL_STYLE), WS_VSCROLL) << "the window's own bits";
    EXPECT_EQ(SetWindowLongPtrA(window, GWLP_USERDATA, -2), 0);
    EXPECT_EQ(GetWindowLongPtrA(window, GWLP_USERDATA), -2);
    EXPECT_EQ(GetWindowLongPtrA(bare, GWLP_USERDATA), 0) << "every window its own";

    const HWND unknown = reinterpret_cast<HWND>(static_cast<LONG_PTR>(0x7FFFFFF1));
    const auto front = reinterpret_cast<LONG_PTR>(&Front);
    const struct {
        const char* name;
        LONG_PTR result;
    } failures[] = {
        {"a null procedure", SetWindowLongPtrA(window, GWLP_WNDPROC, 0)},
        {"a procedure for a window made without", SetWindowLongPtrA(bare, GWLP_WNDPROC, front)},
        {"an unknown window", SetWindowLongPtrA(unknown, GWLP_USERDATA, 1) | GetWindowLongPtrA(unknown, GWLP_USERDATA)},
        {"an index the table has not", SetWindowLongPtrA(window, -20, 1) | GetWindowLongPtrA(window, -20)},
        {"pointers read as 32 bits", GetWindowLongA(window, GWLP_USERDATA) | GetWindowLongA(window, GWLP_WNDPROC)},
        {"a message to no procedure", SendMessageA(unknown, WM_SIZE, 0, 0) | SendMessageA(bare, WM_SIZE, 0, 0)},
        {"no procedure to call", CallWindowProcA(nullptr, window, WM_SIZE, 0, 0)},
    };
    for (const auto& row : failures) EXPECT_EQ(row.result, 0) << row.name;
    EXPECT_EQ(GetWindowLongPtrA(window, GWLP_WNDPROC), front) << "unchanged";

    ASSERT_EQ(ComrtDestroyWindowHandle(window), S_OK);
    EXPECT_EQ(SendMessageA(window, WM_SIZE, 0, 0), 0);
    EXPECT_EQ(GetWindowLongPtrA(window, GWLP_USERDATA), 0);
    EXPECT_EQ(ComrtDestroyWindowHandle(bare), S_OK);
}

}  // namespace
