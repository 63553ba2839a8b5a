#include <gtest/gtest.h>

#include "dispatch_support.h"
#include "probe_object.h"

#include <tests/support/dispatch_stub.h>

namespace {

using namespace dispatch_support;
using probe::Probe;

class DispatchTest : public ::testing::Test {
protected:
    comrt::ComPtr<Probe> object = comrt::make<Probe>();
    IDispatch* disp() { return static_cast<IDispatch*>(object.get()); }
    int calls(const char* name) { return object->calls[name]; }
    int total_calls() {
        int total = 0;
        for (const auto& [name, count] : object->calls) total += count;
        return total;
    }
    // Invokes on a fresh probe.
    void fresh_invoke(DISPID id, WORD flags, Args& args, Outcome& out) {
        object = comrt::make<Probe>();
        invoke(disp(), id, flags, args, out);
    }
};

TEST_F(DispatchTest, NamesMatchWithoutRegardToCase) {
    const struct {
        const char16_t* name;
        DISPID id;
    } rows[] = {{u"Label", probe::kLabel}, {u"LABEL", probe::kLabel}, {u"sCaLe", probe::kScale},
                {u"partner", probe::kPartner}, {u"Labels", DISPID_UNKNOWN}, {u"", DISPID_UNKNOWN}};
    for (const auto& row : rows) {
        LPOLESTR names[] = {const_cast<LPOLESTR>(row.name)};
        DISPID id = 12345;
        const HRESULT expected = row.id == DISPID_UNKNOWN ? DISP_E_UNKNOWNNAME : S_OK;
        EXPECT_EQ(hex(disp()->GetIDsOfNames(IID_NULL, names, 1, 0, &id)), hex(expected)) << utf8(row.name);
        EXPECT_EQ(id, row.id) << utf8(row.name);
    }
    // Parameter names give positions; an unknown one does not hide the others.
    LPOLESTR with_params[] = {const_cast<LPOLESTR>(u"describe"), const_cast<LPOLESTR>(u"VEXTRA"),
                              const_cast<LPOLESTR>(u"bogus"), const_cast<LPOLESTR>(u"sName")};
    DISPID ids[4] = {7, 7, 7, 7};
    EXPECT_EQ(hex(disp()->GetIDsOfNames(IID_NULL, with_params, 4, 0, ids)), hex(DISP_E_UNKNOWNNAME));
    EXPECT_EQ(std::vector<DISPID>(ids, ids + 4), (std::vector<DISPID>{probe::kDescribe, 1, DISPID_UNKNOWN, 0}));
    EXPECT_EQ(hex(disp()->GetIDsOfNames(IID_IUnknown, with_params, 1, 0, ids)), hex(DISP_E_UNKNOWNINTERFACE));
}

TEST_F(DispatchTest, OneTypeInfoAtIndexZero) {
    UINT count = 0;
    EXPECT_EQ(disp()->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 1u);
    ITypeInfo* poisoned = reinterpret_cast<ITypeInfo*>(0x1);
    EXPECT_EQ(hex(disp()->GetTypeInfo(1, 0, &poisoned)), hex(DISP_E_BADINDEX));
    EXPECT_EQ(poisoned, nullptr);
    comrt::ComPtr<ITypeInfo> info;
    ASSERT_EQ(hex(disp()->GetTypeInfo(0, 0, info.put())), hex(S_OK));
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
    EXPECT_EQ(attr->guid, IID__clsProbe);
    info->ReleaseTypeAttr(attr);
}

TEST_F(DispatchTest, FlagsSelectTheMemberOfThatKind) {
    const struct {
        const char* what;
        DISPID id;
        WORD flags;
        HRESULT expected;
        const char* reached;
    } rows[] = {
        {"get", probe::kLabel, DISPATCH_PROPERTYGET, S_OK, "get_Label"},
        {"method|get on a get", probe::kLabel, DISPATCH_METHOD | DISPATCH_PROPERTYGET, S_OK, "get_Label"},
        {"method|get on a method", probe::kScale, DISPATCH_METHOD | DISPATCH_PROPERTYGET, S_OK, "Scale"},
        {"method on a get", probe::kLabel, DISPATCH_METHOD, DISP_E_MEMBERNOTFOUND, nullptr},
        {"get on a method", probe::kScale, DISPATCH_PROPERTYGET, DISP_E_MEMBERNOTFOUND, nullptr},
        {"put", probe::kLevel, DISPATCH_PROPERTYPUT, S_OK, "put_Level"},
        {"putref on a put", probe::kLevel, DISPATCH_PROPERTYPUTREF, DISP_E_MEMBERNOTFOUND, nullptr},
        {"putref", probe::kPartner, DISPATCH_PROPERTYPUTREF, S_OK, "putref_Partner"},
        {"put where only putref is described", probe::kPartner, DISPATCH_PROPERTYPUT, DISP_E_MEMBERNOTFOUND, nullptr},
        {"put on read-only", probe::kTint, DISPATCH_PROPERTYPUT, DISP_E_MEMBERNOTFOUND, nullptr},
        {"unknown id", 0x1234, DISPATCH_METHOD | DISPATCH_PROPERTYGET, DISP_E_MEMBERNOTFOUND, nullptr},
    };
    for (const auto& row : rows) {
        const bool put = row.flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF);
        Args args = put ? Args::put(row.id == probe::kPartner ? obj(nullptr) : i2(1))
                        : row.id == probe::kScale ? Args{i2(6), i4(7)} : Args{};
        Outcome out;
        fresh_invoke(row.id, row.flags, args, out);
        EXPECT_EQ(hex(out.hr), hex(row.expected)) << row.what;
        EXPECT_EQ(total_calls(), row.reached ? 1 : 0) << row.what;
        if (row.reached) {
            EXPECT_EQ(calls(row.reached), 1) << row.what;
        }
    }
    Args args{};
    EXPECT_EQ(hex(disp()->Invoke(probe::kLabel, IID_IDispatch, 0, DISPATCH_PROPERTYGET, args.params(), nullptr,
                                 nullptr, nullptr)),
              hex(DISP_E_UNKNOWNINTERFACE));
    EXPECT_EQ(hex(disp()->Invoke(probe::kLabel, IID_NULL, 0, DISPATCH_PROPERTYGET, nullptr, nullptr, nullptr,
                                 nullptr)),
              hex(E_INVALIDARG));
}

TEST_F(DispatchTest, InvokeReachesTheMemberAVtableCallerReaches) {
    _clsProbe* direct = object.get();
    ASSERT_EQ(direct->put_Level(3), S_OK);
    Args args = Args::put(i2(4));
    Outcome out;
    invoke(disp(), probe::kLevel, DISPATCH_PROPERTYPUT, args, out);
    ASSERT_EQ(hex(out.hr), hex(S_OK));
    EXPECT_EQ(calls("put_Level"), 2);
    SHORT level = 0;
    ASSERT_EQ(direct->get_Level(&level), S_OK);
    EXPECT_EQ(level, 4);
}

TEST_F(DispatchTest, PutNeedsTheNamedPropertyPutArgument) {
    const struct {
        const char* what;
        Args (*make)();
        HRESULT expected;
    } rows[] = {
        {"named value", [] { return Args::put(text(u"new")); }, S_OK},
        {"positional value only", [] { return Args{text(u"new")}; }, DISP_E_PARAMNOTOPTIONAL},
        {"no argument", [] { return Args{}; }, DISP_E_BADPARAMCOUNT},
        {"extra positional", [] { return Args::put(text(u"new"), {i4(1)}); }, DISP_E_BADPARAMCOUNT},
    };
    for (const auto& row : rows) {
        Args args = row.make();
        Outcome out;
        fresh_invoke(probe::kLabel, DISPATCH_PROPERTYPUT, args, out);
        EXPECT_EQ(hex(out.hr), hex(row.expected)) << row.what;
        EXPECT_EQ(utf8(object->label.view()), row.expected == S_OK ? "new" : "") << row.what;
    }
}

// An object that is not a probe.
using Stranger = test_support::PlainDispatch;

TEST_F(DispatchTest, ObjectArgumentsAreQueriedForTheDeclaredInterface) {
    comrt::ComPtr<Probe> other = comrt::make<Probe>();
    Args args = Args::put(obj(static_cast<IDispatch*>(other.get())));
    Outcome out;
    invoke(disp(), probe::kPartner, DISPATCH_PROPERTYPUTREF, args, out);
    ASSERT_EQ(hex(out.hr), hex(S_OK));
    Args get{};
    Outcome got;
    invoke(disp(), probe::kPartner, DISPATCH_PROPERTYGET, get, got);
    ASSERT_EQ(got.result.vt(), VT_DISPATCH);
    EXPECT_EQ(got.result->pdispVal, static_cast<IDispatch*>(other.get()));

    comrt::ComPtr<Stranger> stranger = comrt::make<Stranger>();
    Args wrong = Args::put(obj(stranger.get()));
    Outcome refused;
    invoke(disp(), probe::kPartner, DISPATCH_PROPERTYPUTREF, wrong, refused);
    EXPECT_EQ(hex(refused.hr), hex(DISP_E_TYPEMISMATCH));
    EXPECT_EQ(refused.arg_err, 0u);
    EXPECT_EQ(calls("putref_Partner"), 1);

    Args nothing = Args::put(obj(nullptr));
    Outcome cleared;
    invoke(disp(), probe::kPartner, DISPATCH_PROPERTYPUTREF, nothing, cleared);
    EXPECT_EQ(hex(cleared.hr), hex(S_OK));
    EXPECT_EQ(object->partner.get(), nullptr);
}

TEST_F(DispatchTest, ByValueArgumentsAreCoercedBeforeTheCall) {
    const struct {
        const char* what;
        Args (*make)();  // Scale(SHORT nBy, LONG nTotal)
        HRESULT expected;
        UINT arg_err;  // index in rgvarg: 1 is nBy, 0 is nTotal
        LONG result;
    } rows[] = {
        {"I4 32767 for SHORT", [] { return Args{i4(32767), i2(2)}; }, S_OK, 0, 65534},
        {"I4 -32768 for SHORT", [] { return Args{i4(-32768), i4(1)}; }, S_OK, 0, -32768},
        {"I4 32768 for SHORT", [] { return Args{i4(32768), i4(1)}; }, DISP_E_OVERFLOW, 1, 0},
        {"I4 -32769 for SHORT", [] { return Args{i4(-32769), i4(1)}; }, DISP_E_OVERFLOW, 1, 0},
        {"R8 too big for LONG", [] { return Args{i2(1), r8(3e10)}; }, DISP_E_OVERFLOW, 0, 0},
        {"numeric text", [] { return Args{text(u"12"), r8(3.0)}; }, S_OK, 0, 36},
        {"text that is no number", [] { return Args{text(u"twelve"), i4(1)}; }, DISP_E_TYPEMISMATCH, 1, 0},
    };
    for (const auto& row : rows) {
        Args args = row.make();
        Outcome out;
        fresh_invoke(probe::kScale, DISPATCH_METHOD, args, out);
        EXPECT_EQ(hex(out.hr), hex(row.expected)) << row.what;
        EXPECT_EQ(calls("Scale"), row.expected == S_OK ? 1 : 0) << row.what;
        if (row.expected == S_OK) {
            EXPECT_EQ(out.result.vt(), VT_I4) << row.what;
            EXPECT_EQ(out.result->lVal, row.result) << row.what;
        } else {
            EXPECT_EQ(out.arg_err, row.arg_err) << row.what;
        }
    }
    // The same for a put's value: the property keeps its value.
    object->level = 5;
    Args args = Args::put(i4(40000));
    Outcome out;
    invoke(disp(), probe::kLevel, DISPATCH_PROPERTYPUT, args, out);
    EXPECT_EQ(hex(out.hr), hex(DISP_E_OVERFLOW));
    EXPECT_EQ(out.arg_err, 0u);
    EXPECT_EQ(object->level, 5);
}

TEST_F(DispatchTest, ByRefArgumentsOfTheDeclaredTypeReachTheMember) {
    BSTR left = SysAllocString(u"left");
    BSTR right = SysAllocString(u"right");
    Args swap{ref(VT_BSTR, &left), ref(VT_BSTR, &right)};
    Outcome swapped;
    invoke(disp(), probe::kSwap, DISPATCH_METHOD, swap, swapped);
    EXPECT_EQ(hex(swapped.hr), hex(S_OK));
    EXPECT_EQ(utf8(left) + "," + utf8(right), "right,left");
    SysFreeString(left);
    SysFreeString(right);

    // Inside a variant passed by reference, too.
    VARIANT holder{}, any{};
    holder.vt = VT_I2;
    holder.iVal = 9;
    LONG wide = 1;
    Args bump{ref(VT_VARIANT, &holder), ref(VT_I4, &wide), ref(VT_VARIANT, &any)};
    Outcome bumped;
    invoke(disp(), probe::kBump, DISPATCH_METHOD, bump, bumped);
    ASSERT_EQ(hex(bumped.hr), hex(S_OK));
    EXPECT_EQ(holder.vt, VT_I2);
    EXPECT_EQ(holder.iVal, 10);
    EXPECT_EQ(wide, 2);
    ASSERT_EQ(any.vt, VT_BSTR);
    EXPECT_EQ(utf8(any.bstrVal), "bumped");
    VariantClear(&any);
}

TEST_F(DispatchTest, OtherArgumentsGoThroughTemporaries) {
    // By value: the member's changes stay in the temporaries.
    Args by_value{text(u"left"), text(u"right")};
    Outcome swapped;
    invoke(disp(), probe::kSwap, DISPATCH_METHOD, by_value, swapped);
    ASSERT_EQ(hex(swapped.hr), hex(S_OK));
    EXPECT_EQ(utf8(by_value.at(1).bstrVal) + "," + utf8(by_value.at(0).bstrVal), "left,right");

    // By reference to another type: converted, and converted back into the caller's variable.
    LONG value = 41;  // for SHORT*
    SHORT wide = 300; // for LONG*
    VARIANT any{};
    Args other_types{ref(VT_I4, &value), ref(VT_I2, &wide), ref(VT_VARIANT, &any)};
    Outcome bumped;
    invoke(disp(), probe::kBump, DISPATCH_METHOD, other_types, bumped);
    ASSERT_EQ(hex(bumped.hr), hex(S_OK));
    EXPECT_EQ(value, 42);
    EXPECT_EQ(wide, 600);
    VariantClear(&any);

    // A value the caller's variable cannot hold fails the call at that argument.
    SHORT small = 0, narrow = 20000;  // doubled: 40000
    Args too_wide{ref(VT_I2, &small), ref(VT_I2, &narrow), ref(VT_VARIANT, &any)};
    Outcome overflow;
    invoke(disp(), probe::kBump, DISPATCH_METHOD, too_wide, overflow);
    EXPECT_EQ(hex(overflow.hr), hex(DISP_E_OVERFLOW));
    EXPECT_EQ(overflow.arg_err, 1u);
    EXPECT_EQ(narrow, 20000);
    VariantClear(&any);
}

TEST_F(DispatchTest, ArraysByReferenceByValueAndNone) {
    SAFEARRAYBOUND bound{3, 0};
    SAFEARRAY* names = SafeArrayCreate(VT_BSTR, 1, &bound);
    SAFEARRAY* none = nullptr;
    VARIANT copy{};
    copy.vt = VT_ARRAY | VT_BSTR;
    ASSERT_EQ(SafeArrayCopy(names, &copy.parray), S_OK);
    Args by_ref{ref(VT_ARRAY | VT_BSTR, &names)}, by_value{copy}, without{ref(VT_ARRAY | VT_BSTR, &none)};
    const struct {
        Args* args;
        LONG upper;
    } rows[] = {{&by_ref, 2}, {&by_value, 2}, {&without, -1}};
    for (const auto& row : rows) {
        Outcome out;
        invoke(disp(), probe::kNames, DISPATCH_METHOD, *row.args, out);
        EXPECT_EQ(hex(out.hr), hex(S_OK)) << row.upper;
        EXPECT_EQ(out.result->lVal, row.upper);
    }
    SafeArrayDestroy(names);
}

TEST_F(DispatchTest, ArgumentCountsOptionalAndNamedArguments) {
    const struct {
        const char* what;
        Args (*make)();  // Describe(BSTR sName, [optional] VARIANT* vExtra)
        HRESULT expected;
        const char* result;
    } rows[] = {
        {"optional left out", [] { return Args{text(u"a")}; }, S_OK, "a|missing"},
        {"optional marked missing", [] { return Args{text(u"a"), missing()}; }, S_OK, "a|missing"},
        {"optional given", [] { return Args{text(u"a"), i4(5)}; }, S_OK, "a|3"},
        {"named, in any order", [] { return std::move(Args{i4(5), text(u"b")}.named({0, 1})); }, S_OK, "b|3"},
        {"required left out", [] { return Args{}; }, DISP_E_PARAMNOTOPTIONAL, nullptr},
        {"required marked missing", [] { return Args{missing(), i4(5)}; }, DISP_E_PARAMNOTOPTIONAL, nullptr},
        {"one too many", [] { return Args{text(u"a"), i4(5), i4(6)}; }, DISP_E_BADPARAMCOUNT, nullptr},
        {"unknown named", [] { return std::move(Args{text(u"a"), i4(5)}.named({7})); }, DISP_E_PARAMNOTFOUND,
         nullptr},
    };
    for (const auto& row : rows) {
        Args args = row.make();
        Outcome out;
        fresh_invoke(probe::kDescribe, DISPATCH_METHOD, args, out);
        EXPECT_EQ(hex(out.hr), hex(row.expected)) << row.what;
        EXPECT_EQ(calls("Describe"), row.result ? 1 : 0) << row.what;
        if (row.result) {
            EXPECT_EQ(utf8(out.result->bstrVal), row.result) << row.what;
        }
    }
}

TEST_F(DispatchTest, ResultsCarryTheDeclaredTypes) {
    const struct {
        DISPID id;
        VARTYPE vt;
    } rows[] = {{probe::kLabel, VT_BSTR}, {probe::kLevel, VT_I2}, {probe::kEnabled, VT_BOOL}, {probe::kTint, VT_UI4}};
    for (const auto& row : rows) {
        Args args{};
        Outcome out;
        invoke(disp(), row.id, DISPATCH_PROPERTYGET, args, out);
        EXPECT_EQ(hex(out.hr), hex(S_OK)) << row.id;
        EXPECT_EQ(out.result.vt(), row.vt) << row.id;
    }
    // A null pVarResult discards the result (the sanitizer build checks that it is freed).
    object->label = comrt::Bstr(u"kept");
    Args args{};
    EXPECT_EQ(disp()->Invoke(probe::kLabel, IID_NULL, 0, DISPATCH_PROPERTYGET, args.params(), nullptr, nullptr,
                             nullptr),
              S_OK);
}

TEST_F(DispatchTest, FailingMemberFillsExcepInfo) {
    const struct {
        SHORT mode;
        HRESULT scode;
        const char* source;
        const char16_t* description;
    } rows[] = {
        {9, comrt::runtime_hresult(9), "Probe", comrt::runtime_description(9)},
        {6, comrt::runtime_hresult(6), "", comrt::runtime_description(6)},  // none pending: the catalogue's
        {1, E_FAIL, "", u""},
    };
    for (const auto& row : rows) {
        comrt::set_error_info(u"Elsewhere", u"an older failure");  // stale: must not describe this one
        Args args{i2(row.mode)};
        Outcome out;
        invoke(disp(), probe::kFail, DISPATCH_METHOD, args, out);
        EXPECT_EQ(hex(out.hr), hex(DISP_E_EXCEPTION)) << row.mode;
        EXPECT_EQ(hex(out.info.scode), hex(row.scode)) << row.mode;
        EXPECT_EQ(out.info.wCode, 0) << row.mode;
        EXPECT_EQ(utf8(out.info.bstrSource), row.source) << row.mode;
        ASSERT_NE(row.description, nullptr) << row.mode;
        EXPECT_EQ(utf8(out.info.bstrDescription), utf8(row.description)) << row.mode;
    }
    // Without an EXCEPINFO the error information stays pending for the caller.
    Args args{i2(9)};
    EXPECT_EQ(hex(disp()->Invoke(probe::kFail, IID_NULL, 0, DISPATCH_METHOD, args.params(), nullptr, nullptr,
                                 nullptr)),
              hex(DISP_E_EXCEPTION));
    comrt::ComPtr<IErrorInfo> pending;
    ASSERT_EQ(GetErrorInfo(0, pending.put()), S_OK);
    comrt::Bstr source;
    ASSERT_EQ(pending->GetSource(source.put()), S_OK);
    EXPECT_EQ(utf8(source.view()), "Probe");
}

}  // namespace
