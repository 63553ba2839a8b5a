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

}  // namespace
