// OLE colour translation and the system colour palette.
#include <gtest/gtest.h>

#include <comrt/colour.h>

#include <thread>

namespace {

constexpr COLORREF kPoison = 0xDEADBEEF;

TEST(OleTranslateColor, Rows) {
    const struct {
        OLE_COLOR in;
        HRESULT hr;
        COLORREF out;  // kPoison: left unchanged
    } rows[] = {
        // colour references, palette-relative references and palette indices pass through
        {0x00000000, S_OK, 0x00000000}, {0x00FFFFFF, S_OK, 0x00FFFFFF}, {0x000080FF, S_OK, 0x000080FF},
        {0x02123456, S_OK, 0x02123456}, {0x0100000A, S_OK, 0x0100000A},
        // system colours through the default palette
        {0x80000000 | COLOR_WINDOW, S_OK, 0x00FFFFFF}, {0x80000000 | COLOR_WINDOWTEXT, S_OK, 0x00000000},
        {0x80000000 | COLOR_BTNFACE, S_OK, 0x00F0F0F0}, {0x80000000 | COLOR_HIGHLIGHT, S_OK, comrt::rgb(0, 120, 215)},
        {0x80000000, S_OK, comrt::rgb(200, 200, 200)}, {0x80000000 | COLOR_MENUBAR, S_OK, 0x00F0F0F0},
        // not colours: index 31 and above, bits between the high byte and the index, other high bytes
        {0x8000001F, E_INVALIDARG, kPoison}, {0x800000FF, E_INVALIDARG, kPoison}, {0x80000105, E_INVALIDARG, kPoison},
        {0x80FF0005, E_INVALIDARG, kPoison}, {0x0101000A, E_INVALIDARG, kPoison}, {0x03000000, E_INVALIDARG, kPoison},
        {0x7F000000, E_INVALIDARG, kPoison}, {0x81000005, E_INVALIDARG, kPoison}, {0xFFFFFFFF, E_INVALIDARG, kPoison},
    };
    for (const auto& row : rows) {
        COLORREF out = kPoison;
        const HRESULT hr = OleTranslateColor(row.in, nullptr, &out);
        EXPECT_EQ(hr, row.hr) << std::hex << "0x" << row.in << " gave 0x" << hr;
        EXPECT_EQ(out, row.out) << std::hex << "0x" << row.in << " gave 0x" << out;
        // A null result only checks the value.
        EXPECT_EQ(OleTranslateColor(row.in, nullptr, nullptr), row.hr) << std::hex << "0x" << row.in;
    }
}

TEST(OleTranslateColor, RejectsAPaletteHandle) {
    COLORREF out = kPoison;
    EXPECT_EQ(OleTranslateColor(0x00FFFFFF, reinterpret_cast<HPALETTE>(0x10), &out), E_INVALIDARG);
    EXPECT_EQ(out, kPoison);
}

TEST(SystemColours, ReplacedEntryTranslatesEverywhere) {
    COLORREF original = 0;
    ASSERT_EQ(OleTranslateColor(0x80000000 | COLOR_WINDOW, nullptr, &original), S_OK);

    const INT window[] = {COLOR_WINDOW};
    const COLORREF dark[] = {0x00202020};
    ASSERT_EQ(SetSysColors(1, window, dark), TRUE);
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), 0x00202020u);
    COLORREF seen_elsewhere = 0;
    std::thread([&] { OleTranslateColor(0x80000000 | COLOR_WINDOW, nullptr, &seen_elsewhere); }).join();
    EXPECT_EQ(seen_elsewhere, 0x00202020u);

    // Bad requests change nothing.
    // Bad requests change nothing, not even their valid entries.
    const INT bad_index[] = {COLOR_WINDOWTEXT, -1};
    const INT too_high[] = {COLOR_WINDOWTEXT, comrt::system_colour_count};
    const INT two[] = {COLOR_WINDOWTEXT, COLOR_WINDOW};
    const COLORREF plain[] = {0x00FFFFFF, 0};
    const COLORREF system[] = {0x00FFFFFF, 0x80000008};
    EXPECT_EQ(SetSysColors(2, bad_index, plain), FALSE);
    EXPECT_EQ(SetSysColors(2, too_high, plain), FALSE);
    EXPECT_EQ(SetSysColors(2, two, system), FALSE);
    EXPECT_EQ(SetSysColors(1, nullptr, plain), FALSE);
    EXPECT_EQ(SetSysColors(-1, two, plain), FALSE);
    EXPECT_EQ(GetSysColor(-1), 0u);
    EXPECT_EQ(GetSysColor(comrt::system_colour_count), 0u);
    COLORREF out = 0;
    OleTranslateColor(0x80000000 | COLOR_WINDOW, nullptr, &out);
    EXPECT_EQ(out, 0x00202020u);
    OleTranslateColor(0x80000000 | COLOR_WINDOWTEXT, nullptr, &out);
    EXPECT_EQ(out, 0x00000000u) << "another entry changed";

    const COLORREF restore[] = {original};
    EXPECT_EQ(SetSysColors(1, window, restore), TRUE);
}

}  // namespace
