// The Qt text box against the widget contract: placement in twips, selection, focus
// events for moves inside the window only, border and stacking.
#include <gmock/gmock.h>

#include <tests/qt/qt_test_support.h>
#include <toolkit/qt/qt_text_box.h>

namespace orvane::qt {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::FailureOf;

class QtTextBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        other.move(0, 200);
        other.show();
        box.SetEventSink(&events);
    }

    QLineEdit& editor() { return *box.editor(); }

    std::unique_ptr<QWidget> window = testing::ShownWindow();
    QLineEdit other{window.get()};  // another widget of the window that can take the focus
    QtTextBox box{window.get(), 840, 3000, 1335, 285};
    testing::FocusRecorder events;
};

TEST_F(QtTextBoxTest, StartsHiddenEmptyAndInItsDesignTimePlace) {
    EXPECT_TRUE(editor().isHidden());
    EXPECT_EQ(box.Text(), u"");
    EXPECT_EQ(editor().geometry(), QRect(56, 200, 89, 19));
}

TEST_F(QtTextBoxTest, MovePlacesTheEditorInPixelsAndRejectsNegativeSizes) {
    box.Move(750.0f, 150.0, 1500, 300);
    EXPECT_EQ(editor().geometry(), QRect(50, 10, 100, 20));
    EXPECT_EQ(FailureOf([&] { box.Move(0, 0, -1, 300); }), CTL_E_INVALIDPROPERTYVALUE);
    EXPECT_EQ(FailureOf([&] { box.Move(0, 0, 300, -1); }), CTL_E_INVALIDPROPERTYVALUE);
    EXPECT_EQ(FailureOf([&] { box.Move(0, 1e300, 300, 300); }), CTL_E_INVALIDPROPERTYVALUE);
    EXPECT_EQ(editor().geometry(), QRect(50, 10, 100, 20)) << "a failing Move moves nothing";

    // Hosted in a viewport deeper down, it is still placed in its surface's coordinates.
    QWidget viewport(window.get());
    viewport.setGeometry(10, 5, 300, 300);
    box.hostIn(viewport);
    EXPECT_EQ(editor().geometry(), QRect(40, 5, 100, 20)) << "where it lay";
    box.Move(1500.0f, 300.0, 1500, 300);
    EXPECT_EQ(editor().geometry(), QRect(90, 15, 100, 20));
}

TEST_F(QtTextBoxTest, SettingTheTextLeavesAnEmptySelectionAtTheStart) {
    box.SetText(u"a longer value");
    EXPECT_EQ(editor().cursorPosition(), 0);
    EXPECT_FALSE(editor().hasSelectedText());
}

TEST_F(QtTextBoxTest, RightToLeftTextStaysAtTheLeadingEdgeAsInTheCell) {
    box.SetVisible(true);
    box.Move(0, 0, 3000, 300);
    box.SetText(u"\u05e9\u05dc\u05d5\u05dd");
    const auto caret = [&] { return editor().inputMethodQuery(Qt::ImCursorRectangle).toRect().x(); };
    EXPECT_LT(caret(), editor().width() / 2);
    window->setLayoutDirection(Qt::RightToLeft);
    QCoreApplication::processEvents();
    EXPECT_GT(caret(), editor().width() / 2) << "a right-to-left layout leads at the right";
}

TEST_F(QtTextBoxTest, SelectionIsCutBackToTheText) {
    struct Row {
        const char* name;
        std::int32_t start;
        std::int32_t length;
        int selected_start;  // -1: nothing selected
        int selected_length;
        int cursor;
    } rows[] = {
        {"whole text", 0, 5, 0, 5, 5},
        {"middle", 1, 2, 1, 2, 3},
        {"length beyond the end", 2, 10, 2, 3, 5},
        {"start beyond the end", 9, 3, -1, 0, 5},
        {"empty at the start", 0, 0, -1, 0, 0},
    };
    for (const Row& row : rows) {
        box.SetText(u"hello");
        box.SetSelStart(row.start);
        box.SetSelLength(row.length);
        EXPECT_EQ(editor().selectionStart(), row.selected_start) << row.name;
        EXPECT_EQ(editor().selectionLength(), row.selected_length) << row.name;
        EXPECT_EQ(editor().cursorPosition(), row.cursor) << row.name;
    }
    box.SetSelStart(1);
    box.SetSelLength(3);
    box.SetSelStart(3);
    EXPECT_EQ(editor().selectedText(), "lo") << "a new start keeps the length, cut at the end";
    EXPECT_EQ(FailureOf([&] { box.SetSelStart(-1); }), CTL_E_INVALIDPROPERTYVALUE);
    EXPECT_EQ(FailureOf([&] { box.SetSelLength(-1); }), CTL_E_INVALIDPROPERTYVALUE);
}

TEST_F(QtTextBoxTest, FocusEventsFollowFocusMovesInsideTheWindow) {
    box.SetVisible(true);
    box.SetFocus();
    box.SetFocus();
    EXPECT_THAT(events.seen, ElementsAre("GotFocus")) << "a SetFocus while focused raises nothing";
    EXPECT_TRUE(editor().hasFocus());

    other.setFocus(Qt::MouseFocusReason);
    box.SetFocus();
    EXPECT_THAT(events.seen, ElementsAre("GotFocus", "LostFocus", "GotFocus"));
}

TEST_F(QtTextBoxTest, SwitchingWindowsRaisesNoFocusEventAndKeepsTheText) {
    box.SetVisible(true);
    box.SetFocus();
    QTest::keyClicks(&editor(), "typed");
    events.seen.clear();

    const auto elsewhere = testing::ShownWindow(100, 100);
    ASSERT_FALSE(window->isActiveWindow());
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    EXPECT_THAT(events.seen, IsEmpty());
    EXPECT_TRUE(editor().hasFocus());
    EXPECT_EQ(box.Text(), u"typed");
}

TEST_F(QtTextBoxTest, SetFocusInAWindowThatIsNotActiveStillRaisesGotFocusOnce) {
    box.SetVisible(true);
    const auto elsewhere = testing::ShownWindow(100, 100);
    ASSERT_FALSE(window->isActiveWindow());
    box.SetFocus();
    box.SetFocus();
    EXPECT_THAT(events.seen, ElementsAre("GotFocus"));
    EXPECT_EQ(window->focusWidget(), &editor());
}

TEST_F(QtTextBoxTest, BorderAndStackingTakeOnlyTheirValues) {
    box.SetBorderStyle(0);
    EXPECT_FALSE(editor().hasFrame());
    box.SetBorderStyle(1);
    EXPECT_TRUE(editor().hasFrame());
    box.ZOrder(1);
    EXPECT_EQ(window->children().first(), &editor()) << "behind its siblings";
    box.ZOrder(0);
    EXPECT_EQ(window->children().last(), &editor()) << "in front of its siblings";
    for (std::int16_t invalid : {-1, 2}) {
        EXPECT_EQ(FailureOf([&] { box.SetBorderStyle(invalid); }), CTL_E_INVALIDPROPERTYVALUE) << invalid;
        EXPECT_EQ(FailureOf([&] { box.ZOrder(invalid); }), CTL_E_INVALIDPROPERTYVALUE) << invalid;
    }
    EXPECT_EQ(FailureOf([&] { box.SetTabIndex(-1); }), CTL_E_INVALIDPROPERTYVALUE);
}

TEST_F(QtTextBoxTest, LongTextIsNotCut) {
    const std::u16string text(40000, u'x');
    box.SetText(text);
    EXPECT_EQ(box.Text().size(), text.size());
}

TEST_F(QtTextBoxTest, AppearanceReachesTheEditor) {
    box.SetBackColor(0x0000FF00);
    box.SetForeColor(0x00FF0000);
    box.SetFont(testing::MakeFont(u"DejaVu Sans", 14));
    EXPECT_EQ(editor().palette().color(QPalette::Base), QColor(0, 255, 0));
    EXPECT_EQ(editor().palette().color(QPalette::Text), QColor(0, 0, 255));
    EXPECT_DOUBLE_EQ(editor().font().pointSizeF(), 14.0);
    EXPECT_EQ(FailureOf([&] { box.SetFont(nullptr); }), comrt::runtime_hresult(comrt::runtime_error::object_not_set));
}

}  // namespace
}  // namespace orvane::qt
