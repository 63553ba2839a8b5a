// The Qt container surface and the window procedures over it: every event a message
// through the procedure chain, Qt's handling as the original procedure (so a hook sees
// WM_SIZE after the Resize event and WM_PAINT after painting), the handle table, and the
// surface's own members.
#include <QPointer>

#include <gmock/gmock.h>

#include <limits>

#include <tests/qt/qt_test_support.h>
#include <toolkit/qt/qt_surface.h>

namespace orvane::qt {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::FailureOf;

struct Message {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
};

// What the test's hook saw, shared with the static window procedure.
struct HookLog {
    std::vector<std::string> seen;
    std::vector<Message> messages;
    WNDPROC previous = nullptr;
    bool chain_on = true;
    LRESULT chained_result = -1;
};
HookLog* hook_log = nullptr;

std::string Hex(UINT msg) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%04X", msg);
    return text;
}

LRESULT CALLBACK RecordingProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    hook_log->messages.push_back({msg, wParam, lParam});
    if (msg != WM_SIZE && msg != WM_PAINT) {
        return hook_log->chain_on ? CallWindowProcA(hook_log->previous, hWnd, msg, wParam, lParam) : 0;
    }
    hook_log->seen.push_back("before " + Hex(msg));
    if (hook_log->chain_on) hook_log->chained_result = CallWindowProcA(hook_log->previous, hWnd, msg, wParam, lParam);
    hook_log->seen.push_back("after " + Hex(msg));
    return 0;
}

struct ContainerRecorder final : widgets::ContainerEvents {
    explicit ContainerRecorder(std::vector<std::string>& log) : seen(log) {}
    HRESULT Initialize() noexcept override { return record("Initialize"); }
    HRESULT Resize() noexcept override { return record("Resize"); }
    HRESULT Terminate() noexcept override { return record("Terminate"); }
    HRESULT record(const char* event) {
        seen.push_back(event);
        return result;
    }
    std::vector<std::string>& seen;
    HRESULT result = S_OK;
};

class QtSurfaceTest : public ::testing::Test {
protected:
    void SetUp() override {
        hook_log = &log;
        surface.widget()->show();
        QCoreApplication::processEvents();
        surface.SetEventSink(&events);
    }
    void TearDown() override {
        // The window outlives the test's hook.
        if (surface.widget())
            SetWindowLongPtrA(window(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(TableWindow::originalProc()));
        hook_log = nullptr;
    }

    void Hook() {
        log.previous = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(window(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RecordingProc)));
        ASSERT_EQ(log.previous, TableWindow::originalProc());
    }
    HWND window() { return widgets::ToHwnd(surface.hWnd()); }
    SurfaceWidget& widget() { return *surface.widget(); }

    std::unique_ptr<QWidget> top = testing::ShownWindow();
    QtSurface surface{top.get(), 4800, 3975};
    HookLog log;
    ContainerRecorder events{log.seen};
};

TEST_F(QtSurfaceTest, AHookSeesEachResizeAfterTheResizeEvent) {
    Hook();
    widget().resize(300, 200);
    EXPECT_THAT(log.seen, ElementsAre("before 0x0005", "Resize", "after 0x0005"));
    EXPECT_EQ(log.messages.back().lParam, 300 | (200 << 16)) << "width and height in pixels";
    EXPECT_FLOAT_EQ(surface.ScaleWidth(), 4500.0f);
    EXPECT_FLOAT_EQ(surface.ScaleHeight(), 3000.0f);
}

TEST_F(QtSurfaceTest, AHookSeesEachPaintAfterQtPainted) {
    Hook();
    widget().repaint();
    EXPECT_THAT(log.seen, ElementsAre("before 0x000F", "after 0x000F"));
    EXPECT_EQ(log.chained_result, 1) << "the original procedure handled the paint event";
}

TEST_F(QtSurfaceTest, EveryEventBecomesAMessage) {
    Hook();
    QTest::mouseClick(&widget(), Qt::LeftButton, {}, QPoint(7, 9));
    QTest::mouseClick(&widget(), Qt::RightButton, {}, QPoint(1, 2));
    QTest::keyClick(&widget(), Qt::Key_A);
    QEvent custom(QEvent::User);
    QCoreApplication::sendEvent(&widget(), &custom);

    std::vector<std::pair<UINT, LPARAM>> seen;
    std::vector<WPARAM> toolkit_types;
    for (const Message& m : log.messages) {
        if (m.msg == kToolkitEventMessage) {
            toolkit_types.push_back(m.wParam);
        } else if (m.msg != 0x0200) {  // mouse moves come as the platform sends them
            seen.emplace_back(m.msg, m.msg >= 0x0201 ? m.lParam : 0);
        }
    }
    using Seen = std::pair<UINT, LPARAM>;
    EXPECT_THAT(seen, ElementsAre(Seen{0x0201, 7 | (9 << 16)}, Seen{0x0202, 7 | (9 << 16)},  // left down, up
                                  Seen{0x0204, 1 | (2 << 16)}, Seen{0x0205, 1 | (2 << 16)},  // right down, up
                                  Seen{0x0100, 0}, Seen{0x0101, 0}));                        // key down, up
    EXPECT_THAT(toolkit_types, ::testing::Contains(static_cast<WPARAM>(QEvent::User)));
}

TEST_F(QtSurfaceTest, AProcedureThatDoesNotChainOnConsumesTheEvent) {
    Hook();
    log.chain_on = false;
    widget().resize(200, 100);
    EXPECT_THAT(log.seen, ElementsAre("before 0x0005", "after 0x0005")) << "no Resize event";
}

TEST_F(QtSurfaceTest, RestoringTheOriginalProcedureTakesTheHookOut) {
    Hook();
    EXPECT_EQ(SetWindowLongPtrA(window(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(log.previous)),
              reinterpret_cast<LONG_PTR>(&RecordingProc));
    widget().resize(250, 120);
    EXPECT_THAT(log.seen, ElementsAre("Resize"));
    EXPECT_EQ(SetWindowLongPtrA(window(), GWLP_WNDPROC, 0), 0) << "a window keeps a procedure";
    EXPECT_EQ(GetWindowLongPtrA(window(), GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(TableWindow::originalProc()));
}

TEST_F(QtSurfaceTest, AResizeDeliveredWithoutAQtEventRunsTheChainToo) {
    Hook();
    surface.deliverResize();
    EXPECT_THAT(log.seen, ElementsAre("before 0x0005", "Resize", "after 0x0005"));
}

// The surface's window is in the process's one table, beside a container's handle made
// directly: distinct handles, each naming its own object.
TEST_F(QtSurfaceTest, TheHandleTableKnowsOnlyLiveWindowsAndKeepsStyleBits) {
    const HWND unknown = widgets::ToHwnd(0x7FFFFFF0u);
    EXPECT_EQ(SetWindowLongPtrA(unknown, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RecordingProc)), 0);
    EXPECT_EQ(GetWindowLongA(unknown, GWL_STYLE), 0);
    EXPECT_EQ(CallWindowProcA(nullptr, window(), WM_PAINT, 0, 0), 0);

    EXPECT_EQ(SetWindowLongPtrA(window(), GWL_STYLE, 0x40000000 | WS_VSCROLL), 0);
    EXPECT_EQ(GetWindowLongA(window(), GWL_STYLE), 0x40000000) << "WS_VSCROLL follows the window itself";

    HWND container = nullptr;
    ASSERT_EQ(ComrtCreateWindowHandle(top.get(), &container), S_OK);
    EXPECT_NE(container, window());
    void* named = nullptr;
    ASSERT_EQ(ComrtGetWindowObject(window(), &named), S_OK);
    EXPECT_EQ(named, static_cast<QWidget*>(surface.widget()));
    ASSERT_EQ(ComrtGetWindowObject(container, &named), S_OK);
    EXPECT_EQ(named, top.get());
    EXPECT_EQ(ComrtDestroyWindowHandle(container), S_OK);

    const HWND kept = window();
    {
        QtSurface other(top.get(), 100, 100);
        EXPECT_NE(other.hWnd(), surface.hWnd());
        EXPECT_NE(other.hWnd(), 0u);
        delete other.widget();
        EXPECT_EQ(FailureOf([&] { other.hWnd(); }), E_HANDLE);
    }
    EXPECT_EQ(kept, window());
}

TEST_F(QtSurfaceTest, ColoursAreKeptAsGivenAndPaintTheSurface) {
    EXPECT_EQ(surface.BackColor(), 0x8000000Fu) << "design time: button face";
    EXPECT_EQ(surface.ForeColor(), 0x80000012u) << "design time: button text";
    surface.SetBackColor(0x80000005);
    EXPECT_EQ(surface.BackColor(), 0x80000005u);
    EXPECT_EQ(widget().palette().color(QPalette::Window), QApplication::palette(&widget()).color(QPalette::Base));
    surface.SetForeColor(0x00123456);
    EXPECT_EQ(surface.ForeColor(), 0x00123456u);
    EXPECT_EQ(FailureOf([&] { surface.SetBackColor(0x80000040); }), CTL_E_INVALIDPROPERTYVALUE);
    EXPECT_EQ(surface.BackColor(), 0x80000005u) << "a failing put keeps the colour";
}

TEST_F(QtSurfaceTest, TheSurfaceSharesTheFontObjectItIsGiven) {
    const widgets::FontRef design = surface.Font();
    ASSERT_TRUE(design);
    const widgets::FontRef font = testing::MakeFont(u"DejaVu Serif", 11);
    surface.SetFont(font);
    EXPECT_EQ(surface.Font().get(), font.get());
    EXPECT_EQ(FailureOf([&] { surface.SetFont(nullptr); }),
              comrt::runtime_hresult(comrt::runtime_error::object_not_set));
    EXPECT_EQ(surface.Font().get(), font.get());
}

TEST_F(QtSurfaceTest, PlacingTheControlResizesOnceForEachNewSizeAndAlwaysTheFirstTime) {
    // The first placement lays the control out even at the size it has.
    const QSize size = widget().size();
    surface.SetObjectRect(RECT{5, 6, 5 + size.width(), 6 + size.height()});
    EXPECT_THAT(log.seen, ElementsAre("Resize"));
    EXPECT_EQ(widget().pos(), QPoint(5, 6));
    surface.SetObjectRect(RECT{5, 6, 5 + size.width(), 6 + size.height()});
    EXPECT_THAT(log.seen, ElementsAre("Resize")) << "nothing changed";
    surface.SetObjectRect(RECT{0, 0, 150, 100});
    EXPECT_THAT(log.seen, ElementsAre("Resize", "Resize"));
    EXPECT_FLOAT_EQ(surface.ScaleWidth(), 2250.0f);

    // An inside-out rectangle is refused and changes nothing.
    EXPECT_EQ(FailureOf([&] { surface.SetObjectRect(RECT{10, 0, 0, 10}); }), CTL_E_INVALIDPROPERTYVALUE);
    EXPECT_EQ(widget().size(), QSize(150, 100));
    // The widest rectangle a container can pass is clamped, not overflowed.
    constexpr LONG kMin = std::numeric_limits<LONG>::min(), kMax = std::numeric_limits<LONG>::max();
    surface.SetObjectRect(RECT{kMin, kMin, kMax, kMax});
    EXPECT_EQ(widget().geometry(), QRect(-QWIDGETSIZE_MAX, -QWIDGETSIZE_MAX, QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
}

TEST_F(QtSurfaceTest, DestroyTakesTheWindowAndItsChildrenAway) {
    const QPointer<QWidget> child = new QWidget(&widget());
    const HWND handle = window();
    surface.Destroy();
    EXPECT_TRUE(child.isNull());
    EXPECT_EQ(surface.widget(), nullptr);
    EXPECT_EQ(FailureOf([&] { surface.ScaleWidth(); }), E_HANDLE);
    EXPECT_FALSE(IsWindow(handle)) << "the handle names no window any more";
    EXPECT_THAT(log.seen, IsEmpty()) << "no event";
    surface.Destroy();  // a second time is harmless
}

}  // namespace
}  // namespace orvane::qt
