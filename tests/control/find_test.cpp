// Finding items across groups: the hits, the moves between them, the field's status and
// layout, and a pending edit on the way.
#include <tests/control/control_fixture.h>

namespace orvane::testing {
namespace {

class FindTest : public ControlFixture {
protected:
    void SetUp() override {
        ControlFixture::SetUp();
        Start();
        for (const auto& group : {MakeGroup(u"Net", {{u"Proxy", u"none"}, {u"Port", u"80"}, {u"Host", u"\u00c4rger"}}),
                                  MakeGroup(u"Ui", {{u"Theme", u"dark"}, {u"Proxy icon", u"on"}}),
                                  MakeGroup(u"Log", {{u"Level", u"info"}})})
            ASSERT_EQ(S_OK, Add(group));
        ASSERT_EQ(S_OK, Select(0));
    }
    comrt::ComPtr<IPropertiesFind> find() { return ctl.as<IPropertiesFind>(); }
    LONG Find(std::u16string_view text) {
        LONG hits = -1;
        EXPECT_EQ(S_OK, find()->FindText(comrt::Bstr(text).get(), &hits));
        return hits;
    }
    bool Next(bool back = false) {
        VARIANT_BOOL found = VARIANT_FALSE;
        EXPECT_EQ(S_OK, back ? find()->FindPrevious(&found) : find()->FindNext(&found));
        return found == VARIANT_TRUE;
    }
    // "<selector index>:<row>,<col> <status>"
    std::string Where() {
        return std::to_string(fakes.selector->list_index()) + ":" + std::to_string(fakes.grid->row()) + "," +
               std::to_string(fakes.grid->col()) + " " + Printable(fakes.find_field->status());
    }
};

TEST_F(FindTest, HitsRunThroughEveryGroupAndWrap) {
    EXPECT_EQ(2, Find(u"PROXY"));
    EXPECT_EQ("0:0,0 1 of 2", Where());
    EXPECT_TRUE(Next());
    EXPECT_EQ("1:1,0 2 of 2", Where()) << "the next hit is in the next group";
    EXPECT_TRUE(Next());
    EXPECT_EQ("0:0,0 1 of 2", Where()) << "and the search wraps";
    EXPECT_TRUE(Next(true));
    EXPECT_EQ("1:1,0 2 of 2", Where()) << "backwards too";
    EXPECT_EQ(1, Find(u"\u00e4rg")) << "case folds beyond ASCII";
    EXPECT_EQ("0:2,0 1 of 1", Where());
    EXPECT_EQ(1, Find(u"INFO")) << "values are searched too";
    EXPECT_EQ("2:0,0 1 of 1", Where());

    EXPECT_EQ(0, Find(u"nowhere"));
    EXPECT_EQ("2:0,0 !No match", Where()) << "a miss moves nothing";
    EXPECT_FALSE(Next());
    EXPECT_EQ(0, Find(u""));
    EXPECT_EQ("2:0,0 ", Where());
}

TEST_F(FindTest, TheFieldOpensBetweenSelectorAndGridAndClosesToTheOldLayout) {
    const float top = fakes.grid->top(), height = fakes.grid->height();
    fakes.grid->user_key(widgets::keys::kF, widgets::keys::kCtrl);
    EXPECT_TRUE(fakes.find_field->visible());
    EXPECT_TRUE(fakes.find_field->has_focus());
    EXPECT_EQ(fakes.grid->top(), top + fakes::FakeFindField::kHeight + 5);
    EXPECT_EQ(fakes.grid->height(), height - fakes::FakeFindField::kHeight - 5);
    fakes.find_field->user_type(u"o");
    EXPECT_EQ("0:0,0 1 of 5", Where());
    fakes.find_field->user_key(widgets::keys::kReturn);
    fakes.find_field->user_key(widgets::keys::kF3);
    EXPECT_EQ("0:2,0 3 of 5", Where());
    fakes.find_field->user_key(widgets::keys::kF3, widgets::keys::kShift);
    EXPECT_EQ("0:1,0 2 of 5", Where());
    fakes.find_field->user_key(widgets::keys::kEscape);
    EXPECT_FALSE(fakes.find_field->visible());
    EXPECT_FALSE(fakes.find_field->has_focus()) << "the grid took it";
    EXPECT_EQ(fakes.grid->top(), top);
    EXPECT_EQ(fakes.grid->height(), height);
    EXPECT_TRUE(site->failures.empty()) << site->text();
}

TEST_F(FindTest, APendingEditGoesIntoItsOwnGroupBeforeAHitElsewhere) {
    const comrt::ComPtr<_clsTessel> net = CollectionItemAs<_clsTessel>(*impl().group_collection(), 1);
    fakes.grid->user_move_to(1, 1);
    fakes.text_editor->user_type(u"8080");
    fakes.text_editor->user_key(widgets::keys::kF, widgets::keys::kCtrl);
    fakes.find_field->user_type(u"theme");
    EXPECT_EQ("1:0,0 1 of 1", Where());
    EXPECT_EQ(u"8080", ItemValue(*net, 2));
    EXPECT_FALSE(fakes.text_editor->visible());
}

}  // namespace
}  // namespace orvane::testing
