// PropertiesCtl as a late-bound host drives it: IDispatch by name, arguments coerced to
// the declared types, failures as DISP_E_EXCEPTION carrying the run-time error.
#include <gmock/gmock.h>

#include <testing/late_binding.h>

#include "control_fixture.h"

namespace orvane::testing {
namespace {

using pg_testing::Args;
using pg_testing::Call;
using pg_testing::I4;
using pg_testing::Object;
using pg_testing::Outcome;
using pg_testing::UI4;

class OrvaneDispatchTest : public ControlFixture {
protected:
    void SetUp() override {
        ControlFixture::SetUp();
        Start();
    }
    DISPID IdOf(const char16_t* name) {
        HRESULT hr = E_UNEXPECTED;
        const DISPID id = pg_testing::DispatchId(ctl.get(), name, &hr);
        EXPECT_EQ(Hex(S_OK), Hex(hr)) << Printable(name);
        return id;
    }
};

TEST_F(OrvaneDispatchTest, NamesMapToTheirDispatchIds) {
    const std::pair<const char16_t*, DISPID> rows[] = {
        {u"AddPropertyGroup", 0x60030008}, {u"Clear", 0x60030009},     {u"SelectPropertyGroup", 0x6003000A},
        {u"ChangeCellText", 0x60030010},   {u"ComboInit", 0x60030011}, {u"BackColor", 0x68030002},
        {u"ForeColor", 0x68030001},        {u"font", 0x68030000},
    };
    for (const auto& [name, id] : rows) EXPECT_EQ(Hex(id), Hex(IdOf(name))) << Printable(name);
}

TEST_F(OrvaneDispatchTest, AddAndSelectByNameShowTheGroup) {
    comrt::ComPtr<_clsTessel> first = MakeGroup(u"First", 1), second = MakeGroup(u"Second", 2);
    for (const auto& group : {first, second}) {
        const Outcome added = Call(ctl.get(), u"AddPropertyGroup", DISPATCH_METHOD, {Object(group.get())});
        ASSERT_EQ(Hex(S_OK), Hex(added.hr));
        EXPECT_EQ(VT_EMPTY, added.result.vt());
    }
    const Outcome selected = Call(ctl.get(), u"SelectPropertyGroup", DISPATCH_METHOD, {I4(1)});
    ASSERT_EQ(Hex(S_OK), Hex(selected.hr));
    EXPECT_EQ(VT_EMPTY, selected.result.vt());
    EXPECT_THAT(GridRows(), ::testing::ElementsAre("Second.Name1=Second.Value1", "Second.Name2=Second.Value2"));
    EXPECT_EQ(impl().current_group(), second);

    EXPECT_EQ(Hex(DISP_E_OVERFLOW), Hex(Call(ctl.get(), u"SelectPropertyGroup", DISPATCH_METHOD, {I4(40000)}).hr));
}

TEST_F(OrvaneDispatchTest, FailuresArriveAsRunTimeErrors) {
    const Outcome no_group = Call(ctl.get(), u"AddPropertyGroup", DISPATCH_METHOD, {Object(nullptr)});
    EXPECT_EQ(Hex(DISP_E_EXCEPTION), Hex(no_group.hr));
    EXPECT_EQ(Hex(kObjectNotSet), Hex(no_group.info.scode));
    const Outcome negative = Call(ctl.get(), u"SelectPropertyGroup", DISPATCH_METHOD, {I4(-1)});
    EXPECT_EQ(Hex(DISP_E_EXCEPTION), Hex(negative.hr));
    EXPECT_EQ(Hex(kSubscript), Hex(negative.info.scode));
}

TEST_F(OrvaneDispatchTest, BackColorPutAndGetByName) {
    // OLE_COLOR is unsigned (VT_UI4); a system colour keeps its high bit.
    for (auto [flags, value] : {std::pair<WORD, ULONG>{DISPATCH_PROPERTYPUT, 0x00204080},
                                {DISPATCH_PROPERTYPUTREF, 0x80000005}}) {
        ASSERT_EQ(Hex(S_OK), Hex(Call(ctl.get(), u"BackColor", flags, Args::put(UI4(value))).hr)) << flags;
        EXPECT_EQ(value, fakes.grid->back_color());
        const Outcome got = Call(ctl.get(), u"BackColor", DISPATCH_PROPERTYGET);
        ASSERT_EQ(Hex(S_OK), Hex(got.hr));
        ASSERT_EQ(VT_UI4, got.result.vt());
        EXPECT_EQ(value, got.result->ulVal);
    }
    EXPECT_EQ(2u, site->changed.size());
}

TEST_F(OrvaneDispatchTest, ColoursGivenAsSignedIntegersKeepTheirBits) {
    // Hosts that hold colours in 32-bit signed integers pass system colours as negative
    // numbers; the control must receive the same 32 bits.
    ASSERT_EQ(Hex(S_OK),
              Hex(Call(ctl.get(), u"ForeColor", DISPATCH_PROPERTYPUT, Args::put(I4(static_cast<LONG>(0x80000008u)))).hr));
    EXPECT_EQ(0x80000008u, fakes.grid->fore_color());
    const Outcome got = Call(ctl.get(), u"ForeColor", DISPATCH_PROPERTYGET);
    ASSERT_EQ(Hex(S_OK), Hex(got.hr));
    EXPECT_EQ(0x80000008u, got.result->ulVal);
}

TEST_F(OrvaneDispatchTest, EditsAreCommittedCancelledAndSeenByNameThroughTheirOwnInterface) {
    comrt::ComPtr<IPropertiesEditing> editing;
    ASSERT_EQ(Hex(S_OK), Hex(ctl->QueryInterface(IID_IPropertiesEditing, editing.put_void())));
    const std::pair<const char16_t*, DISPID> ids[] = {
        {u"CommitEdit", 0x60040000}, {u"CancelEdit", 0x60040001}, {u"EditPending", 0x68040002}, {u"RefreshValues", 0x60040003}};
    for (const auto& [name, id] : ids) EXPECT_EQ(Hex(id), Hex(pg_testing::DispatchId(editing.get(), name))) << Printable(name);

    comrt::ComPtr<_clsTessel> group = MakeGroup(u"G", 2);
    ASSERT_EQ(Hex(S_OK), Hex(Call(ctl.get(), u"AddPropertyGroup", DISPATCH_METHOD, {Object(group.get())}).hr));
    ASSERT_EQ(Hex(S_OK), Hex(Call(ctl.get(), u"SelectPropertyGroup", DISPATCH_METHOD, {I4(0)}).hr));
    auto pending = [&] {
        const Outcome got = Call(editing.get(), u"EditPending", DISPATCH_PROPERTYGET);
        EXPECT_EQ(Hex(S_OK), Hex(got.hr));
        EXPECT_EQ(VT_BOOL, got.result.vt());
        return got.result->boolVal == VARIANT_TRUE;
    };

    fakes.grid->user_click(1, 1);
    EXPECT_FALSE(pending()) << "an editor with nothing typed";
    fakes.text_editor->user_type(u"typed");
    EXPECT_TRUE(pending());
    ASSERT_EQ(Hex(S_OK), Hex(Call(editing.get(), u"CommitEdit", DISPATCH_METHOD).hr));
    EXPECT_FALSE(pending());
    EXPECT_EQ(u"typed", ItemValue(*group, 2));

    fakes.grid->user_click(0, 1);
    fakes.text_editor->user_type(u"dropped");
    ASSERT_EQ(Hex(S_OK), Hex(Call(editing.get(), u"CancelEdit", DISPATCH_METHOD).hr));
    EXPECT_FALSE(pending());
    EXPECT_EQ(u"G.Value1", ItemValue(*group, 1));

    // A value the host put into an item shows after RefreshValues.
    comrt::Bstr host_value(u"from the host");
    ASSERT_EQ(Hex(S_OK), Hex(ItemAt(*group, 1)->put_ItemValue(host_value.get())));
    ASSERT_EQ(Hex(S_OK), Hex(Call(editing.get(), u"RefreshValues", DISPATCH_METHOD).hr));
    EXPECT_EQ(u"from the host", fakes.grid->cell_text(0, 1));
    EXPECT_EQ(Hex(DISP_E_BADPARAMCOUNT), Hex(Call(editing.get(), u"CommitEdit", DISPATCH_METHOD, {I4(1)}).hr));
}

}  // namespace
}  // namespace orvane::testing
