// PropertiesCtl as a late-bound host drives it: IDispatch by name, arguments coerced to
// the declared types, failures as DISP_E_EXCEPTION carrying the run-time error.
#include <gmock/gmock.h>

#include "control_fixture.h"

namespace orvane::testing {
namespace {

comrt::Variant Arg(VARTYPE vt, ULONG value, IDispatch* object = nullptr) {
    comrt::Variant v;
    v->vt = vt;
    if (vt == VT_DISPATCH) {
        v->pdispVal = object;
        if (object) object->AddRef();
    } else {
        v->ulVal = value;
    }
    return v;
}

class OrvaneDispatchTest : public ControlFixture {
protected:
    void SetUp() override {
        ControlFixture::SetUp();
        Start();
    }
    DISPID IdOf(const char16_t* name) {
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        DISPID id = DISPID_UNKNOWN;
        EXPECT_EQ(S_OK, ctl->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id)) << Printable(name);
        return id;
    }
    // A member by name with one argument or none; a put passes it as DISPID_PROPERTYPUT.
    HRESULT Call(const char16_t* name, WORD flags, comrt::Variant* arg, VARIANT* result = nullptr) {
        DISPID put_id = DISPID_PROPERTYPUT;
        const bool put = flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF);
        DISPPARAMS params{arg ? arg->get() : nullptr, put ? &put_id : nullptr, arg ? 1u : 0u, put ? 1u : 0u};
        EXCEPINFO info{};
        const HRESULT hr = ctl->Invoke(IdOf(name), IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, &info, nullptr);
        scode = info.scode;
        SysFreeString(info.bstrSource);
        SysFreeString(info.bstrDescription);
        SysFreeString(info.bstrHelpFile);
        return hr;
    }
    SCODE scode = S_OK;
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
        comrt::Variant arg = Arg(VT_DISPATCH, 0, group.get()), result;
        ASSERT_EQ(S_OK, Call(u"AddPropertyGroup", DISPATCH_METHOD, &arg, result.get()));
        EXPECT_EQ(VT_EMPTY, result.vt());
    }
    comrt::Variant index = Arg(VT_I4, 1), result;
    ASSERT_EQ(S_OK, Call(u"SelectPropertyGroup", DISPATCH_METHOD, &index, result.get()));
    EXPECT_EQ(VT_EMPTY, result.vt());
    EXPECT_THAT(GridRows(), ::testing::ElementsAre("Second.Name1=Second.Value1", "Second.Name2=Second.Value2"));
    EXPECT_EQ(impl().current_group(), second);

    comrt::Variant too_big = Arg(VT_I4, 40000);
    EXPECT_EQ(Hex(DISP_E_OVERFLOW), Hex(Call(u"SelectPropertyGroup", DISPATCH_METHOD, &too_big)));
}

TEST_F(OrvaneDispatchTest, FailuresArriveAsRunTimeErrors) {
    comrt::Variant no_group = Arg(VT_DISPATCH, 0, nullptr);
    EXPECT_EQ(Hex(DISP_E_EXCEPTION), Hex(Call(u"AddPropertyGroup", DISPATCH_METHOD, &no_group)));
    EXPECT_EQ(Hex(kObjectNotSet), Hex(scode));
    comrt::Variant negative = Arg(VT_I4, static_cast<ULONG>(-1));
    EXPECT_EQ(Hex(DISP_E_EXCEPTION), Hex(Call(u"SelectPropertyGroup", DISPATCH_METHOD, &negative)));
    EXPECT_EQ(Hex(kSubscript), Hex(scode));
}

TEST_F(OrvaneDispatchTest, BackColorPutAndGetByName) {
    // OLE_COLOR is unsigned (VT_UI4); a system colour keeps its high bit.
    for (auto [flags, value] : {std::pair<WORD, ULONG>{DISPATCH_PROPERTYPUT, 0x00204080},
                                {DISPATCH_PROPERTYPUTREF, 0x80000005}}) {
        comrt::Variant colour = Arg(VT_UI4, value), got;
        ASSERT_EQ(S_OK, Call(u"BackColor", flags, &colour)) << flags;
        EXPECT_EQ(value, fakes.grid->back_color());
        ASSERT_EQ(S_OK, Call(u"BackColor", DISPATCH_PROPERTYGET, nullptr, got.get()));
        ASSERT_EQ(VT_UI4, got.vt());
        EXPECT_EQ(value, got->ulVal);
    }
    EXPECT_EQ(2u, fakes.surface->changed_properties().size());
}

TEST_F(OrvaneDispatchTest, ColoursGivenAsSignedIntegersKeepTheirBits) {
    // Hosts that hold colours in 32-bit signed integers pass system colours as negative
    // numbers; the control must receive the same 32 bits.
    comrt::Variant colour = Arg(VT_I4, 0x80000008u), got;
    ASSERT_EQ(S_OK, Call(u"ForeColor", DISPATCH_PROPERTYPUT, &colour));
    EXPECT_EQ(0x80000008u, fakes.grid->fore_color());
    ASSERT_EQ(S_OK, Call(u"ForeColor", DISPATCH_PROPERTYGET, nullptr, got.get()));
    EXPECT_EQ(0x80000008u, got->ulVal);
}

}  // namespace
}  // namespace orvane::testing
