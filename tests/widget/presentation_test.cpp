// What the user sees of the grid beyond its cells: the layout following the font, the split
// between the columns under the mouse, the mark on values picked from a list, and the tip
// that shows a text too long for its cell.
#include <QAccessible>
#include <QApplication>
#include <QHelpEvent>
#include <QToolTip>

#include <testing/fonts.h>

#include "properties_widget_fixture.h"

namespace orvane {
namespace {

using namespace widget_testing;

constexpr int kChoiceRole = Qt::UserRole + 1;

class PresentationTest : public IntegrationTest {
protected:
    void UseFont(double points) {
        comrt::ComPtr<IFontDisp> font = pg_testing::MakeFont(u"DejaVu Sans", points);
        IFontDisp* raw = font.get();
        ASSERT_EQ(control->putref_Font(raw), S_OK);
        QCoreApplication::processEvents();
    }
    int Split() { return grid().columnViewportPosition(1); }
    void Mouse(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons buttons) {
        QWidget* viewport = grid().viewport();
        QMouseEvent event(type, QPointF(at), viewport->mapToGlobal(QPointF(at)), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(viewport, &event);
        QCoreApplication::processEvents();
    }
    void DragSplitTo(int x) {
        const int y = grid().visualRect(grid().model()->index(0, 0)).center().y();
        Mouse(QEvent::MouseButtonPress, {Split(), y}, Qt::LeftButton, Qt::LeftButton);
        Mouse(QEvent::MouseMove, {(Split() + x) / 2, y}, Qt::NoButton, Qt::LeftButton);
        Mouse(QEvent::MouseMove, {x, y}, Qt::NoButton, Qt::LeftButton);
        Mouse(QEvent::MouseButtonRelease, {x, y}, Qt::LeftButton, Qt::NoButton);
    }
    // The columns together fill the grid's viewport exactly.
    void ExpectColumnsFillTheGrid() {
        EXPECT_EQ(grid().columnWidth(0) + grid().columnWidth(1), grid().viewport()->width());
    }
};

TEST_F(PresentationTest, ALargerFontKeepsTheGridBelowTheSelectorAndEveryRowAsTallAsTheDropDown) {
    for (double points : {14.0, 20.0}) {
        SCOPED_TRACE(points);
        UseFont(points);
        EXPECT_GE(grid().geometry().top(), selector().geometry().bottom()) << "the grid starts below the selector";
        EXPECT_GE(grid().rowHeight(0), QFontMetrics(grid().font()).height());

        // The drop-down editor over its cell covers no neighbouring row.
        Click(2, 1);
        if (dropDown().view()->isVisible()) QTest::keyClick(dropDown().view(), Qt::Key_Escape);
        QCoreApplication::processEvents();
        ASSERT_TRUE(dropDown().isVisible());
        EXPECT_GE(grid().rowHeight(2), dropDown().height());
        const QRect cell = CellOnSurface(2, 1);
        EXPECT_GE(OnSurface(dropDown()).top(), cell.top() - 1);
        EXPECT_LE(OnSurface(dropDown()).bottom(), cell.bottom() + 1);
        ExpectColumnsFillTheGrid();
        Click(0, 0);
    }
}

TEST_F(PresentationTest, DraggingTheSplitResizesBothColumnsAndAResizeKeepsTheShare) {
    const int width = grid().viewport()->width();
    ASSERT_NEAR(Split(), width / 2, 2);
    EXPECT_EQ(grid().viewport()->cursor().shape(), Qt::ArrowCursor);
    const int y = grid().visualRect(grid().model()->index(0, 0)).center().y();
    Mouse(QEvent::MouseMove, {Split() + 1, y}, Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(grid().viewport()->cursor().shape(), Qt::SplitHCursor) << "the pointer shows the split";

    // An editor open over a value cell follows the split.
    Click(1, 1);
    ASSERT_TRUE(text().isVisible());
    DragSplitTo(width / 4);
    EXPECT_NEAR(grid().columnWidth(0), width / 4, 2);
    ExpectColumnsFillTheGrid();
    EXPECT_NEAR(OnSurface(text()).left(), CellOnSurface(1, 1).left(), 2);
    EXPECT_TRUE(text().isVisible()) << "the edit stays open";
    EXPECT_EQ(grid().currentIndex().row(), 1);

    // The control keeps the name column's quarter as it grows and shrinks.
    for (int window_width : {720, 360}) {
        window.resize(window_width, window.height());
        QCoreApplication::processEvents();
        const double share = static_cast<double>(grid().columnWidth(0)) / grid().viewport()->width();
        EXPECT_NEAR(share, 0.25, 0.02) << window_width;
        ExpectColumnsFillTheGrid();
    }

    // Dragging past either edge stops there; the split can still be taken back from it.
    DragSplitTo(-40);
    EXPECT_EQ(grid().columnWidth(0), 0);
    ExpectColumnsFillTheGrid();
    DragSplitTo(grid().viewport()->width() / 2);
    EXPECT_NEAR(grid().columnWidth(0), grid().viewport()->width() / 2, 2);
}

TEST_F(PresentationTest, TheCurrentRowsNameIsHighlightedAndTheHighlightFollowsTheRow) {
    // The colour at the right end of a name cell, clear of its text.
    auto name_colour = [&](int row) {
        const QImage image = grid().viewport()->grab().toImage();
        const QRect cell = grid().visualRect(grid().model()->index(row, 0));
        return image.pixelColor(cell.right() - 3, cell.center().y());
    };
    const QColor plain = name_colour(3);
    Click(1, 1);
    EXPECT_NE(name_colour(1), plain) << "the current row's name stands out";
    EXPECT_EQ(name_colour(0), plain);
    Click(0, 1);
    EXPECT_NE(name_colour(0), plain);
    EXPECT_EQ(name_colour(1), plain) << "the row left is plain again";
}

// The editors lie in the grid's viewport, whose item view lists cells only: a screen reader
// walking down from the window finds them under the surface, and at their place in front.
TEST_F(PresentationTest, AssistiveTechnologyFindsTheOpenEditorUnderTheSurface) {
    Click(1, 1);
    ASSERT_TRUE(text().isVisible());
    QAccessibleInterface* surface = QAccessible::queryAccessibleInterface(grid().parentWidget());
    ASSERT_NE(surface, nullptr);
    int index = -1;
    for (int i = 0; i < surface->childCount() && index < 0; ++i) {
        if (QAccessibleInterface* child = surface->child(i); child && child->object() == &text()) index = i;
    }
    ASSERT_GE(index, 0) << "not among the surface's " << surface->childCount() << " children";
    QAccessibleInterface* editor = surface->child(index);
    EXPECT_EQ(surface->indexOfChild(editor), index);
    EXPECT_EQ(editor->text(QAccessible::Name), "Author");
    const QPoint centre = text().mapToGlobal(text().rect().center());
    EXPECT_EQ(surface->childAt(centre.x(), centre.y()), editor) << "in front of the grid";
}

TEST_F(PresentationTest, ValuesPickedFromAListAreMarkedAndOthersAreNot) {
    for (int row = 0; row < 4; ++row) {
        EXPECT_EQ(grid().model()->index(row, 1).data(kChoiceRole).toBool(), row == 2) << row;
        EXPECT_FALSE(grid().model()->index(row, 0).data(kChoiceRole).toBool()) << row;
    }
    // Another group's rows carry their own marks, none left from the first group.
    Show(MakeGroup(u"Other", {{u"Mode", u"A", {u"A", u"B"}}, {u"Size", u"1"}, {u"Colour", u"red"}}));
    EXPECT_TRUE(grid().model()->index(0, 1).data(kChoiceRole).toBool());
    EXPECT_FALSE(grid().model()->index(1, 1).data(kChoiceRole).toBool());
    EXPECT_FALSE(grid().model()->index(2, 1).data(kChoiceRole).toBool());
}

TEST_F(PresentationTest, ATextTooLongForItsCellShowsAsATipWithItsName) {
    comrt::ComPtr<_clsTessel> group =
        MakeGroup(u"Long", {{u"Short", u"ok"}, {u"Path", u"/a/very/long/path/that/cannot/fit/in/half/a/narrow/grid"}});
    Show(group);
    auto tip_at = [&](int row, int col) {
        // A tip hides after a short delay: none may be left from before.
        QToolTip::hideText();
        if (!QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 3000)) return QStringLiteral("(stuck)");
        const QPoint at = grid().visualRect(grid().model()->index(row, col)).center();
        QHelpEvent event(QEvent::ToolTip, at, grid().viewport()->mapToGlobal(at));
        QApplication::sendEvent(grid().viewport(), &event);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    EXPECT_EQ(tip_at(1, 1), QStringLiteral("Path: /a/very/long/path/that/cannot/fit/in/half/a/narrow/grid"));
    EXPECT_EQ(tip_at(0, 1), QString()) << "a text that fits shows no tip";
    QToolTip::hideText();
}

}  // namespace
}  // namespace orvane
