// VariantChangeType / VariantChangeTypeEx: every coercion the libraries rely on, as rows of
// (source, target type, expected status, expected value). Each row runs twice: into a
// destination poisoned with a string (which must survive a failure untouched), under a
// locale whose decimal point is a comma (which must change nothing), and in place with
// the default locale (the source must survive a failure unchanged).
#include <gtest/gtest.h>

#include <comrt/com.h>
#include <comrt/implements.h>
#include <comrt/text.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include <testing/dispatch_stub.h>

// An interface that is not IDispatch.
struct IPlain : IUnknown {};
COMRT_INTERFACE_ID(IPlain, "8D2C4F61-3B0A-4E57-9A1E-6F0B2C7D9E34");

namespace {

using comrt::Variant;

// A variant of type vt whose value (at offset 8, zero-filled) starts with the given bits.
template <typename T = LONGLONG>
Variant of(int vt, T value = {}) {
    Variant v;
    *v.get() = VARIANT{};
    v->vt = static_cast<VARTYPE>(vt);
    std::memcpy(&v->llVal, &value, sizeof value);
    return v;
}
Variant empty() { return Variant(); }
Variant null() { return of(VT_NULL); }
Variant i2(SHORT x) { return of(VT_I2, x); }
Variant i4(LONG x) { return of(VT_I4, x); }
Variant ui1(BYTE x) { return of(VT_UI1, x); }
Variant ui2(USHORT x) { return of(VT_UI2, x); }
Variant ui4(ULONG x) { return of(VT_UI4, x); }
Variant r4(float x) { return of(VT_R4, x); }
Variant r8(double x) { return of(VT_R8, x); }
Variant date(double x) { return of(VT_DATE, x); }
Variant cy(LONGLONG scaled) { return of(VT_CY, scaled); }
Variant boolean(VARIANT_BOOL x) { return of(VT_BOOL, x); }
Variant error(SCODE x) { return of(VT_ERROR, x); }
Variant str(const char16_t* s) { return of(VT_BSTR, SysAllocString(s)); }
Variant ref(int vt, void* p) { return of(VT_BYREF | vt, p); }
Variant dispatch(IDispatch* d) { return of(VT_DISPATCH, d ? (d->AddRef(), d) : d); }
Variant unknown(IUnknown* p) { return of(VT_UNKNOWN, p ? (p->AddRef(), p) : p); }

// The type and exact value, for comparing and for failure messages.
std::string describe(const VARIANT& v) {
    char buf[64] = "";
    switch (v.vt) {
    case VT_EMPTY: return "EMPTY";
    case VT_NULL: return "NULL";
    case VT_I2: std::snprintf(buf, sizeof buf, "I2 %d", v.iVal); break;
    case VT_I4: std::snprintf(buf, sizeof buf, "I4 %d", v.lVal); break;
    case VT_UI1: std::snprintf(buf, sizeof buf, "UI1 %u", v.bVal); break;
    case VT_UI2: std::snprintf(buf, sizeof buf, "UI2 %u", v.uiVal); break;
    case VT_UI4: std::snprintf(buf, sizeof buf, "UI4 %u", v.ulVal); break;
    case VT_R4: std::snprintf(buf, sizeof buf, "R4 %.9g", v.fltVal); break;
    case VT_R8: std::snprintf(buf, sizeof buf, "R8 %.17g", v.dblVal); break;
    case VT_DATE: std::snprintf(buf, sizeof buf, "DATE %.17g", v.date); break;
    case VT_CY: std::snprintf(buf, sizeof buf, "CY %lld", static_cast<long long>(v.cyVal.int64)); break;
    case VT_BOOL: std::snprintf(buf, sizeof buf, "BOOL %d", v.boolVal); break;
    case VT_ERROR: std::snprintf(buf, sizeof buf, "ERROR %#x", static_cast<unsigned>(v.scode)); break;
    case VT_BSTR: return v.bstrVal ? "BSTR \"" + comrt::to_utf8(comrt::Bstr::view_of(v.bstrVal)) + "\"" : "BSTR null";
    case VT_DISPATCH: std::snprintf(buf, sizeof buf, "DISPATCH %p", static_cast<void*>(v.pdispVal)); break;
    case VT_UNKNOWN: std::snprintf(buf, sizeof buf, "UNKNOWN %p", static_cast<void*>(v.punkVal)); break;
    default: std::snprintf(buf, sizeof buf, "vt %#x", v.vt); break;
    }
    return buf;
}

std::string status(HRESULT hr) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%#x", static_cast<unsigned>(hr));
    return buf;
}

struct Row {
    Variant from;
    VARTYPE to;
    Variant want;  // EMPTY with a failing status
    HRESULT hr = S_OK;
    USHORT flags = 0;
};
Row fails(Variant from, VARTYPE to, HRESULT hr) { return {std::move(from), to, Variant(), hr}; }

constexpr LCID kGerman = 0x0407;

void run(const std::vector<Row>& rows) {
    for (const Row& row : rows) {
        SCOPED_TRACE(describe(*row.from.get()) + " -> vt " + std::to_string(row.to));
        const std::string want = row.hr == S_OK ? describe(*row.want.get()) : describe(*row.from.get());

        Variant dest = str(u"poison");
        const BSTR poison = dest->bstrVal;
        const HRESULT hr = VariantChangeTypeEx(dest.get(), row.from.get(), kGerman, row.flags, row.to);
        EXPECT_EQ(status(hr), status(row.hr)) << "holding " << describe(*dest.get());
        if (hr == S_OK) {
            EXPECT_EQ(describe(*dest.get()), want);
        } else {
            EXPECT_TRUE(dest->vt == VT_BSTR && dest->bstrVal == poison) << describe(*dest.get());
        }

        // Sources of malformed types cannot be copied for the in-place run.
        Variant in_place;
        if (VariantCopy(in_place.get(), row.from.get()) != S_OK) continue;
        EXPECT_EQ(status(VariantChangeType(in_place.get(), in_place.get(), row.flags, row.to)), status(row.hr));
        EXPECT_EQ(describe(*in_place.get()), want);
    }
}

// Rows moved into a table: copying would need VariantCopy, which rejects malformed types.
template <typename... R>
std::vector<Row> table_of(R&&... r) {
    std::vector<Row> table;
    (table.push_back(std::forward<R>(r)), ...);
    return table;
}

// Rows converting to one type.
auto to(VARTYPE vt) {
    return [vt](Variant from, Variant want) { return Row{std::move(from), vt, std::move(want)}; };
}
const HRESULT kOverflow = DISP_E_OVERFLOW, kMismatch = DISP_E_TYPEMISMATCH;

TEST(VariantChangeType, ToI2RoundsHalfToEvenAndOverflowsAtTheEdges) {
    const auto i2_of = to(VT_I2);
    const double inf = std::numeric_limits<double>::infinity();
    run(table_of(i2_of(i4(32767), i2(32767)), fails(i4(32768), VT_I2, kOverflow), i2_of(i4(-32768), i2(-32768)),
                 fails(i4(-32769), VT_I2, kOverflow), i2_of(r8(2.5), i2(2)), i2_of(r8(3.5), i2(4)),
                 i2_of(r8(-2.5), i2(-2)), i2_of(r8(-3.5), i2(-4)), i2_of(r8(0.5), i2(0)), i2_of(r8(2.4999), i2(2)),
                 i2_of(r8(2.5001), i2(3)), i2_of(r8(-32768.5), i2(-32768)), i2_of(r8(32767.4), i2(32767)),
                 fails(r8(32767.5), VT_I2, kOverflow), fails(r8(-32769), VT_I2, kOverflow),
                 fails(r8(inf), VT_I2, kOverflow), fails(r8(std::nan("")), VT_I2, kOverflow), i2_of(r4(1.5f), i2(2)),
                 i2_of(cy(25000), i2(2)), i2_of(cy(35000), i2(4)), i2_of(cy(-25001), i2(-3)),
                 fails(cy(327675000), VT_I2, kOverflow), i2_of(boolean(VARIANT_TRUE), i2(-1)),
                 i2_of(boolean(VARIANT_FALSE), i2(0)), i2_of(empty(), i2(0)), fails(null(), VT_I2, kMismatch),
                 fails(error(5), VT_I2, kMismatch)));
}

// Between the signed and the unsigned integer of one width, and from a boolean to an
// unsigned integer, the bits carry over, as the platform converts them; across widths the
// range is kept.
TEST(VariantChangeType, UnsignedIntegers) {
    const auto ui4_of = to(VT_UI4);
    run(table_of(ui4_of(i4(INT32_MAX), ui4(2147483647u)), ui4_of(i4(-1), ui4(UINT32_MAX)),
                 fails(i2(-1), VT_UI4, kOverflow), fails(i4(-1), VT_UI2, kOverflow),
                 ui4_of(boolean(VARIANT_TRUE), ui4(UINT32_MAX)), to(VT_UI1)(boolean(VARIANT_TRUE), ui1(255)),
                 to(VT_UI2)(boolean(VARIANT_FALSE), ui2(0)), to(VT_I2)(ui2(65535), i2(-1)),
                 ui4_of(r8(4294967295.4), ui4(UINT32_MAX)), fails(r8(4294967295.5), VT_UI4, kOverflow),
                 ui4_of(str(u"4294967295"), ui4(UINT32_MAX)), ui4_of(str(u"&HFFFFFFFF"), ui4(UINT32_MAX)),
                 fails(str(u"4294967296"), VT_UI4, kOverflow), to(VT_I4)(ui4(0x80000005u), i4(static_cast<LONG>(0x80000005u))),
                 to(VT_I4)(ui4(7), i4(7)), to(VT_BSTR)(ui4(UINT32_MAX), str(u"4294967295")),
                 to(VT_R8)(ui4(UINT32_MAX), r8(4294967295.0)), to(VT_I2)(ui1(255), i2(255)),
                 fails(i2(256), VT_UI1, kOverflow), to(VT_UI2)(i2(-1), ui2(65535)), to(VT_UI2)(i4(65535), ui2(65535)),
                 to(VT_BOOL)(ui2(2), boolean(VARIANT_TRUE))));
}

TEST(VariantChangeType, TextToIntegersInTheInvariantLocale) {
    const auto i2_of = to(VT_I2);
    std::vector<Row> rows = table_of(
        i2_of(str(u"12"), i2(12)), i2_of(str(u" 12 "), i2(12)), i2_of(str(u"\t-7\r\n"), i2(-7)),
        i2_of(str(u"+7"), i2(7)), i2_of(str(u"1.5"), i2(2)), i2_of(str(u"2.5"), i2(2)),
        i2_of(str(u"2.50000000000000000001"), i2(3)), i2_of(str(u"-32768"), i2(-32768)),
        i2_of(str(u"32767.49"), i2(32767)), i2_of(str(u"1e3"), i2(1000)), i2_of(str(u"12E-1"), i2(1)),
        i2_of(str(u".5"), i2(0)), i2_of(str(u"5."), i2(5)), i2_of(str(u"0.00"), i2(0)), i2_of(str(u"&HFFFF"), i2(-1)),
        i2_of(str(u"&h7fff"), i2(32767)), i2_of(str(u"&O17"), i2(15)), i2_of(str(u"-0"), i2(0)),
        // The thousands separator may follow any digit of the number, and is skipped.
        i2_of(str(u"1,000"), i2(1000)), i2_of(str(u"1,5"), i2(15)), i2_of(str(u"-1,,0.4,9"), i2(-10)),
        i2_of(str(u"12,"), i2(12)));
    for (const char16_t* in : {u"99999", u"32768", u"-32769", u"32767.5", u"1e5", u"&H10000", u"1e999999999999"})
        rows.push_back(fails(str(in), VT_I2, kOverflow));
    for (const char16_t* in : {u"abc", u"", u"   ", u"1 2", u"12abc", u".", u"-", u"1e", u"1e+", u",5", u"-,1", u"&H", u"&HG",
                               u"&O8", u"-&H1", u"1.2.3", u"++1", u"\u0661"})
        rows.push_back(fails(str(in), VT_I2, kMismatch));
    const auto i4_of = to(VT_I4);
    rows.push_back(i4_of(str(u"&HFFFF"), i4(65535)));
    rows.push_back(i4_of(str(u"&HFFFFFFFF"), i4(-1)));
    rows.push_back(i4_of(str(u"-2147483648"), i4(INT32_MIN)));
    for (const char16_t* in : {u"2147483648", u"&H100000000", u"&H1FFFFFFFFFFFFFFFF"})
        rows.push_back(fails(str(in), VT_I4, kOverflow));
    run(rows);
}

TEST(VariantChangeType, ToI4AndError) {
    const auto i4_of = to(VT_I4);
    run(table_of(i4_of(i2(-5), i4(-5)), i4_of(r8(2147483647.4), i4(INT32_MAX)),
                 fails(r8(2147483647.5), VT_I4, kOverflow), fails(r8(-2147483649.0), VT_I4, kOverflow),
                 i4_of(cy(-5000), i4(0)), fails(error(DISP_E_PARAMNOTFOUND), VT_I4, kMismatch),
                 to(VT_ERROR)(i4(7), error(7)), to(VT_ERROR)(error(7), error(7)), fails(i2(7), VT_ERROR, kMismatch),
                 fails(error(7), VT_BSTR, kMismatch), fails(error(7), VT_R8, kMismatch)));
}

TEST(VariantChangeType, ToRealsAndCurrency) {
    const auto r8_of = to(VT_R8), r4_of = to(VT_R4), cy_of = to(VT_CY);
    run(table_of(
        r8_of(str(u"2.5"), r8(2.5)), r8_of(str(u"-0.1"), r8(-0.1)), r8_of(str(u" 1E+20 "), r8(1e20)),
        r8_of(str(u"1e-400"), r8(0)), r8_of(str(u"&H10"), r8(16)),
        r8_of(str(u"1.7976931348623157e308"), r8(1.7976931348623157e308)), fails(str(u"1e309"), VT_R8, kOverflow),
        r8_of(str(u"2,5"), r8(25)), r8_of(str(u"1,000.25"), r8(1000.25)), r8_of(i4(INT32_MIN), r8(-2147483648.0)), r8_of(cy(12345), r8(1.2345)),
        r8_of(boolean(VARIANT_TRUE), r8(-1)), r8_of(r4(0.1f), r8(static_cast<double>(0.1f))),
        r4_of(r8(3.4e38), r4(3.4e38f)), fails(r8(3.5e38), VT_R4, kOverflow), fails(str(u"1e39"), VT_R4, kOverflow),
        r4_of(str(u"0.1"), r4(0.1f)), cy_of(r8(1.5), cy(15000)), cy_of(r8(-0.00005), cy(0)),
        fails(r8(1e15), VT_CY, kOverflow), cy_of(i4(INT32_MAX), cy(21474836470000LL)),
        cy_of(str(u"1.23455"), cy(12346)), cy_of(str(u"1.23445"), cy(12344)),
        cy_of(str(u"922337203685477.5807"), cy(INT64_MAX)), cy_of(str(u"-922337203685477.5808"), cy(INT64_MIN)),
        fails(str(u"922337203685477.5808"), VT_CY, kOverflow),
        // The platform takes no radix literal as currency.
        fails(str(u"&H10"), VT_CY, kOverflow), fails(str(u"&O7"), VT_CY, kOverflow)));
}

// Below the normal range text still reads to the nearest value: a denormal, or zero
// (keeping the sign) once under half the smallest denormal.
TEST(VariantChangeType, TextToRealsBelowTheNormalRange) {
    const auto r8_of = to(VT_R8), r4_of = to(VT_R4);
    constexpr double kDenormal = std::numeric_limits<double>::denorm_min();
    constexpr float kDenormalFloat = std::numeric_limits<float>::denorm_min();
    run(table_of(r8_of(str(u"4.9406564584124654E-324"), r8(kDenormal)), r8_of(str(u"3E-324"), r8(kDenormal)),
                 r8_of(str(u"2E-324"), r8(0)), r8_of(str(u"-2E-324"), r8(-0.0)), r8_of(str(u"-1E-320"), r8(-1e-320)),
                 r8_of(str(u"2.2250738585072014E-308"), r8(std::numeric_limits<double>::min())),
                 r4_of(str(u"1E-45"), r4(kDenormalFloat)), r4_of(str(u"1E-46"), r4(0)),
                 r4_of(str(u"1.17549435E-38"), r4(std::numeric_limits<float>::min())),
                 r4_of(str(u"3.4028235E38"), r4(std::numeric_limits<float>::max()))));
}

TEST(VariantChangeType, BooleansAreMinusOneAndZero) {
    std::vector<Row> rows;
    for (Variant in :
         {i2(5), i4(-1), r8(0.1), cy(1), str(u"True"), str(u" tRUE "), str(u"-1"), str(u"0.5"), str(u"&H1")})
        rows.push_back({std::move(in), VT_BOOL, boolean(VARIANT_TRUE)});
    for (Variant in : {i2(0), r8(0.0), empty(), str(u"false"), str(u"0"), str(u"-0.0")})
        rows.push_back({std::move(in), VT_BOOL, boolean(VARIANT_FALSE)});
    for (const char16_t* in : {u"", u"yes", u"truth", u"#TRUE#"}) rows.push_back(fails(str(in), VT_BOOL, kMismatch));
    rows.push_back(fails(str(u"1e400"), VT_BOOL, kOverflow));  // a number, but none a double holds
    run(rows);
}

TEST(VariantChangeType, NumbersToText) {
    const auto text_of = to(VT_BSTR);
    std::vector<Row> rows = table_of(
        text_of(i2(-32768), str(u"-32768")), text_of(i4(INT32_MAX), str(u"2147483647")), text_of(r8(2.5), str(u"2.5")),
        text_of(r8(0.1), str(u"0.1")), text_of(r8(1e20), str(u"1E+20")), text_of(r8(0.0001), str(u"0.0001")),
        text_of(r8(1e-5), str(u"1E-05")), text_of(r8(-1.0 / 3), str(u"-0.333333333333333")),
        text_of(r8(123456789012345.0), str(u"123456789012345")), text_of(r8(1e15), str(u"1E+15")),
        text_of(r8(-0.0), str(u"0")), text_of(r8(1e300), str(u"1E+300")), text_of(r4(0.1f), str(u"0.1")),
        text_of(r4(1.0f / 3), str(u"0.3333333")), text_of(r4(1e7f), str(u"1E+07")), text_of(cy(12345), str(u"1.2345")),
        text_of(cy(15000), str(u"1.5")), text_of(cy(-5000), str(u"-0.5")), text_of(cy(30000), str(u"3")),
        text_of(cy(INT64_MIN), str(u"-922337203685477.5808")), text_of(boolean(VARIANT_TRUE), str(u"-1")),
        text_of(boolean(VARIANT_FALSE), str(u"0")), text_of(empty(), str(u"")), text_of(str(u"as is"), str(u"as is")),
        text_of(of(VT_BSTR), str(u"")));  // a null string becomes an empty one
    rows.push_back({boolean(VARIANT_TRUE), VT_BSTR, str(u"True"), S_OK, VARIANT_ALPHABOOL});
    rows.push_back({boolean(VARIANT_FALSE), VT_BSTR, str(u"False"), S_OK, VARIANT_ALPHABOOL});
    rows.push_back(fails(null(), VT_BSTR, kMismatch));
    run(rows);
}

// A DATE counts days from 30 December 1899; its time of day is the fraction's size.
TEST(VariantChangeType, DatesAsNumbersAndAsText) {
    const auto date_of = to(VT_DATE), text_of = to(VT_BSTR);
    std::vector<Row> rows = table_of(
        // Numbers within 1 January 100 .. 31 December 9999, and no further.
        date_of(i4(36526), date(36526)), date_of(r8(-657434.5), date(-657434.5)), date_of(empty(), date(0)),
        date_of(boolean(VARIANT_TRUE), date(-1)), date_of(cy(15000), date(1.5)), date_of(date(3e6), date(3e6)),
        fails(r8(2958466), VT_DATE, kOverflow), fails(i4(-657435), VT_DATE, kOverflow),
        fails(r4(3.4e38f), VT_DATE, kOverflow), fails(cy(29584660000LL), VT_DATE, kOverflow),
        fails(null(), VT_DATE, kMismatch), fails(error(5), VT_DATE, kMismatch),
        // Dates as numbers: as doubles.
        to(VT_I2)(date(1.5), i2(2)), to(VT_I4)(date(-1.25), i4(-1)), to(VT_CY)(date(0.5), cy(5000)),
        to(VT_BOOL)(date(0.25), boolean(VARIANT_TRUE)), to(VT_R8)(date(36526.75), r8(36526.75)),
        fails(date(36526), VT_I2, kOverflow),
        // Dates as text: the date alone, the time alone, or both; times to the second.
        text_of(date(0), str(u"12:00:00 AM")), text_of(date(36526), str(u"1/1/2000")),
        text_of(date(36526.75), str(u"1/1/2000 6:00:00 PM")), text_of(date(-1.25), str(u"12/29/1899 6:00:00 AM")),
        text_of(date(0.5), str(u"12:00:00 PM")), text_of(date(1.0 / 86400), str(u"12:00:01 AM")),
        text_of(date(36526.999999), str(u"1/2/2000 12:00:00 AM")), text_of(date(-657434), str(u"1/1/100")),
        text_of(date(36585), str(u"2/29/2000")), fails(date(3e6), VT_BSTR, E_INVALIDARG),
        // Text in those forms as dates.
        date_of(str(u"1/2/2000 6:00:00 PM"), date(36527.75)), date_of(str(u" 12/31/1899 "), date(1)),
        date_of(str(u"12/29/1899 6:00:00 AM"), date(-1.25)), date_of(str(u"6:00 pm"), date(0.75)),
        date_of(str(u"1/2/2000 18:30"), date(36527 + 66600 / 86400.0)), date_of(str(u"12:00:00 AM"), date(0)),
        date_of(str(u"12/31/9999 11:59:59 PM"), date(2958465 + 86399 / 86400.0)));
    for (const char16_t* in : {u"", u"1.5", u"1 2", u"1,000", u"2/30/2000", u"13/1/2000", u"1/2/99", u"1/2/10000",
                               u"25:00", u"12:60", u"0:30 AM", u"1/2/2000 6:00 XM", u"1/2/20006:00", u"1/2/2000 x"})
        rows.push_back(fails(str(in), VT_DATE, kMismatch));
    run(rows);
}

TEST(VariantChangeType, NullEmptyAndTypeChecks) {
    std::vector<Row> rows =
        table_of(to(VT_NULL)(null(), null()), to(VT_EMPTY)(null(), empty()), to(VT_EMPTY)(str(u"x"), empty()),
                 fails(i4(1), VT_NULL, kMismatch), fails(empty(), VT_NULL, kMismatch),
                 to(VT_DISPATCH)(empty(), dispatch(nullptr)), fails(i4(1), VT_DISPATCH, kMismatch),
                 fails(i4(1), VT_BYREF | VT_I4, kMismatch), fails(i4(1), VT_DECIMAL, E_NOTIMPL),
                 fails(of(VT_I8), VT_I4, E_NOTIMPL), fails(of(15), VT_I4, DISP_E_BADVARTYPE));
    for (int bad : {15, VT_VECTOR | VT_I4, int{VT_VOID}, 0x0fff, VT_ARRAY | VT_EMPTY, VT_RESERVED | VT_I2})
        rows.push_back(fails(i4(1), static_cast<VARTYPE>(bad), DISP_E_BADVARTYPE));
    run(rows);

    Variant v = i4(1);
    EXPECT_EQ(status(VariantChangeType(nullptr, v.get(), 0, VT_I2)), status(E_INVALIDARG));
    EXPECT_EQ(status(VariantChangeType(v.get(), nullptr, 0, VT_I2)), status(E_INVALIDARG));
}

TEST(VariantChangeType, ReferencesAreReadThroughAndLeftAlone) {
    LONG big = 40000;
    SHORT small = -3;
    comrt::Bstr text(u" 42 ");
    BSTR raw = text.get();
    Variant inner = r8(2.5);
    run(table_of(fails(ref(VT_I4, &big), VT_I2, kOverflow), to(VT_BSTR)(ref(VT_I4, &big), str(u"40000")),
                 to(VT_R8)(ref(VT_I2, &small), r8(-3)), to(VT_I4)(ref(VT_BSTR, &raw), i4(42)),
                 to(VT_I2)(ref(VT_VARIANT, inner.get()), i2(2)), fails(ref(VT_I4, nullptr), VT_I2, E_INVALIDARG),
                 fails(ref(VT_EMPTY, &big), VT_I2, DISP_E_BADVARTYPE)));
    EXPECT_EQ(big, 40000);
    EXPECT_EQ(raw, text.get());
    EXPECT_EQ(comrt::to_utf8(text.view()), " 42 ");
    EXPECT_EQ(describe(*inner.get()), "R8 2.5");
}

TEST(VariantChangeType, ArraysCopyToTheirOwnTypeOnly) {
    SAFEARRAY* psa = SafeArrayCreateVector(VT_I4, 1, 3);
    ASSERT_NE(psa, nullptr);
    Variant array = of(VT_ARRAY | VT_I4, psa);
    LONG index = 3, value = 30;
    ASSERT_EQ(SafeArrayPutElement(psa, &index, &value), S_OK);

    Variant byref = ref(VT_ARRAY | VT_I4, &psa);
    for (const Variant* source : {&array, &byref}) {
        Variant copy;
        ASSERT_EQ(status(VariantChangeType(copy.get(), source->get(), 0, VT_ARRAY | VT_I4)), status(S_OK));
        ASSERT_EQ(copy.vt(), VT_ARRAY | VT_I4);
        EXPECT_NE(copy->parray, psa);
        value = 0;
        ASSERT_EQ(SafeArrayGetElement(copy->parray, &index, &value), S_OK);
        EXPECT_EQ(value, 30);
    }
    run(table_of(fails(Variant(array), VT_ARRAY | VT_I2, kMismatch), fails(Variant(array), VT_I4, kMismatch),
                 fails(i4(1), VT_ARRAY | VT_I4, kMismatch)));
}

// An object whose default value (DISPID_VALUE, property get, no arguments) is a given
// variant, or a given failure; it records the calls it receives.
class ValueObject final : public pg_testing::no_dispatch<comrt::implements<ValueObject, IDispatch>> {
public:
    ValueObject(Variant value, HRESULT result = S_OK) : value_(std::move(value)), result_(result) {}
    int calls = 0;
    LCID lcid = 0;

    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID lc, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO*, UINT*) noexcept override {
        ++calls;
        lcid = lc;
        if (id != DISPID_VALUE || riid != IID_NULL || flags != DISPATCH_PROPERTYGET || !params || params->cArgs != 0 ||
            !result)
            return DISP_E_MEMBERNOTFOUND;
        return FAILED(result_) ? result_ : VariantCopy(result, value_.get());
    }

private:
    Variant value_;
    HRESULT result_;
};

class PlainObject final : public comrt::implements<PlainObject, IPlain> {};

TEST(VariantChangeType, ObjectsConvertThroughTheirDefaultValue) {
    {
        auto number = comrt::make<ValueObject>(i4(40000));
        auto text = comrt::make<ValueObject>(str(u" 12 "));
        auto nested = comrt::make<ValueObject>(dispatch(text.get()));
        auto missing = comrt::make<ValueObject>(Variant(), DISP_E_MEMBERNOTFOUND);
        auto throwing = comrt::make<ValueObject>(Variant(), DISP_E_EXCEPTION);
        auto plain = comrt::make<PlainObject>();

        run(table_of(fails(dispatch(number.get()), VT_I2, kOverflow),
                     to(VT_BSTR)(dispatch(number.get()), str(u"40000")), to(VT_I2)(dispatch(text.get()), i2(12)),
                     to(VT_R8)(dispatch(nested.get()), r8(12)), fails(dispatch(missing.get()), VT_I2, kMismatch),
                     fails(dispatch(throwing.get()), VT_BSTR, DISP_E_EXCEPTION),
                     fails(dispatch(nullptr), VT_I2, kMismatch), to(VT_EMPTY)(dispatch(number.get()), empty()),
                     to(VT_DISPATCH)(dispatch(text.get()), dispatch(text.get())),
                     to(VT_DISPATCH)(unknown(text.get()), dispatch(text.get())),
                     fails(unknown(plain.get()), VT_DISPATCH, kMismatch), fails(unknown(plain.get()), VT_I4, kMismatch),
                     to(VT_UNKNOWN)(dispatch(nullptr), unknown(nullptr))));

        // A dispatch object as IUnknown is its identity.
        Variant out, in = dispatch(text.get());
        ASSERT_EQ(status(VariantChangeType(out.get(), in.get(), 0, VT_UNKNOWN)), status(S_OK));
        EXPECT_EQ(out->punkVal, static_cast<IUnknown*>(text.get()));

        // VARIANT_NOVALUEPROP: no call at all. Without it, the locale reaches the call.
        const int before = text->calls;
        EXPECT_EQ(status(VariantChangeType(out.get(), in.get(), VARIANT_NOVALUEPROP, VT_BSTR)), status(kMismatch));
        EXPECT_EQ(text->calls, before);
        ASSERT_EQ(status(VariantChangeTypeEx(out.get(), in.get(), 0x0409, 0, VT_BSTR)), status(S_OK));
        EXPECT_EQ(text->lcid, 0x0409U);
    }
    // Every reference taken during the conversions was given back.
    EXPECT_EQ(comrt::module::count().load(), 0);
}

}  // namespace
