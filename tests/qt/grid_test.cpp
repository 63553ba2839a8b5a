// The Qt grid against the widget contract: cell events for puts, clicks and keys, the
// view catching up with moves made by code, cell rectangles in twips, scroll bars,
// column widths, row heights, colours, fonts.
#include <functional>

#include <QHeaderView>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QStyledItemDelegate>
#include <QTableView>

#include <gmock/gmock.h>

#include <tests/qt/qt_test_support.h>
#include <toolkit/qt/cell_model.h>
#include <toolkit/qt/item_painter.h>
#include <toolkit/qt/qt_grid.h>
#include <toolkit/qt/units.h>

namespace orvane::qt {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::FailureOf;
using testing::GridRecorder;

class QtGridTest : public ::testing::Test {
protected:
    void SetUp() override {
        // 4575 x 2175 twips: 305 x 145 pixels at 96 DPI.
        ASSERT_EQ(window->logicalDpiX(), 96);
        grid.SetCols(2);
        grid.SetRows(3);
        grid.SetEventSink(&events);
        QCoreApplication::processEvents();
    }

    GridView& view() { return *grid.view(); }
    void Fill(int rows) {
        grid.SetEventSink(nullptr);
        grid.SetRows(rows);
        for (int r = 0; r < rows; ++r) {
            grid.SetRow(r);
            grid.SetCol(0);
            grid.SetText(u"name");
            grid.SetCol(1);
            grid.SetText(u"value");
        }
        grid.SetCol(0);
        grid.SetRow(0);
        grid.SetEventSink(&events);
    }

    std::unique_ptr<QWidget> window = testing::ShownWindow();
    QtGrid grid{window.get(), 0, 0, 4575, 2175};
    GridRecorder events{grid};
};

TEST_F(QtGridTest, PutsRaiseLeaveForTheOldCellThenEnterForTheNewOneOnlyOnChange) {
    grid.SetCol(1);
    grid.SetCol(1);
    grid.SetRow(2);
    EXPECT_THAT(events.seen, ElementsAre("Leave(0,0)", "Enter(0,1)", "Leave(0,1)", "Enter(2,1)"));
}

TEST_F(QtGridTest, PutsOutsideTheGridFailAndChangeNothing) {
    struct Row {
        const char* name;
        void (QtGrid::*put)(std::int32_t);
        std::int32_t value;
    } rows[] = {{"row -1", &QtGrid::SetRow, -1}, {"row 3 of 3", &QtGrid::SetRow, 3},
                {"col 2 of 2", &QtGrid::SetCol, 2}, {"col -1", &QtGrid::SetCol, -1}};
    for (const Row& row : rows) {
        EXPECT_EQ(FailureOf([&] { (grid.*row.put)(row.value); }), CTL_E_INVALIDPROPERTYVALUE) << row.name;
    }
    EXPECT_EQ(grid.Row(), 0);
    EXPECT_EQ(grid.Col(), 0);
    EXPECT_THAT(events.seen, IsEmpty());
    EXPECT_EQ(FailureOf([&] { grid.SetRows(-1); }), CTL_E_INVALIDPROPERTYVALUE);

    grid.SetRow(2);
    events.seen.clear();
    EXPECT_EQ(FailureOf([&] { grid.SetRows(1 << 24); }), E_OUTOFMEMORY) << "more cells than the grid takes";
    EXPECT_EQ(FailureOf([&] { grid.SetRows(0x7FFFFFFF); }), E_OUTOFMEMORY);
    EXPECT_EQ(view().model()->rowCount(), 3);
    EXPECT_THAT(events.seen, IsEmpty());
}

TEST_F(QtGridTest, ShrinkingCountsMoveTheCurrentCellAsAPutWould) {
    grid.SetText(u"kept");
    grid.SetRow(2);
    grid.SetCol(1);
    grid.SetText(u"dropped");
    QCoreApplication::processEvents();  // the view's current index is in the rows that go
    events.seen.clear();

    grid.SetRows(1);
    grid.SetCols(1);
    EXPECT_THAT(events.seen, ElementsAre("Leave(2,1)", "Enter(0,1)", "Leave(0,1)", "Enter(0,0)"));
    EXPECT_EQ(grid.Text(), u"kept") << "a cell inside both counts keeps its text";
    grid.SetRows(3);
    grid.SetCols(2);
    grid.SetRow(2);
    grid.SetCol(1);
    EXPECT_EQ(grid.Text(), u"") << "a cell outside the smaller counts starts empty again";
}

TEST_F(QtGridTest, AnEmptyGridHasNoCurrentCellToWrite) {
    grid.SetRows(0);
    grid.SetRow(0);
    EXPECT_EQ(grid.Text(), u"");
    EXPECT_EQ(FailureOf([&] { grid.SetText(u"x"); }), CTL_E_INVALIDPROPERTYVALUE);
    EXPECT_EQ(FailureOf([&] { grid.SetCellAlignment(0); }), CTL_E_INVALIDPROPERTYVALUE);
    EXPECT_EQ(grid.CellWidth(), 0);
}

TEST_F(QtGridTest, MovesFromCodeReachTheViewOnlyWhenTheEventLoopRunsOrGeometryIsAsked) {
    Fill(32766);
    grid.SetRow(32765);
    grid.SetCol(1);
    EXPECT_EQ(view().currentIndex().row(), 0) << "moves from code must not touch the view";
    EXPECT_EQ(view().verticalScrollBar()->value(), 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(view().currentIndex(), view().model()->index(32765, 1));
    EXPECT_GT(view().verticalScrollBar()->value(), 0) << "the current cell is scrolled into view";
    EXPECT_THAT(events.seen, ElementsAre("Leave(0,0)", "Enter(32765,0)", "Leave(32765,0)", "Enter(32765,1)"))
        << "catching up raises no Scroll";

    grid.SetRow(3);
    EXPECT_EQ(grid.CellTop(), 0) << "asking for geometry catches up at once: row 3 scrolled to the top";
    EXPECT_EQ(view().currentIndex().row(), 3);
}

TEST_F(QtGridTest, AClickRaisesTheCellEventsThenMouseDownWithButtonsShiftAndPlaceInTwips) {
    struct Row {
        const char* name;
        int row;
        Qt::MouseButton button;
        Qt::KeyboardModifiers modifiers;
        std::vector<std::string> expected;
    } rows[] = {
        {"left", 1, Qt::LeftButton, Qt::NoModifier, {"Leave(0,0)", "Enter(1,1)", "MouseDown(1,0)"}},
        {"right with shift", 2, Qt::RightButton, Qt::ShiftModifier, {"Leave(1,1)", "Enter(2,1)", "MouseDown(2,1)"}},
        {"middle with ctrl and alt", 0, Qt::MiddleButton, Qt::ControlModifier | Qt::AltModifier,
         {"Leave(2,1)", "Enter(0,1)", "MouseDown(4,6)"}},
        {"on the current cell", 0, Qt::LeftButton, Qt::NoModifier, {"MouseDown(1,0)"}},
    };
    for (const Row& row : rows) {
        events.seen.clear();
        const QRect cell = view().visualRect(view().model()->index(row.row, 1));
        QTest::mouseClick(view().viewport(), row.button, row.modifiers, cell.center());
        EXPECT_EQ(events.seen, row.expected) << row.name;
        EXPECT_FLOAT_EQ(events.last_x, cell.center().x() * 15.0f) << row.name;
        EXPECT_FLOAT_EQ(events.last_y, cell.center().y() * 15.0f) << row.name;
    }
}

TEST_F(QtGridTest, ArrowKeysMoveTheCurrentCellWithCellEvents) {
    view().setFocus();
    QTest::keyClick(&view(), Qt::Key_Right);
    QTest::keyClick(&view(), Qt::Key_Down);
    EXPECT_THAT(events.seen, ElementsAre("Leave(0,0)", "Enter(0,1)", "Leave(0,1)", "Enter(1,1)"));
    EXPECT_EQ(grid.Row(), 1);
    EXPECT_EQ(grid.Col(), 1);
}

TEST_F(QtGridTest, TheCellRectangleIsTheViewsCellInTwipsWithinTheGrid) {
    grid.SetColWidth(0, 1500);  // 100 px
    grid.SetRowHeightMin(300);  // 20 px
    grid.SetLeft(750);          // the grid's own place does not move its cells
    grid.SetTop(150);
    grid.SetRow(2);
    grid.SetCol(1);
    const QRect cell = view().visualRect(view().model()->index(2, 1));
    EXPECT_EQ(cell.topLeft(), QPoint(100, 40));
    EXPECT_EQ(grid.CellLeft(), 1500);
    EXPECT_EQ(grid.CellTop(), 600);
    EXPECT_EQ(grid.CellWidth(), cell.width() * 15);
    EXPECT_EQ(grid.CellHeight(), cell.height() * 15);
    EXPECT_EQ(view().pos(), QPoint(50, 10));
    EXPECT_FLOAT_EQ(grid.Left(), 750.0f);
    EXPECT_FLOAT_EQ(grid.Top(), 150.0f);
}

TEST_F(QtGridTest, ACellInAColumnOfNoWidthHasNoWidthWhereTheColumnLies) {
    grid.SetColWidth(0, 1500);  // 100 px
    grid.SetColWidth(1, 0);
    grid.SetRow(1);
    grid.SetCol(1);
    EXPECT_EQ(grid.CellLeft(), 1500);
    EXPECT_EQ(grid.CellWidth(), 0) << "empty, not less than nothing";
    EXPECT_GT(grid.CellHeight(), 0);
    grid.SetColWidth(1, 15);  // 1 px: all of it grid line
    EXPECT_EQ(grid.CellWidth(), 0);
}

TEST_F(QtGridTest, StyleReportsTheVerticalScrollBarWhileItShows) {
    const HWND window = widgets::ToHwnd(grid.hWnd());
    EXPECT_EQ(GetWindowLongA(window, GWL_STYLE) & WS_VSCROLL, 0);
    Fill(100);
    EXPECT_EQ(GetWindowLongA(window, GWL_STYLE) & WS_VSCROLL, WS_VSCROLL) << "shown as soon as it is asked";
    grid.SetRows(2);
    EXPECT_EQ(GetWindowLongA(window, GWL_STYLE) & WS_VSCROLL, 0);
    EXPECT_EQ(GetWindowLongA(window, -20), 0) << "an index the window does not have";
}

TEST_F(QtGridTest, BothScrollBarsRaiseScroll) {
    Fill(100);
    grid.SetColWidth(0, 6000);
    grid.SetColWidth(1, 6000);
    QCoreApplication::processEvents();
    events.seen.clear();
    view().verticalScrollBar()->setValue(5);
    view().horizontalScrollBar()->setValue(10);
    EXPECT_THAT(events.seen, ElementsAre("Scroll", "Scroll"));
}

TEST_F(QtGridTest, ColumnsThatEndWithinTheGridDoNotScrollSideways) {
    Fill(100);  // the vertical bar takes part of the viewport's width
    grid.SetColWidth(0, 2280);
    grid.SetColWidth(1, 2295);  // together the grid's full 4575 twips
    QCoreApplication::processEvents();
    EXPECT_EQ(view().horizontalScrollBar()->maximum(), 0);
    EXPECT_FALSE(view().horizontalScrollBar()->isVisible());
}

TEST_F(QtGridTest, ColumnWidthsComeBackInWholePixelsAndCheckTheirArguments) {
    struct Row {
        std::int32_t set;
        std::int32_t read;
    } rows[] = {{1500, 1500}, {1000, 1005}, {1007, 1005}, {0, 0},
                // Narrower than a header's usual minimum section: kept as set.
                {15, 15}, {180, 180}, {360, 360}, {375, 375}};
    for (const Row& row : rows) {
        grid.SetColWidth(1, row.set);
        EXPECT_EQ(grid.ColWidth(1), row.read) << "set " << row.set;
    }
    EXPECT_EQ(FailureOf([&] { grid.ColWidth(2); }),
              comrt::runtime_hresult(comrt::runtime_error::subscript_out_of_range));
    EXPECT_EQ(FailureOf([&] { grid.SetColWidth(-1, 10); }),
              comrt::runtime_hresult(comrt::runtime_error::subscript_out_of_range));
    EXPECT_EQ(FailureOf([&] { grid.SetColWidth(0, -1); }), CTL_E_INVALIDPROPERTYVALUE);
    EXPECT_EQ(FailureOf([&] { grid.SetWidth(-1); }), CTL_E_INVALIDPROPERTYVALUE);
    EXPECT_EQ(FailureOf([&] { grid.SetLeft(std::numeric_limits<float>::infinity()); }), CTL_E_INVALIDPROPERTYVALUE);
}

TEST_F(QtGridTest, RowsAreAtLeastTheMinimumAndAtLeastTheirText) {
    grid.SetRowHeightMin(600);
    EXPECT_EQ(view().rowHeight(2), 40);
    grid.SetRowHeightMin(0);
    const int natural = view().rowHeight(2);
    EXPECT_GE(natural, view().fontMetrics().height());
    grid.SetFont(testing::MakeFont(u"DejaVu Sans", 20));
    EXPECT_GT(view().rowHeight(2), natural) << "a larger font makes rows taller";
    EXPECT_DOUBLE_EQ(view().font().pointSizeF(), 20.0);
    EXPECT_EQ(FailureOf([&] { grid.SetRowHeightMin(-1); }), CTL_E_INVALIDPROPERTYVALUE);
}

TEST_F(QtGridTest, AlignmentAndColoursReachTheCells) {
    grid.SetCol(1);
    grid.SetCellAlignment(7);  // right, vertically centred
    EXPECT_EQ(view().model()->index(0, 1).data(Qt::TextAlignmentRole).value<Qt::Alignment>(),
              Qt::AlignRight | Qt::AlignVCenter);
    EXPECT_EQ(view().model()->index(0, 0).data(Qt::TextAlignmentRole).value<Qt::Alignment>(),
              Qt::AlignLeft | Qt::AlignVCenter);

    grid.SetBackColor(0x000000FF);
    EXPECT_EQ(view().palette().color(QPalette::Base), QColor(255, 0, 0));
    grid.SetForeColor(0x80000005);  // the window background, as a system colour
    EXPECT_EQ(view().palette().color(QPalette::Text), QApplication::palette(&view()).color(QPalette::Base));
    for (OLE_COLOR invalid : {0x05000000u, 0x80000040u})
        EXPECT_EQ(FailureOf([&] { grid.SetBackColor(invalid); }), CTL_E_INVALIDPROPERTYVALUE) << std::hex << invalid;
    EXPECT_EQ(FailureOf([&] { grid.SetFont(nullptr); }), comrt::runtime_hresult(comrt::runtime_error::object_not_set));

    // A text of any length is kept whole; the view is given only what a cell can show,
    // never half a character.
    std::u16string huge(1'000'000, u'x');
    huge[CellModel::kShownTextLength - 1] = u'\xD83D';
    huge[CellModel::kShownTextLength] = u'\xDE00';
    grid.SetText(huge);  // the current cell, (0, 1)
    EXPECT_EQ(grid.Text().size(), huge.size());
    EXPECT_EQ(view().model()->index(0, 1).data(Qt::DisplayRole).toString().size(),
              static_cast<qsizetype>(CellModel::kShownTextLength - 1));
}

// The plain cell painter draws what the style draws, pixel for pixel, and leaves to the
// style the texts that do not fit.
TEST(ItemPainterTest, PlainCellsAreTheStylesOwnPixelForPixel) {
    QStandardItemModel model(1, 1);
    QTableView view;
    view.setModel(&model);
    struct Delegate : QStyledItemDelegate {
        using QStyledItemDelegate::initStyleOption;
    } delegate;
    QFont large("DejaVu Serif", 15);
    large.setItalic(true);
    const Qt::Alignment horizontal[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight};
    const Qt::Alignment vertical[] = {Qt::AlignTop, Qt::AlignVCenter, Qt::AlignBottom};
    int painted = 0;
    for (const QString& text : {QString(), QStringLiteral("Name00000001"), QStringLiteral("x y"),
                               QStringLiteral("A text far too long for the cell it lies in")}) {
        for (const QFont& font : {view.font(), large}) {
            for (const Qt::Alignment h : horizontal) {
                for (const Qt::Alignment v : vertical) {
                    for (const int state : {0, 1, 2, 3}) {  // selected, active
                        const QModelIndex index = model.index(0, 0);
                        model.setData(index, text);
                        model.setData(index, QVariant::fromValue(h | v), Qt::TextAlignmentRole);
                        model.setData(index, font, Qt::FontRole);
                        QStyleOptionViewItem option;
                        option.initFrom(&view);
                        option.widget = &view;
                        option.rect = QRect(3, 2, 200, 31);
                        option.showDecorationSelected = state == 3;
                        option.state.setFlag(QStyle::State_Selected, state & 1);
                        option.state.setFlag(QStyle::State_Active, state & 2);
                        delegate.initStyleOption(&option, index);

                        QImage styled(210, 40, QImage::Format_ARGB32_Premultiplied);
                        styled.fill(Qt::white);
                        QImage plain = styled;
                        QPainter by_style(&styled);
                        view.style()->drawControl(QStyle::CE_ItemViewItem, &option, &by_style, &view);
                        by_style.end();
                        QPainter by_us(&plain);
                        const bool drawn = PaintPlainItem(by_us, option);
                        by_us.end();

                        const std::string what = text.toStdString() + ", " + font.family().toStdString() + ", " +
                                                 std::to_string(h | v) + ", state " + std::to_string(state);
                        EXPECT_EQ(drawn, text.size() < 20) << what;
                        if (drawn) {
                            EXPECT_TRUE(plain == styled) << what;
                        }
                        painted += drawn;
                    }
                }
            }
        }
    }
    EXPECT_EQ(painted, 3 * 2 * 9 * 4);
}

// Collects the regions that a widget paints.
struct PaintedRegions final : QObject {
    explicit PaintedRegions(QWidget& widget) { widget.installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) painted += static_cast<QPaintEvent*>(event)->region();
        return false;
    }
    QRegion painted;
};

TEST_F(QtGridTest, APutAfterAFillRepaintsItsCellWhenTheEventLoopRuns) {
    Fill(100);
    grid.SetRow(2);
    grid.SetCol(1);
    QCoreApplication::processEvents();
    const PaintedRegions regions(*view().viewport());
    grid.SetText(u"changed");
    const QRect cell = view().visualRect(view().model()->index(2, 1));
    QCoreApplication::processEvents();
    EXPECT_TRUE(regions.painted.contains(cell)) << "painted " << regions.painted.boundingRect().width() << "x"
                                                << regions.painted.boundingRect().height();
    EXPECT_EQ(view().model()->index(2, 1).data().toString(), QStringLiteral("changed"));
}

// A resize of the grid that also sets its column widths (what a resize of the control
// does) paints the viewport once, with the columns in their new places: a repaint of the
// columns left to a frame of its own would paint the viewport, and the editor over it,
// twice per size step.
TEST_F(QtGridTest, AResizeThatSetsTheColumnsPaintsTheViewportOnce) {
    Fill(100);
    testing::Settle();
    struct Paints final : QObject {
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Paint) ++count;
            return false;
        }
        int count = 0;
    } paints;
    view().viewport()->installEventFilter(&paints);
    for (int step = 1; step <= 3; ++step) {
        paints.count = 0;
        grid.SetWidth(static_cast<float>(4575 + 15 * step));
        grid.SetColWidth(0, 2280 + 15 * step);
        grid.SetColWidth(1, 2295);
        testing::Settle();
        EXPECT_EQ(1, paints.count) << "step " << step;
        EXPECT_EQ(grid.ColWidth(0), 2280 + 15 * step);
        EXPECT_EQ(view().columnViewportPosition(1), view().columnWidth(0)) << "the columns are laid out";
    }
}

// The current cell's focus ring and its row's highlight change with the focus; nothing
// else does.
TEST_F(QtGridTest, AFocusChangeRepaintsTheCurrentRowOnly) {
    Fill(100);
    grid.SetRow(3);
    grid.SetCol(1);
    QCoreApplication::processEvents();
    const QRect row =
        view().visualRect(view().model()->index(3, 0)) | view().visualRect(view().model()->index(3, 1));
    QWidget elsewhere(window.get());
    elsewhere.setGeometry(320, 200, 50, 50);  // beside the grid
    elsewhere.setFocusPolicy(Qt::StrongFocus);
    elsewhere.show();
    for (QWidget* target : {static_cast<QWidget*>(&view()), &elsewhere}) {
        QCoreApplication::processEvents();
        const PaintedRegions regions(*view().viewport());
        target->setFocus();
        QCoreApplication::processEvents();
        ASSERT_TRUE(target->hasFocus());
        EXPECT_FALSE(regions.painted.isEmpty()) << "the focus is drawn or taken off";
        EXPECT_EQ(regions.painted.boundingRect() | row, row)
            << "painted " << regions.painted.boundingRect().width() << "x" << regions.painted.boundingRect().height();
    }
}

TEST_F(QtGridTest, CellGeometryReadsFollowEveryChangeBeforeTheEventLoopRuns) {
    Fill(100);
    grid.SetRow(10);
    grid.SetCol(1);
    (void)grid.CellTop();  // the view is in line now
    struct Row {
        const char* name;
        std::function<void()> change;
    } rows[] = {
        {"scrolled by the bar", [&] { view().verticalScrollBar()->setValue(5); }},
        {"a wider first column", [&] { grid.SetColWidth(0, 2000); }},
        {"taller rows", [&] { grid.SetRowHeightMin(450); }},
        {"a larger font", [&] { grid.SetFont(testing::MakeFont(u"DejaVu Sans", 16)); }},
        {"moved by code", [&] { grid.SetRow(60); }},
        {"a narrower grid", [&] { grid.SetWidth(3000); }},
        {"fewer rows", [&] { grid.SetRows(61); }},
        {"a grid taller than its rows", [&] { grid.SetHeight(60000); }},
    };
    for (const Row& row : rows) {
        row.change();
        const QRect read(grid.CellLeft() / 15, grid.CellTop() / 15, grid.CellWidth() / 15, grid.CellHeight() / 15);
        const bool bar = view().showsVerticalScrollBar();
        QCoreApplication::processEvents();
        const QRect laid_out = view().visualRect(view().model()->index(grid.Row(), grid.Col()));
        EXPECT_EQ(read, laid_out) << row.name << ": read at " << read.y() << ", laid out at " << laid_out.y();
        EXPECT_EQ(bar, view().verticalScrollBar()->isVisibleTo(&view())) << row.name;
    }
}

TEST_F(QtGridTest, MembersFailOnceTheViewIsGone) {
    delete grid.view();
    EXPECT_EQ(FailureOf([&] { grid.Row(); }), E_HANDLE);
    EXPECT_EQ(FailureOf([&] { grid.SetText(u"x"); }), E_HANDLE);
}

}  // namespace
}  // namespace orvane::qt
