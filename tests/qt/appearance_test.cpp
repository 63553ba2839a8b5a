// Twips and pixels, colour references and system colours, font objects and QFont.
#include <cmath>

#include <gmock/gmock.h>

#include <comrt/colour.h>
#include <tests/qt/qt_test_support.h>
#include <toolkit/qt/appearance.h>
#include <toolkit/qt/units.h>

namespace orvane::qt {
namespace {

using testing::FailureOf;

class AppearanceTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(widget.logicalDpiX(), 96) << "the rows below assume 15 twips a pixel"; }
    QWidget widget;
};

TEST_F(AppearanceTest, TwipsBecomeWholePixelsRoundedToTheNearest) {
    struct Row {
        double twips;
        int pixels;
    } rows[] = {{0, 0}, {15, 1}, {7, 0}, {8, 1}, {22.5, 2}, {-8, -1}, {-22.5, -2}, {1440, 96}, {4575, 305}};
    for (const Row& row : rows) {
        EXPECT_EQ(PixelsX(widget, row.twips), row.pixels) << row.twips << " twips";
        EXPECT_EQ(PixelsY(widget, row.twips), row.pixels) << row.twips << " twips";
    }
    for (double invalid : {std::nan(""), HUGE_VAL, 1e12, -1e12})
        EXPECT_EQ(FailureOf([&] { PixelsX(widget, invalid); }), CTL_E_INVALIDPROPERTYVALUE) << invalid;
    EXPECT_EQ(WholeTwipsX(widget, 21), 315);
    EXPECT_EQ(WholeTwipsY(widget, -3), -45);
}

TEST_F(AppearanceTest, ColourReferencesAndSystemColoursBecomeQtColours) {
    const QPalette palette = QApplication::palette(&widget);
    struct Row {
        OLE_COLOR colour;
        QColor expected;
    } rows[] = {
        {0x000000FF, QColor(255, 0, 0)},
        {0x00FF8000, QColor(0, 128, 255)},
        {0x80000005, palette.color(QPalette::Active, QPalette::Base)},        // window
        {0x80000008, palette.color(QPalette::Active, QPalette::Text)},        // window text
        {0x8000000F, palette.color(QPalette::Active, QPalette::Button)},      // button face
        {0x80000011, palette.color(QPalette::Disabled, QPalette::Text)},      // grey text
        {0x8000000D, palette.color(QPalette::Active, QPalette::Highlight)},   // highlight
    };
    for (const Row& row : rows) EXPECT_EQ(ToQColor(row.colour, widget), row.expected) << std::hex << row.colour;

    COLORREF unnamed = 0;
    ASSERT_EQ(OleTranslateColor(0x80000019, nullptr, &unnamed), S_OK);
    EXPECT_EQ(ToQColor(0x80000019, widget).rgb() & 0xFFFFFF,
              QColor(unnamed & 0xFF, (unnamed >> 8) & 0xFF, (unnamed >> 16) & 0xFF).rgb() & 0xFFFFFF)
        << "system colour 25 has no palette role and keeps the platform's value";
    for (OLE_COLOR invalid : {0x8000001Fu, 0x05000000u})
        EXPECT_EQ(FailureOf([&] { ToQColor(invalid, widget); }), CTL_E_INVALIDPROPERTYVALUE) << std::hex << invalid;
}

TEST_F(AppearanceTest, SystemColoursAreReadFromThePaletteAndThePlatformsAreLeftAsTheyWere) {
    const COLORREF platform_window = GetSysColor(COLOR_WINDOW);
    const QPalette before = QApplication::palette();
    QPalette palette = before;
    palette.setColor(QPalette::Base, QColor(1, 2, 3));
    QApplication::setPalette(palette);
    EXPECT_EQ(ToQColor(0x80000005, widget), QColor(1, 2, 3));
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), platform_window) << "a translation wrote the platform's system colour";
    QApplication::setPalette(before);
}

TEST_F(AppearanceTest, AFontObjectBecomesAQFontWithEveryAttribute) {
    const QFont font = ToQFont(testing::MakeFont(u"DejaVu Serif", 12.75, FW_BOLD, true).get());
    EXPECT_EQ(font.family(), "DejaVu Serif");
    EXPECT_DOUBLE_EQ(font.pointSizeF(), 12.75);
    EXPECT_EQ(font.weight(), QFont::Bold);
    EXPECT_TRUE(font.italic());
    EXPECT_FALSE(font.underline());
    EXPECT_EQ(font.resolveMask(), static_cast<uint>(QFont::AllPropertiesResolved)) << "nothing inherited from a parent";
    EXPECT_EQ(FailureOf([&] { ToQFont(nullptr); }), comrt::runtime_hresult(comrt::runtime_error::object_not_set));
}

TEST_F(AppearanceTest, AMissingFamilyFallsBackToAFontThatDraws) {
    const QFont font = ToQFont(testing::MakeFont(u"No Such Family", 8.25).get());
    EXPECT_EQ(font.family(), "No Such Family") << "the font keeps asking for its family";
    EXPECT_FALSE(QFontInfo(font).family().isEmpty());
    EXPECT_GT(QFontMetrics(font).horizontalAdvance("Width"), 10);
}

TEST_F(AppearanceTest, AQFontBecomesAFontObjectWithEveryAttribute) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(8.25);
    font.setWeight(QFont::DemiBold);
    font.setUnderline(true);
    font.setStrikeOut(true);
    const auto object = ToFontObject(font).as<IFont>();
    comrt::Bstr name;
    CY size{};
    SHORT weight = 0;
    BOOL italic = TRUE, underline = FALSE, strikethrough = FALSE;
    ASSERT_EQ(object->get_Name(name.put()), S_OK);
    ASSERT_EQ(object->get_Size(&size), S_OK);
    ASSERT_EQ(object->get_Weight(&weight), S_OK);
    ASSERT_EQ(object->get_Italic(&italic), S_OK);
    ASSERT_EQ(object->get_Underline(&underline), S_OK);
    ASSERT_EQ(object->get_Strikethrough(&strikethrough), S_OK);
    EXPECT_EQ(name.view(), u"DejaVu Sans");
    EXPECT_EQ(size.int64, 82500);
    EXPECT_EQ(weight, 600);
    EXPECT_FALSE(italic);
    EXPECT_TRUE(underline);
    EXPECT_TRUE(strikethrough);
}

}  // namespace
}  // namespace orvane::qt
