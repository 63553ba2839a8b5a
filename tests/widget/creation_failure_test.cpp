// A PropertiesWidget whose control fails part-way through its activation: the program
// defines the window table's lookup itself (exported, so the control library binds to it
// ahead of libcomrt's), and fails it while the widget is made.
#include <dlfcn.h>

#include <QCoreApplication>

#include <gmock/gmock.h>

#include <comrt/window.h>
#include <orvane/properties_widget.h>
#include <testing/unload_check.h>

namespace {
bool g_fail_lookups = false;
}

WINUSERAPI HRESULT WINAPI ComrtGetWindowObject(HWND hwnd, void** window) {
    using Lookup = HRESULT(WINAPI*)(HWND, void**);
    static const auto real = reinterpret_cast<Lookup>(dlsym(RTLD_NEXT, "ComrtGetWindowObject"));
    if (!g_fail_lookups) return real(hwnd, window);
    if (window) *window = nullptr;
    return E_HANDLE;
}

namespace orvane {
namespace {

TEST(PropertiesWidgetCreation, AControlThatFailsToActivateIsNotHandedOut) {
    {
        g_fail_lookups = true;
        PropertiesWidget widget;
        g_fail_lookups = false;

        EXPECT_EQ(widget.creationStatus(), E_HANDLE);
        EXPECT_EQ(widget.control(), nullptr) << "the half-made control was released";
        EXPECT_THAT(widget.errorString().toStdString(), testing::HasSubstr("0x80070006"));
        EXPECT_FALSE(widget.addGroup(PropertyGroup(QStringLiteral("Network"))));
        EXPECT_EQ(widget.currentGroup(), -1);
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    pg_testing::ExpectNothingAlive();
}

}  // namespace
}  // namespace orvane
