// The Qt types of the host side: fonts and colours both ways without losing an attribute,
// and groups filled from QStrings.
#include <cmath>

#include <QFont>
#include <QFontInfo>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <comrt/resource.h>
#include <orvane/property_group.h>
#include <orvane/qt_types.h>
#include <testing/registry_fixture.h>
#include <testing/text.h>

namespace {

using pg_testing::Hex;

TEST(QtTypes, AFontKeepsEveryAttributeThroughAFontObject) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(9.75);
    font.setWeight(QFont::DemiBold);
    font.setUnderline(true);
    font.setStrikeOut(true);
    const comrt::FontAttributes attributes = orvane::ToFontAttributes(font);
    EXPECT_EQ(attributes.name, u"DejaVu Sans");
    EXPECT_EQ(attributes.size.int64, 97500);
    EXPECT_EQ(attributes.weight, 600);
    EXPECT_FALSE(attributes.italic);

    const QFont back = orvane::ToQFont(comrt::ReadFontAttributes(comrt::CreateFontObject(attributes).get()));
    EXPECT_EQ(back.family(), font.family());
    EXPECT_DOUBLE_EQ(back.pointSizeF(), 9.75);
    EXPECT_EQ(back.weight(), QFont::DemiBold);
    EXPECT_TRUE(back.underline());
    EXPECT_TRUE(back.strikeOut());
    EXPECT_FALSE(back.italic());
    EXPECT_EQ(back.resolveMask(), QFont::AllPropertiesResolved) << "nothing taken over from a parent";
}

TEST(QtTypes, PixelSizedFontsAndOddWeightsStayUsable) {
    QFont pixels(QStringLiteral("DejaVu Sans"));
    pixels.setPixelSize(20);
    const comrt::FontAttributes attributes = orvane::ToFontAttributes(pixels);
    EXPECT_EQ(attributes.size.int64, std::llround(QFontInfo(pixels).pointSizeF() * 10000.0));
    EXPECT_GT(attributes.size.int64, 0);

    comrt::FontAttributes odd;
    odd.name = u"DejaVu Sans";
    odd.weight = 0;  // a font object may carry any weight; Qt's lie in 1 to 1000
    EXPECT_EQ(orvane::ToQFont(odd).weight(), 1);
    EXPECT_GT(orvane::ToQFont(odd).pointSizeF(), 0) << "no size: Qt's default";
    odd.weight = 2000;
    EXPECT_EQ(orvane::ToQFont(odd).weight(), 1000);
}

TEST(QtTypes, ColoursAreColourReferencesByteForByte) {
    EXPECT_EQ(orvane::ToColorRef(QColor(0x12, 0x34, 0x56)), 0x00563412u);
    EXPECT_EQ(orvane::ToQColor(0x00563412u), QColor(0x12, 0x34, 0x56));
    EXPECT_EQ(orvane::ToColorRef(QColor(1, 2, 3, 0)), 0x00030201u) << "the alpha is dropped";
    EXPECT_EQ(orvane::ToColorRef(QColor::fromHsv(0, 255, 255)), 0x000000FFu) << "a colour given as hue, saturation and value";
}

class QtGroupsTest : public pg_testing::TemporaryRegistryTest {
protected:
    void SetUp() override {
        TemporaryRegistryTest::SetUp();
        ASSERT_EQ(Hex(registry_.add(TESSEL_LIBRARY)), Hex(S_OK)) << registry_.failure();
    }
};

// The Qt value of a group, over the same COM group a host reaches with tessel/groups.h.
TEST_F(QtGroupsTest, AGroupFilledFromQStringsReadsBackAsQStringsWithRowsFrom0) {
    orvane::PropertyGroup group(QStringLiteral("Réseau"));
    ASSERT_FALSE(group.isNull()) << group.errorString().toStdString();
    ASSERT_TRUE(group.addItem(QStringLiteral("Proxy"), QStringLiteral("Système"), {"Aucun", "Système"}));
    ASSERT_TRUE(group.addItem(QStringLiteral("Hôte"), QString()));
    orvane::AddItem(*group.comGroup(), QStringLiteral("Port"), QStringLiteral("8080"), {}, tessel::kFreeTextItem);
    EXPECT_EQ(group.name(), "Réseau");
    EXPECT_EQ(group.count(), 3);
    using Texts = std::vector<std::pair<QString, QString>>;
    EXPECT_EQ(orvane::ItemTexts(*group.comGroup()), (Texts{{"Proxy", "Système"}, {"Hôte", ""}, {"Port", "8080"}}));
    SHORT type = -1;
    ASSERT_EQ(S_OK, tessel::ItemAt(*group.comGroup(), 1)->get_ItemType(&type));
    EXPECT_EQ(type, tessel::kDropDownItem);
    EXPECT_EQ(group.choices(0), QStringList({"Aucun", "Système"}));
    EXPECT_EQ(group.choices(2), QStringList()) << "no list";
    EXPECT_EQ(group.itemName(1), "Hôte");
    EXPECT_EQ(group.indexOf(QStringLiteral("Port")), 2);
    ASSERT_TRUE(group.setValue(QStringLiteral("Port"), QStringLiteral("3128")));
    EXPECT_EQ(group.value(2), "3128");
    EXPECT_EQ(orvane::ToQString(tessel::ItemValue(*group.comGroup(), 3)), "3128") << "row 2 is item 3";
    EXPECT_EQ(orvane::PropertyGroup(group.comGroup()), group) << "the same group object";
    EXPECT_FALSE(orvane::PropertyGroup(QStringLiteral("Réseau")) == group);

    // Failures come back as false or an empty value with the reason, never as an exception.
    const struct {
        const char* what;
        bool failed;
    } failures[] = {
        {"a row past the last", group.value(3).isNull() && !group.setValue(3, "x")},
        {"a negative row", group.itemName(-1).isNull()},
        {"a name no item has", group.value(QStringLiteral("Nothing")).isNull() && group.indexOf("Nothing") == -1},
    };
    for (const auto& failure : failures) {
        EXPECT_TRUE(failure.failed) << failure.what;
    }
    EXPECT_EQ(group.errorString(), "Subscript out of range (0x800A0009)");
    orvane::PropertyGroup none;
    EXPECT_FALSE(none.addItem("a", "b"));
    EXPECT_EQ(none.count(), 0);
    EXPECT_EQ(none.errorString(), "Object variable or With block variable not set (0x800A005B)");
}

}  // namespace
