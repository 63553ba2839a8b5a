// Editing as a user does it, through real key, mouse and wheel events on the whole control:
// the keyboard in the grid and in both editors, every commit point, and none of the ways
// an edit used to be lost.
#include <functional>

#include <QApplication>
#include <QLabel>
#include <QSignalSpy>
#include <QWheelEvent>

#include <comrt/implements.h>
#include <comrt/objbase.h>

#include "properties_widget_fixture.h"

namespace orvane {
namespace {

using namespace widget_testing;

class EditingModelTest : public IntegrationTest {
protected:
    void Key(QWidget& target, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(&target, key, modifiers);
        QCoreApplication::processEvents();
    }
    // The grid with the focus on value cell `row`, no editor open.
    void FocusGridOn(int row) {
        Click(row, 1);
        // A click on a drop-down cell opens its list: Escape closes the list first.
        if (dropDown().view()->isVisible()) Key(*dropDown().view(), Qt::Key_Escape);
        Key(*QApplication::focusWidget(), Qt::Key_Escape);
        ASSERT_TRUE(grid().hasFocus());
        ASSERT_FALSE(text().isVisible());
        ASSERT_FALSE(dropDown().isVisible());
    }
    int CurrentRow() { return grid().currentIndex().row(); }
    void Wheel(QWidget& target, int steps) {
        const QPointF at(target.width() / 2.0, target.height() / 2.0);
        QWheelEvent event(at, target.mapToGlobal(at), QPoint(), QPoint(0, -120 * steps), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(&target, &event);
        QCoreApplication::processEvents();
    }
};

// ---- the keyboard in the grid ---------------------------------------------------------------

TEST_F(EditingModelTest, TheGridIsATabStopAndItsKeysMoveAndOpen) {
    auto* before = new QLineEdit(&window);
    layout->insertWidget(0, before);
    before->setFocus();
    QCoreApplication::processEvents();
    Key(*before, Qt::Key_Tab);
    EXPECT_TRUE(selector().hasFocus()) << "Tab reaches the group selector";
    Key(selector(), Qt::Key_Tab);
    EXPECT_TRUE(grid().hasFocus()) << "and then the grid";
    EXPECT_EQ(grid().currentIndex().column(), 1) << "on the current row's value";
    EXPECT_FALSE(text().isVisible()) << "with no editor open yet";

    // In the name column the arrows, Home and End move the current cell and open nothing.
    Click(1, 0);
    Key(grid(), Qt::Key_Down);
    EXPECT_EQ(CurrentRow(), 2);
    Key(grid(), Qt::Key_End);
    EXPECT_EQ(CurrentRow(), 3);
    Key(grid(), Qt::Key_Home);
    EXPECT_EQ(CurrentRow(), 0);
    EXPECT_FALSE(text().isVisible());

    // Letters on a name cell go to the next name that starts with them; F2 there opens
    // the row's value editor.
    Click(0, 0);
    QTest::keyClicks(&grid(), "p");
    QCoreApplication::processEvents();
    EXPECT_EQ(CurrentRow(), 3) << "Pages";
    QTest::keyClicks(&grid(), "a");
    QCoreApplication::processEvents();
    EXPECT_EQ(CurrentRow(), 3) << "\"pa\" stays on Pages";
    QTest::keyClicks(&grid(), "F");
    QCoreApplication::processEvents();
    EXPECT_EQ(CurrentRow(), 2) << "Format";
    Key(grid(), Qt::Key_F2);
    EXPECT_TRUE(dropDown().hasFocus());
    Key(dropDown(), Qt::Key_Escape);

    // F2 and Enter open a value cell's editor with its text selected.
    FocusGridOn(1);
    Key(grid(), Qt::Key_F2);
    ASSERT_TRUE(text().isVisible());
    EXPECT_TRUE(text().hasFocus());
    EXPECT_EQ(text().selectedText(), "Ann");
    Key(text(), Qt::Key_Escape);
    Key(grid(), Qt::Key_Return);
    EXPECT_TRUE(text().isVisible());
}

TEST_F(EditingModelTest, TypingOnAValueCellStartsItsTextAndEnterCommits) {
    FocusGridOn(0);
    QTest::keyClicks(&grid(), "N");
    ASSERT_TRUE(text().isVisible());
    QTest::keyClicks(QApplication::focusWidget(), "ew title");
    EXPECT_EQ(text().text(), "New title") << "the typed character starts the text";
    Key(text(), Qt::Key_Return);
    EXPECT_EQ(ValueOf(settings, 1), u"New title");
    EXPECT_EQ(CellText(0, 1), "New title");
    EXPECT_FALSE(text().isVisible());
    EXPECT_TRUE(grid().hasFocus()) << "Enter gives the grid the focus back";
    EXPECT_EQ(CurrentRow(), 0) << "and keeps the cell current";
}

TEST_F(EditingModelTest, EscapeForgetsTheEditAndWritesNothing) {
    Click(1, 1);
    QTest::keyClicks(&text(), "Zed");
    Key(text(), Qt::Key_Escape);
    EXPECT_EQ(ValueOf(settings, 2), u"Ann");
    EXPECT_EQ(CellText(1, 1), "Ann");
    EXPECT_FALSE(text().isVisible());
    Key(grid(), Qt::Key_F2);
    EXPECT_EQ(text().text(), "Ann") << "the editor reopens with the item's value";
}

// A host widget that counts the times it got the focus.
class FocusCounter final : public QLineEdit {
public:
    using QLineEdit::QLineEdit;
    int focus_ins = 0;

protected:
    void focusInEvent(QFocusEvent* event) override {
        ++focus_ins;
        QLineEdit::focusInEvent(event);
    }
};

TEST_F(EditingModelTest, TabWalksEveryValueCellCommittingEachAndLeavesAtEitherEnd) {
    auto* after = new FocusCounter(&window);
    layout->addWidget(after);
    const auto notes = MakeGroup(u"Notes", {{u"A", u"a"}, {u"B", u"b"}, {u"C", u"c"}});
    Show(notes);
    Click(0, 1);
    // The control's own moves between its editors and the grid never pass the focus on.
    Key(text(), Qt::Key_Return);
    Key(grid(), Qt::Key_Return);
    Key(text(), Qt::Key_Escape);
    Key(grid(), Qt::Key_Return);
    for (const char* typed : {"one", "two", "three"}) {
        QTest::keyClicks(&text(), typed);
        if (std::string_view(typed) == "three") {
            EXPECT_EQ(after->focus_ins, 0) << "a host widget saw the focus";
        }
        Key(*QApplication::focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(ValueOf(notes, 1), u"one");
    EXPECT_EQ(ValueOf(notes, 2), u"two");
    EXPECT_EQ(ValueOf(notes, 3), u"three");
    EXPECT_TRUE(after->hasFocus()) << "Tab on the last value leaves the control";
    EXPECT_FALSE(text().isVisible());

    Click(1, 1);
    Key(text(), Qt::Key_Backtab);
    EXPECT_EQ(CurrentRow(), 0);
    ASSERT_TRUE(text().hasFocus());
    Key(text(), Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_TRUE(selector().hasFocus()) << "Shift+Tab on the first value goes to the selector";
    EXPECT_FALSE(text().isVisible());
}

TEST_F(EditingModelTest, TheWheelOverAnOpenEditorScrollsTheGridAndKeepsTheEditAndTheFocus) {
    auto* after = new FocusCounter(&window);
    layout->addWidget(after);
    const auto big = MakeGroup(u"Big", ManyItems(200));
    Show(big);
    Click(0, 1);
    QTest::keyClicks(&text(), "kept");
    Wheel(text(), 3);
    EXPECT_GT(grid().verticalScrollBar()->value(), 0) << "the grid scrolled";
    EXPECT_FALSE(text().isVisible()) << "the editor hides with its cell";
    EXPECT_EQ(after->focus_ins, 0) << "the focus stays inside the control";
    Wheel(*grid().viewport(), -3);
    ASSERT_TRUE(text().isVisible());
    EXPECT_EQ(text().text(), "kept");
    Key(*QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(ValueOf(big, 1), u"kept");
}

TEST_F(EditingModelTest, PageAndCtrlHomeEndKeysInAnEditorCommitAndMove) {
    const auto big = MakeGroup(u"Big", ManyItems(200));
    Show(big);
    Click(0, 1);
    QTest::keyClicks(&text(), "top");
    Key(text(), Qt::Key_PageDown);
    EXPECT_EQ(ValueOf(big, 1), u"top");
    const int page = CurrentRow();
    EXPECT_GT(page, 5);
    EXPECT_TRUE(text().hasFocus());
    Key(text(), Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(CurrentRow(), 199);
    Key(text(), Qt::Key_PageUp);
    EXPECT_EQ(CurrentRow(), 199 - page);
    Key(text(), Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(CurrentRow(), 0);
    EXPECT_TRUE(text().isVisible());
}

TEST_F(EditingModelTest, UpAndDownCommitAndReopenTheEditorARowAway) {
    Click(1, 1);
    QTest::keyClicks(&text(), "Bea");
    Key(text(), Qt::Key_Down);
    EXPECT_EQ(ValueOf(settings, 2), u"Bea");
    EXPECT_EQ(CurrentRow(), 2);
    EXPECT_TRUE(dropDown().isVisible()) << "row 2 is a drop-down item";
    EXPECT_FALSE(dropDown().view()->isVisible()) << "its list stays closed";
    Key(dropDown(), Qt::Key_Down);  // a closed drop-down moves between rows too
    EXPECT_EQ(CurrentRow(), 3);
    EXPECT_EQ(ValueOf(settings, 3), u"PDF") << "no pick, nothing written";
    ASSERT_TRUE(text().isVisible());
    Key(text(), Qt::Key_Up);
    Key(dropDown(), Qt::Key_Up);
    EXPECT_EQ(CurrentRow(), 1);
    EXPECT_EQ(text().text(), "Bea");
}

TEST_F(EditingModelTest, ADropDownOpensItsListFromTheKeyboardAndItsKeysPick) {
    FocusGridOn(2);
    Key(grid(), Qt::Key_F4);
    ASSERT_TRUE(dropDown().isVisible());
    ASSERT_TRUE(dropDown().view()->isVisible()) << "F4 opens the list";
    QTest::keyClick(dropDown().view(), Qt::Key_Up);
    QTest::keyClick(dropDown().view(), Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(CellText(2, 1), "HTML");
    Key(dropDown(), Qt::Key_Return);
    EXPECT_EQ(ValueOf(settings, 3), u"HTML");
    EXPECT_TRUE(grid().hasFocus());

    Key(grid(), Qt::Key_Down, Qt::AltModifier);
    EXPECT_TRUE(dropDown().view()->isVisible()) << "Alt+Down opens it too";
    QTest::keyClick(dropDown().view(), Qt::Key_Down);
    QTest::keyClick(dropDown().view(), Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(CellText(2, 1), "PDF") << "picked";
    // The closed list's own keys pick nothing, and Escape forgets the pick: the item and
    // the cell keep what they held, though hiding the focused box moves the focus.
    Key(dropDown(), Qt::Key_End);
    EXPECT_EQ(dropDown().currentText(), "PDF");
    EXPECT_EQ(grid().currentIndex().row(), 2) << "nor do they reach the grid underneath";
    Key(dropDown(), Qt::Key_Escape);
    EXPECT_FALSE(dropDown().isVisible());
    EXPECT_EQ(ValueOf(settings, 3), u"HTML");
    EXPECT_EQ(CellText(2, 1), "HTML");
}

// ---- finding ----------------------------------------------------------------------------------

TEST_F(EditingModelTest, CtrlFFindsAcrossGroupsAndEscapeGivesTheGridBack) {
    const auto other = MakeGroup(u"Other", {{u"Colour", u"Blue"}, {u"Page size", u"A4"}});
    Show(other);
    ASSERT_TRUE(widget->setCurrentGroup(0));
    QCoreApplication::processEvents();
    const QRect grid_place = grid().geometry();
    FocusGridOn(0);
    Key(grid(), Qt::Key_F, Qt::ControlModifier);
    auto& field = child<QLineEdit>("findField");
    ASSERT_TRUE(field.isVisible());
    ASSERT_TRUE(field.hasFocus());
    EXPECT_GT(grid().geometry().top(), field.geometry().bottom()) << "the grid makes room below the field";
    QTest::keyClicks(&field, "page");
    QCoreApplication::processEvents();
    EXPECT_EQ(CurrentRow(), 3) << "Pages, in this group";
    Key(field, Qt::Key_Return);
    EXPECT_EQ(selector().currentIndex(), 1) << "Page size, in the other group";
    EXPECT_EQ(CurrentRow(), 1);
    EXPECT_EQ(field.accessibleDescription(), "2 of 2");
    Key(field, Qt::Key_F3);
    EXPECT_EQ(selector().currentIndex(), 0) << "wrapping";
    Key(field, Qt::Key_Escape);
    EXPECT_FALSE(field.isVisible());
    EXPECT_TRUE(grid().hasFocus());
    EXPECT_EQ(grid().geometry(), grid_place);

    // The host drives the same search.
    EXPECT_EQ(widget->findText("BLUE"), 1);
    EXPECT_EQ(widget->currentGroup(), 1);
    EXPECT_TRUE(field.isVisible());
    EXPECT_EQ(widget->findText("nowhere"), 0);
    EXPECT_FALSE(widget->findNext());
    EXPECT_TRUE(widget->closeFind());
}

// ---- commit points ----------------------------------------------------------------------------

TEST_F(EditingModelTest, TheFocusLeavingTheControlCommits) {
    auto* elsewhere = new QLineEdit(&window);
    layout->addWidget(elsewhere);
    QCoreApplication::processEvents();
    Click(1, 1);
    QTest::keyClicks(&text(), "Bo");
    QTest::mouseClick(elsewhere, Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_EQ(ValueOf(settings, 2), u"Bo");
    EXPECT_FALSE(text().isVisible());

    // Switching to another application is no focus leaving the control: nothing written,
    // the editor and its text stay.
    Click(0, 1);
    QTest::keyClicks(&text(), "Kept");
    QWidget other;
    other.show();
    other.activateWindow();
    QCoreApplication::processEvents();
    EXPECT_EQ(ValueOf(settings, 1), u"Report");
    EXPECT_EQ(text().text(), "Kept");
}

TEST_F(EditingModelTest, ClosingTheWindowCommits) {
    Click(3, 1);
    QTest::keyClicks(&text(), "99");
    delete widget;
    widget = nullptr;
    EXPECT_EQ(ValueOf(settings, 4), u"99");
}

// ---- no edit lost ------------------------------------------------------------------------------

TEST_F(EditingModelTest, SwitchingGroupInTheSelectorCommitsAndTheWheelSwitchesNothing) {
    const auto other = MakeGroup(u"Other", {{u"Colour", u"Blue"}});
    Show(other);
    SHORT first = 0;
    comrt::Variant result;
    ASSERT_EQ(control->SelectPropertyGroup(&first, result.put()), S_OK);  // back to the first group
    QCoreApplication::processEvents();
    Click(0, 1);
    QTest::keyClicks(&text(), "Typed");

    Wheel(selector(), 1);
    EXPECT_EQ(selector().currentIndex(), 0) << "the wheel over the closed selector switches nothing";
    EXPECT_EQ(CellText(0, 0), "Title");

    selector().setFocus();
    Key(selector(), Qt::Key_Down);  // the user's pick of the next group
    EXPECT_EQ(CellText(0, 0), "Colour");
    EXPECT_EQ(ValueOf(settings, 1), u"Typed") << "written into the group it was made in";
    EXPECT_EQ(ValueOf(other, 1), u"Blue");
}

TEST_F(EditingModelTest, TheWheelOverAClosedDropDownChangesNoValue) {
    Click(2, 1);
    QTest::keyClick(dropDown().view(), Qt::Key_Escape);  // the click opened its list
    QCoreApplication::processEvents();
    const int before = dropDown().currentIndex();
    Wheel(dropDown(), -1);
    Wheel(dropDown(), 1);
    EXPECT_EQ(dropDown().currentIndex(), before);
    EXPECT_EQ(CellText(2, 1), "PDF");
    Click(0, 1);
    EXPECT_EQ(ValueOf(settings, 3), u"PDF");
}

TEST_F(EditingModelTest, ClickingBackIntoTheEditorOrTabbingAwayAndBackKeepsTheText) {
    auto* elsewhere = new QLineEdit(&window);
    layout->addWidget(elsewhere);
    Click(1, 1);
    QTest::keyClicks(&text(), "Bea");
    QTest::mouseClick(&text(), Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_EQ(text().text(), "Bea") << "a click into the open editor";
    // The host's window loses and regains the focus within itself.
    selector().setFocus();
    QCoreApplication::processEvents();
    text().setFocus();
    QCoreApplication::processEvents();
    EXPECT_EQ(text().text(), "Bea") << "the focus away to the selector and back";
}

TEST_F(EditingModelTest, APartlyVisibleBottomRowOpensItsEditorWhenClicked) {
    const auto big = MakeGroup(u"Big", ManyItems(200));
    Show(big);
    // The last row that shows at all shows only in part.
    int last = 0;
    while (grid().visualRect(grid().model()->index(last + 1, 1)).top() < grid().viewport()->height()) ++last;
    ASSERT_GT(grid().visualRect(grid().model()->index(last, 1)).bottom(), grid().viewport()->height() - 1)
        << "row " << last << " shows whole; the test needs one cut off";
    Click(last, 1);
    ASSERT_TRUE(text().isVisible()) << "it scrolls into view with its editor open";
    EXPECT_TRUE(text().hasFocus());
    EXPECT_EQ(OnSurface(text()), CellOnSurface(last, 1).adjusted(0, 0, -20, 0));
    QTest::keyClicks(&text(), "Bottom");
    Key(text(), Qt::Key_Return);
    EXPECT_EQ(ValueOf(big, last + 1), u"Bottom");
}

TEST_F(EditingModelTest, AnUntouchedCellNeverOverwritesTheHostsNewerValue) {
    Click(1, 1);
    comrt::Bstr newer(u"From the host");
    ASSERT_EQ(pg_testing::ItemAt(*settings, 2)->put_ItemValue(newer.get()), S_OK);
    Click(3, 1);
    EXPECT_EQ(ValueOf(settings, 2), u"From the host");
}

// ---- the host's hold on edits -------------------------------------------------------------

TEST_F(EditingModelTest, TheHostCommitsCancelsAndSeesWhetherAnEditIsPending) {
    QSignalSpy changes(widget, &PropertiesWidget::valueChanged);
    QSignalSpy pending(widget, &PropertiesWidget::editPendingChanged);
    EXPECT_FALSE(widget->isEditPending());
    Click(1, 1);
    EXPECT_FALSE(widget->isEditPending()) << "an open editor with nothing typed";
    QTest::keyClicks(&text(), "Bea");
    EXPECT_TRUE(widget->property("editPending").toBool());
    QCoreApplication::processEvents();
    ASSERT_EQ(pending.count(), 1) << "once the typing was handled";
    EXPECT_TRUE(pending.at(0).at(0).toBool());
    ASSERT_TRUE(widget->commitEdit());  // the host's Save button
    EXPECT_EQ(ValueOf(settings, 2), u"Bea");
    EXPECT_FALSE(widget->isEditPending());
    EXPECT_FALSE(text().isVisible());
    ASSERT_EQ(changes.count(), 1);
    EXPECT_EQ(changes.at(0).at(0).toInt(), 0) << "the first group";
    EXPECT_EQ(changes.at(0).at(1).toInt(), 1) << "the second row, from 0";
    EXPECT_EQ(changes.at(0).at(2).toString(), "Ann");
    EXPECT_EQ(changes.at(0).at(3).toString(), "Bea");
    ASSERT_EQ(pending.count(), 2);
    EXPECT_FALSE(pending.at(1).at(0).toBool());

    Click(0, 1);
    QTest::keyClicks(&text(), "Forgotten");
    ASSERT_TRUE(widget->cancelEdit());
    EXPECT_EQ(ValueOf(settings, 1), u"Report");
    EXPECT_EQ(CellText(0, 1), "Report");
    EXPECT_TRUE(widget->commitEdit()) << "nothing pending is no failure";
    EXPECT_EQ(changes.count(), 1);
}

// A host's slot that rebuilds the grid from inside the change notification of the user's
// Enter: the value is written, and the control shows what the slot left and edits on.
TEST_F(EditingModelTest, ASlotMayClearSwitchAndCommitInsideTheValueChangedSignal) {
    PropertyGroup other(QStringLiteral("Other"));
    ASSERT_TRUE(other.addItem(QStringLiteral("Colour"), QStringLiteral("Red"))) << other.errorString().toStdString();
    int inside = 0;
    QObject::connect(widget, &PropertiesWidget::valueChanged, widget, [&](int group, int row) {
        if (inside++) return;
        EXPECT_EQ(group, 0);
        EXPECT_EQ(row, 0);
        EXPECT_TRUE(widget->commitEdit());
        EXPECT_TRUE(widget->clear());
        EXPECT_EQ(widget->count(), 0);
        EXPECT_EQ(widget->currentGroup(), -1);
        EXPECT_TRUE(widget->addGroup(other));
        EXPECT_TRUE(widget->addGroup(PropertyGroup(settings)));
        EXPECT_TRUE(widget->setCurrentGroup(1));
        EXPECT_TRUE(widget->commitEdit());
    });
    QSignalSpy shown(widget, &PropertiesWidget::currentGroupChanged);
    Click(0, 1);
    QTest::keyClicks(&text(), "Final");
    Key(text(), Qt::Key_Return);
    QCoreApplication::processEvents();

    EXPECT_EQ(ValueOf(settings, 1), u"Final");
    EXPECT_EQ(widget->count(), 2);
    EXPECT_EQ(widget->currentGroup(), 1);
    ASSERT_FALSE(shown.isEmpty());
    EXPECT_EQ(shown.last().at(0).toInt(), 1);
    EXPECT_EQ(selector().count(), 2);
    EXPECT_EQ(selector().itemText(0), "Other");
    EXPECT_EQ(CellText(0, 1), "Final");
    EXPECT_FALSE(widget->isEditPending());

    QSignalSpy changes(widget, &PropertiesWidget::valueChanged);
    Click(1, 1);
    QTest::keyClicks(&text(), "Zed");
    Key(text(), Qt::Key_Return);
    EXPECT_EQ(ValueOf(settings, 2), u"Zed");
    ASSERT_EQ(changes.count(), 1);
    EXPECT_EQ(changes.at(0).at(0).toInt(), 1);
    EXPECT_EQ(changes.at(0).at(1).toInt(), 1);
    EXPECT_EQ(changes.at(0).at(2).toString(), "Ann");
}

TEST_F(EditingModelTest, TheChangeNotificationComesOncePerChangedItemOnly) {
    QSignalSpy changes(widget, &PropertiesWidget::valueChanged);
    Click(0, 1);
    Click(1, 1);  // nothing typed
    QTest::keyClicks(&text(), "Ann");  // the same value again
    Click(3, 1);
    EXPECT_EQ(changes.count(), 0);
    QTest::keyClicks(&text(), "13");
    Key(text(), Qt::Key_Tab);
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(changes.at(0).at(1).toInt(), 3);
}

TEST_F(EditingModelTest, RefreshShowsTheHostsValuesAndKeepsTheRowAndTheEdit) {
    Click(3, 1);
    QTest::keyClicks(&text(), "20");
    comrt::Bstr title(u"Changed by the host");
    ASSERT_EQ(pg_testing::ItemAt(*settings, 1)->put_ItemValue(title.get()), S_OK);
    ASSERT_TRUE(widget->refreshValues());
    EXPECT_EQ(CellText(0, 1), "Changed by the host");
    EXPECT_EQ(grid().currentIndex().row(), 3);
    EXPECT_TRUE(text().isVisible());
    EXPECT_EQ(text().text(), "20") << "the user's edit stays open";
    Key(text(), Qt::Key_Return);
    EXPECT_EQ(ValueOf(settings, 4), u"20");
}

// The host takes only whole numbers for Pages (row 3).
TEST_F(EditingModelTest, AValueTheHostRefusesStaysInItsEditorWithTheReasonUnderTheCell) {
    widget->setValidator([](int, int row, const QString& value) {
        bool number = false;
        value.toInt(&number);
        return row != 3 || number ? QString() : QStringLiteral("Pages: a whole number");
    });
    QTableView& view = grid();
    QLineEdit& editor = text();
    QLabel& message = child<QLabel>("message");

    Click(3, 1);
    QTest::keyClicks(&editor, "ten");
    // Enter, and a click on another row: neither writes nor moves, and the focus stays.
    for (const std::function<void()>& commit : {std::function<void()>([&] { Key(editor, Qt::Key_Return); }),
                                               std::function<void()>([&] { Click(0, 0); })}) {
        commit();
        EXPECT_EQ(ValueOf(settings, 4), u"12");
        EXPECT_EQ(view.currentIndex().row(), 3);
        EXPECT_TRUE(editor.isVisible() && editor.hasFocus() && editor.text() == "ten");
        EXPECT_TRUE(message.isVisible() && message.accessibleName() == "Pages: a whole number");
        EXPECT_NEAR(message.y(), OnSurface(editor).bottom(), 1) << "under the cell";
    }
    editor.selectAll();
    QTest::keyClicks(&editor, "20");
    Key(editor, Qt::Key_Return);
    EXPECT_EQ(ValueOf(settings, 4), u"20");
    EXPECT_FALSE(message.isVisible());
    Click(3, 1);
    QTest::keyClicks(&editor, "x");
    Key(editor, Qt::Key_Return);
    Key(editor, Qt::Key_Escape);
    EXPECT_EQ(ValueOf(settings, 4), u"20");
    EXPECT_FALSE(message.isVisible() || editor.isVisible());
}

}  // namespace
}  // namespace orvane
