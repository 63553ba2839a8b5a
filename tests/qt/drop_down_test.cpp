// The Qt drop-down list against the widget contract: Click only when the index changes,
// entries in the order added, the list's own height, placement in twips.
#include <set>

#include <QAbstractItemView>
#include <QIdentityProxyModel>
#include <QStringListModel>

#include <gmock/gmock.h>

#include <tests/qt/qt_test_support.h>
#include <toolkit/qt/qt_drop_down.h>

namespace orvane::qt {
namespace {

using testing::FailureOf;

class QtDropDownTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char16_t* entry : {u"c", u"a", u"b"}) list.AddItem(entry);
        list.SetEventSink(&events);
    }

    QComboBox& combo() { return *list.list(); }

    std::unique_ptr<QWidget> window = testing::ShownWindow();
    QtDropDown list{window.get(), 120, 120, 4575, true};
    testing::ClickRecorder events;
};

TEST_F(QtDropDownTest, EntriesKeepTheOrderAddedAndAddingSelectsNothing) {
    EXPECT_EQ(list.ListIndex(), -1);
    EXPECT_EQ(list.Text(), u"");
    ASSERT_EQ(combo().count(), 3);
    EXPECT_EQ(combo().itemText(0), "c");
    EXPECT_EQ(combo().itemText(2), "b");
    EXPECT_EQ(events.clicks, 0);
}

TEST_F(QtDropDownTest, AListIndexPutRaisesClickOnlyWhenTheIndexChanges) {
    struct Row {
        std::int16_t put;
        HRESULT hr;
        std::int16_t index;
        const char16_t* text;
        int clicks;
    } rows[] = {
        {1, S_OK, 1, u"a", 1},
        {1, S_OK, 1, u"a", 1},  // the index already selected: no Click
        {2, S_OK, 2, u"b", 2},
        {3, CTL_E_INVALIDPROPERTYVALUE, 2, u"b", 2},
        {-2, CTL_E_INVALIDPROPERTYVALUE, 2, u"b", 2},
        {-1, S_OK, -1, u"", 3},
        {-1, S_OK, -1, u"", 3},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(FailureOf([&] { list.SetListIndex(row.put); }), row.hr) << "put " << row.put;
        EXPECT_EQ(list.ListIndex(), row.index) << "put " << row.put;
        EXPECT_EQ(list.Text(), row.text) << "put " << row.put;
        EXPECT_EQ(events.clicks, row.clicks) << "put " << row.put;
    }
}

TEST_F(QtDropDownTest, ClearEmptiesTheListWithoutClick) {
    list.SetListIndex(0);
    list.Clear();
    EXPECT_EQ(list.ListIndex(), -1);
    EXPECT_EQ(combo().count(), 0);
    EXPECT_EQ(events.clicks, 1);
}

TEST_F(QtDropDownTest, APickByTheUserRaisesClick) {
    list.SetListIndex(0);
    combo().setFocus();
    QTest::keyClick(&combo(), Qt::Key_Down);
    EXPECT_EQ(list.ListIndex(), 1);
    EXPECT_EQ(events.clicks, 2);
}

TEST_F(QtDropDownTest, AFullListRefusesAnotherEntry) {
    QStringList entries;
    for (int i = 3; i < 32768; ++i) entries << QString::number(i);
    combo().addItems(entries);
    EXPECT_EQ(FailureOf([&] { list.AddItem(u"one too many"); }),
              comrt::runtime_hresult(comrt::runtime_error::overflow));
    EXPECT_EQ(combo().count(), 32768);
    list.SetListIndex(32767);
    EXPECT_EQ(list.Text(), u"32767");
}

// Which rows of a list anyone read while it was open.
class RowsRead final : public QIdentityProxyModel {
public:
    QVariant data(const QModelIndex& index, int role) const override {
        rows.insert(index.row());
        return QIdentityProxyModel::data(index, role);
    }
    mutable std::set<int> rows;
};

TEST_F(QtDropDownTest, AFullListOpensBelowTheBoxReadingOnlyTheRowsItShows) {
    QStringList entries;
    for (int i = 0; i < 32768; ++i) entries << QStringLiteral("Entry %1").arg(i);
    QStringListModel texts(entries);
    RowsRead counted;
    counted.setSourceModel(&texts);
    combo().setModel(&counted);
    list.SetListIndex(20000);
    QCoreApplication::processEvents();

    counted.rows.clear();
    combo().showPopup();
    QCoreApplication::processEvents();
    QWidget& popup = *combo().view()->window();
    ASSERT_TRUE(popup.isVisible());
    EXPECT_LE(counted.rows.size(), 4u * static_cast<unsigned>(combo().maxVisibleItems())) << "rows read to open";
    EXPECT_TRUE(counted.rows.count(20000)) << "the selected entry is in view";
    EXPECT_GE(popup.geometry().top(), combo().mapToGlobal(QPoint(0, combo().height())).y() - 1) << "below the box";
    EXPECT_LE(combo().view()->height(), (combo().maxVisibleItems() + 1) * combo().view()->sizeHintForRow(0));
    combo().hidePopup();
}

TEST_F(QtDropDownTest, HeightIsTheListsOwnAndFollowsItsFont) {
    const float height = list.Height();
    EXPECT_FLOAT_EQ(height, combo().height() * 15.0f);
    EXPECT_EQ(combo().height(), combo().sizeHint().height());
    list.SetFont(testing::MakeFont(u"DejaVu Sans", 24));
    EXPECT_GT(list.Height(), height);
    EXPECT_EQ(combo().height(), combo().sizeHint().height());
}

TEST_F(QtDropDownTest, PlacementIsInTwipsAndLeavesTheHeightAlone) {
    const int height = combo().height();
    list.SetLeft(300);
    list.SetTop(450);
    list.SetWidth(1500);
    EXPECT_EQ(combo().geometry(), QRect(20, 30, 100, height));
    EXPECT_EQ(FailureOf([&] { list.SetWidth(-15); }), CTL_E_INVALIDPROPERTYVALUE);
    EXPECT_EQ(combo().width(), 100);
}

TEST_F(QtDropDownTest, HidingClosesAnOpenPopup) {
    list.SetListIndex(0);
    combo().showPopup();
    ASSERT_TRUE(combo().view()->isVisible());
    list.SetVisible(false);
    EXPECT_FALSE(combo().view()->isVisible());
    EXPECT_TRUE(combo().isHidden());
}

}  // namespace
}  // namespace orvane::qt
