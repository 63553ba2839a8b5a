// The grid's cell model: texts kept in one shared buffer through rewrites, count changes
// and compaction; change notices gathered into one per turn of the event loop.
#include <string>
#include <string_view>
#include <vector>

#include <QCoreApplication>
#include <QRect>
#include <QSignalSpy>

#include <gmock/gmock.h>

#include <toolkit/qt/cell_model.h>

namespace orvane::qt {
namespace {

using namespace std::string_view_literals;

std::string Narrow(std::u16string_view text) { return {text.begin(), text.end()}; }

// The text of every cell, row by row, as plain characters (the tests use ASCII only).
std::vector<std::string> AllTexts(const CellModel& model) {
    std::vector<std::string> texts;
    for (int r = 0; r < model.rows(); ++r)
        for (int c = 0; c < model.cols(); ++c) texts.push_back(Narrow(model.text(r, c)));
    return texts;
}

std::u16string Repeated(char16_t unit, std::size_t count) { return std::u16string(count, unit); }

TEST(CellModelTest, RewritesOfEveryLengthKeepEachCellsOwnText) {
    CellModel model;
    model.setCounts(2, 2);
    struct Row {
        const char* name;
        int row;
        int col;
        std::u16string text;
        std::vector<std::string> expected;
    } rows[] = {
        {"first text", 0, 0, u"alpha", {"alpha", "", "", ""}},
        {"a neighbour", 0, 1, u"beta", {"alpha", "beta", "", ""}},
        {"shorter, in place", 0, 0, u"al", {"al", "beta", "", ""}},
        {"longer, moved", 0, 0, u"alphabetical", {"alphabetical", "beta", "", ""}},
        {"emptied", 0, 1, u"", {"alphabetical", "", "", ""}},
        {"same length", 1, 1, u"gamma", {"alphabetical", "", "", "gamma"}},
        {"same length again", 1, 1, u"delta", {"alphabetical", "", "", "delta"}},
    };
    for (const Row& row : rows) {
        model.setText(row.row, row.col, row.text);
        EXPECT_EQ(AllTexts(model), row.expected) << row.name;
    }
}

TEST(CellModelTest, TextsAreUtf16UnitsKeptExactly) {
    CellModel model;
    model.setCounts(1, 2);
    const std::u16string_view text = u"a\u00e9\U0001F600\0b"sv;  // a surrogate pair and a NUL inside
    ASSERT_EQ(text.size(), 6u);
    model.setText(0, 0, text);
    EXPECT_EQ(model.text(0, 0), text);
    EXPECT_EQ(model.data(model.index(0, 0)).toString().size(), 6);
    model.setText(0, 1, model.text(0, 0));  // a text read from the model itself
    EXPECT_EQ(model.text(0, 1), model.text(0, 0));
}

TEST(CellModelTest, ManyRewritesCompactTheBufferWithoutLosingAText) {
    CellModel model;
    model.setCounts(50, 2);
    // Each pass grows every text, so each write leaves the old one as slack; passes go
    // well past the slack that starts a compaction.
    for (int pass = 1; pass <= 40; ++pass)
        for (int r = 0; r < 50; ++r)
            for (int c = 0; c < 2; ++c)
                model.setText(r, c, Repeated(static_cast<char16_t>(u'a' + (r + c) % 26), static_cast<std::size_t>(pass)));
    for (int r = 0; r < 50; ++r)
        for (int c = 0; c < 2; ++c)
            EXPECT_EQ(model.text(r, c), Repeated(static_cast<char16_t>(u'a' + (r + c) % 26), 40))
                << "row " << r << " col " << c << ": " << Narrow(model.text(r, c));
}

TEST(CellModelTest, CountChangesKeepTheTextsInsideBothCounts) {
    CellModel model;
    model.setCounts(3, 2);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 2; ++c) model.setText(r, c, Repeated(static_cast<char16_t>(u'a' + r * 2 + c), 3));
    model.setCounts(2, 2);
    EXPECT_THAT(AllTexts(model), ::testing::ElementsAre("aaa", "bbb", "ccc", "ddd"));
    model.setCounts(2, 3);
    EXPECT_THAT(AllTexts(model), ::testing::ElementsAre("aaa", "bbb", "", "ccc", "ddd", ""));
    model.setCounts(3, 1);
    EXPECT_THAT(AllTexts(model), ::testing::ElementsAre("aaa", "ccc", ""));
    model.setCounts(0, 1);
    model.setCounts(2, 1);
    EXPECT_THAT(AllTexts(model), ::testing::ElementsAre("", "")) << "an emptied model starts afresh";
}

// Counts that grow make room ahead for the new cells: a fill of texts of the usual length
// appends in place, and the texts written first do not move while the rest come in; the
// room not taken goes back afterwards.
TEST(CellModelTest, AFillOfNewCellsDoesNotMoveTheTextsAlreadyWritten) {
    CellModel model;
    model.setCounts(2, 2);
    model.setText(0, 0, u"kept");
    model.setCounts(5000, 2);
    model.setText(1, 0, u"Name00000001");
    const char16_t* const first = model.text(1, 0).data();
    for (int r = 1; r < 5000; ++r) {
        model.setText(r, 0, u"Name00000001");
        model.setText(r, 1, u"Value0000001");
    }
    EXPECT_EQ(model.text(1, 0).data(), first) << "the buffer moved during the fill";
    EXPECT_EQ(model.text(0, 0), u"kept");
    EXPECT_EQ(model.text(4999, 1), u"Value0000001");

    // The room the fill left is given back when the event loop runs; a longer text from
    // the buffer itself then grows it, and every text stays.
    QCoreApplication::processEvents();
    model.setText(0, 0, model.text(4999, 1));
    EXPECT_EQ(model.text(0, 0), u"Value0000001");
    EXPECT_EQ(model.text(4999, 1), u"Value0000001");
    EXPECT_EQ(model.text(2500, 0), u"Name00000001");
    model.setCounts(0, 2);
    model.setCounts(3, 2);
    EXPECT_THAT(AllTexts(model), ::testing::ElementsAre("", "", "", "", "", ""));
}

TEST(CellModelTest, PutsGiveOneNoticeForTheirSpanWhenTheEventLoopRuns) {
    CellModel model;
    model.setCounts(10, 2);
    QCoreApplication::processEvents();
    QSignalSpy notices(&model, &QAbstractItemModel::dataChanged);
    model.setText(2, 1, u"x");
    model.setText(7, 0, u"y");
    model.setAlignment(4, 1, 7);
    model.setText(5, 0, u"");  // already empty: no change
    EXPECT_EQ(notices.count(), 0) << "no notice per put";
    QCoreApplication::processEvents();
    ASSERT_EQ(notices.count(), 1);
    const auto from = notices[0][0].value<QModelIndex>();
    const auto to = notices[0][1].value<QModelIndex>();
    EXPECT_EQ(QRect(QPoint(from.column(), from.row()), QPoint(to.column(), to.row())), QRect(QPoint(0, 2), QPoint(1, 7)));
    EXPECT_THAT(notices[0][2].value<QList<int>>(), ::testing::UnorderedElementsAre(Qt::DisplayRole, Qt::TextAlignmentRole));

    QCoreApplication::processEvents();
    EXPECT_EQ(notices.count(), 1) << "nothing changed since";
}

TEST(CellModelTest, ANoticeNamesOnlyCellsThatExistWhenItIsSent) {
    CellModel model;
    model.setCounts(10, 2);
    std::vector<std::string> problems;
    QObject::connect(&model, &QAbstractItemModel::dataChanged, [&](const QModelIndex& from, const QModelIndex& to) {
        if (!model.holds(from.row(), from.column()) || !model.holds(to.row(), to.column()))
            problems.push_back(std::to_string(to.row()) + "," + std::to_string(to.column()));
    });
    model.setText(9, 1, u"gone soon");
    model.setCounts(3, 2);
    model.setText(2, 1, u"stays");
    model.setCounts(3, 1);
    QCoreApplication::processEvents();
    EXPECT_THAT(problems, ::testing::IsEmpty());
}

}  // namespace
}  // namespace orvane::qt
