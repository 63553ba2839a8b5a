// Late-bound calls: arguments reach the member in their natural order, a put names its
// value, a name the object does not know fails before Invoke, and a failing member's
// EXCEPINFO comes back readable (and freed: the sanitizer build checks that).
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include <comrt/objbase.h>
#include <tessel/tessel.h>
#include <testing/groups.h>
#include <testing/late_binding.h>
#include <testing/registry_fixture.h>
#include <testing/text.h>

namespace {

using namespace pg_testing;

class LateBinding : public TemporaryRegistryTest {
protected:
    void SetUp() override {
        TemporaryRegistryTest::SetUp();
        ASSERT_EQ(Hex(registry_.add(TESSEL_LIBRARY)), Hex(S_OK)) << registry_.failure();
        group = NewGroup();
    }
    void TearDown() override {
        group = nullptr;
        CoFreeUnusedLibraries();
    }
    comrt::ComPtr<_clsTessel> group;
};

TEST_F(LateBinding, ArgumentsArriveInTheirNaturalOrder) {
    const comrt::SafeArrayPtr choices = StringArray(0, {u"x", u"y"});
    const Outcome added = Call(group.get(), u"AddItem", DISPATCH_METHOD,
                               {Text(u"Name"), Text(u"y"), I2(1), Array(VT_BSTR, choices.get())});
    ASSERT_EQ(Hex(added.hr), Hex(S_OK));
    EXPECT_EQ(added.result.vt(), VT_I4);
    EXPECT_EQ(ItemTexts(*group), (std::vector<std::pair<std::u16string, std::u16string>>{{u"Name", u"y"}}));
    SHORT upper = -1;
    ASSERT_EQ(S_OK, ItemAt(*group, 1)->Count(&upper));
    EXPECT_EQ(upper, 1) << "the array went by value, whole";

    const Outcome put = Call(group.get(), u"PropertyGroupName", DISPATCH_PROPERTYPUT, Args::put(Text(u"Late")));
    ASSERT_EQ(Hex(put.hr), Hex(S_OK));
    const Outcome got = Call(group.get(), u"propertygroupname", DISPATCH_PROPERTYGET);
    ASSERT_EQ(Hex(got.hr), Hex(S_OK));
    ASSERT_EQ(got.result.vt(), VT_BSTR);
    EXPECT_EQ(Printable(got.result->bstrVal), "Late");

    Args by_id{};
    const DISPID clear = DispatchId(group.get(), u"Clear");
    EXPECT_EQ(Hex(Invoke(group.get(), clear, DISPATCH_METHOD, by_id).hr), Hex(S_OK));
    EXPECT_EQ(ItemCount(*group), 0);
}

TEST_F(LateBinding, AnUnknownNameFailsWithoutACall) {
    HRESULT hr = S_OK;
    EXPECT_EQ(DispatchId(group.get(), u"NoSuchMember", &hr), DISPID_UNKNOWN);
    EXPECT_EQ(Hex(hr), Hex(DISP_E_UNKNOWNNAME));
    const Outcome out = Call(group.get(), u"NoSuchMember", DISPATCH_METHOD, {I4(1)});
    EXPECT_EQ(Hex(out.hr), Hex(DISP_E_UNKNOWNNAME));
    EXPECT_EQ(out.result.vt(), VT_EMPTY);
}

TEST_F(LateBinding, AFailingMemberLeavesItsExceptionInformation) {
    AddItem(*group, {u"Plain", u"text"});
    const comrt::ComPtr<IDispatch> item = ItemAt(*group, 1).as<IDispatch>();
    Outcome failed = Call(item.get(), u"GetItem", DISPATCH_METHOD, {I2(0)});  // no list
    EXPECT_EQ(Hex(failed.hr), Hex(DISP_E_EXCEPTION));
    EXPECT_EQ(Hex(failed.info.scode), Hex(comrt::runtime_hresult(comrt::runtime_error::subscript_out_of_range)));
    EXPECT_EQ(Printable(failed.info.bstrDescription), "Subscript out of range");

    const Outcome moved = std::move(failed);
    EXPECT_EQ(Printable(moved.info.bstrDescription), "Subscript out of range");
    EXPECT_EQ(failed.info.bstrDescription, nullptr) << "moved, not shared";
}

TEST(Args, HoldTheArgumentsReversedWithTheNamedOnesFirst) {
    Args args{I4(1), I4(2), I4(3)};
    const DISPPARAMS* params = args.params();
    ASSERT_EQ(params->cArgs, 3u);
    EXPECT_EQ(params->cNamedArgs, 0u);
    EXPECT_EQ(params->rgvarg[0].lVal, 3);
    EXPECT_EQ(params->rgvarg[2].lVal, 1);

    Args put = Args::put(Text(u"value"), {I4(7)});
    params = put.params();
    ASSERT_EQ(params->cArgs, 2u);
    ASSERT_EQ(params->cNamedArgs, 1u);
    EXPECT_EQ(params->rgdispidNamedArgs[0], DISPID_PROPERTYPUT);
    EXPECT_EQ(params->rgvarg[0].vt, VT_BSTR) << "the named value first";
    EXPECT_EQ(params->rgvarg[1].lVal, 7);

    Args none{};
    EXPECT_EQ(none.params()->cArgs, 0u);
    EXPECT_EQ(none.params()->rgvarg, nullptr);
}

}  // namespace
