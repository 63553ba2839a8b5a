#include <gtest/gtest.h>

#include <testing/late_binding.h>
#include <testing/text.h>
#include <testing/unload_check.h>
#include "probe_object.h"

#include <testing/dispatch_stub.h>

namespace {

using namespace pg_testing;
using probe::Probe;

class DispatchTest : public ::testing::Test {
protected:
    void TearDown() override {
        object = nullptr;
        ExpectNothingAlive();
    }

    comrt::ComPtr<Probe> object = comrt::make<Probe>();
    IDispatch* disp() { return static_cast<IDispatch*>(object.get()); }
    int calls(const char* name) { return object->calls[name]; }
    int total_calls() {
        int total = 0;
        for (const auto& [name, count] : object->calls) total += count;
        return total;
    }
    // Invokes on a fresh probe.
    Outcome fresh_invoke(DISPID id, WORD flags, Args& args) {
        object = comrt::make<Probe>();
        return Invoke(disp(), id, flags, args);
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
        EXPECT_EQ(Hex(disp()->GetIDsOfNames(IID_NULL, names, 1, 0, &id)), Hex(expected)) << Utf8(row.name);
        EXPECT_EQ(id, row.id) << Utf8(row.name);
    }
    // Parameter names give positions; an unknown one does not hide the others.
    LPOLESTR with_params[] = {const_cast<LPOLESTR>(u"describe"), const_cast<LPOLESTR>(u"VEXTRA"),
                              const_cast<LPOLESTR>(u"bogus"), const_cast<LPOLESTR>(u"sName")};
    DISPID ids[4] = {7, 7, 7, 7};
    EXPECT_EQ(Hex(disp()->GetIDsOfNames(IID_NULL, with_params, 4, 0, ids)), Hex(DISP_E_UNKNOWNNAME));
    EXPECT_EQ(std::vector<DISPID>(ids, ids + 4), (std::vector<DISPID>{probe::kDescribe, 1, DISPID_UNKNOWN, 0}));
    EXPECT_EQ(Hex(disp()->GetIDsOfNames(IID_IUnknown, with_params, 1, 0, ids)), Hex(DISP_E_UNKNOWNINTERFACE));
}

TEST_F(DispatchTest, OneTypeInfoAtIndexZero) {
    UINT count = 0;
    EXPECT_EQ(disp()->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 1u);
    ITypeInfo* poisoned = reinterpret_cast<ITypeInfo*>(0x1);
    EXPECT_EQ(Hex(disp()->GetTypeInfo(1, 0, &poisoned)), Hex(DISP_E_BADINDEX));
    EXPECT_EQ(poisoned, nullptr);
    comrt::ComPtr<ITypeInfo> info;
    ASSERT_EQ(Hex(disp()->GetTypeInfo(0, 0, info.put())), Hex(S_OK));
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
        Args args = put ? Args::put(row.id == probe::kPartner ? Object(nullptr) : I2(1))
                        : row.id == probe::kScale ? Args{I2(6), I4(7)} : Args{};
        Outcome out = fresh_invoke(row.id, row.flags, args);
        EXPECT_EQ(Hex(out.hr), Hex(row.expected)) << row.what;
        EXPECT_EQ(total_calls(), row.reached ? 1 : 0) << row.what;
        if (row.reached) {
            EXPECT_EQ(calls(row.reached), 1) << row.what;
        }
    }
    Args args{};
    EXPECT_EQ(Hex(disp()->Invoke(probe::kLabel, IID_IDispatch, 0, DISPATCH_PROPERTYGET, args.params(), nullptr,
                                 nullptr, nullptr)),
              Hex(DISP_E_UNKNOWNINTERFACE));
    EXPECT_EQ(Hex(disp()->Invoke(probe::kLabel, IID_NULL, 0, DISPATCH_PROPERTYGET, nullptr, nullptr, nullptr,
                                 nullptr)),
              Hex(E_INVALIDARG));
}

TEST_F(DispatchTest, InvokeReachesTheMemberAVtableCallerReaches) {
    _clsProbe* direct = object.get();
    ASSERT_EQ(direct->put_Level(3), S_OK);
    Args args = Args::put(I2(4));
    Outcome out = Invoke(disp(), probe::kLevel, DISPATCH_PROPERTYPUT, args);
    ASSERT_EQ(Hex(out.hr), Hex(S_OK));
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
        {"named value", [] { return Args::put(Text(u"new")); }, S_OK},
        {"positional value only", [] { return Args{Text(u"new")}; }, DISP_E_PARAMNOTFOUND},
        {"no argument", [] { return Args{}; }, DISP_E_PARAMNOTFOUND},
        {"extra positional", [] { return Args::put(Text(u"new"), {I4(1)}); }, DISP_E_BADPARAMCOUNT},
    };
    for (const auto& row : rows) {
        Args args = row.make();
        Outcome out = fresh_invoke(probe::kLabel, DISPATCH_PROPERTYPUT, args);
        EXPECT_EQ(Hex(out.hr), Hex(row.expected)) << row.what;
        EXPECT_EQ(Utf8(object->label.view()), row.expected == S_OK ? "new" : "") << row.what;
    }
}

// An object that is not a probe.
using Stranger = pg_testing::PlainDispatch;

TEST_F(DispatchTest, ObjectArgumentsAreQueriedForTheDeclaredInterface) {
    comrt::ComPtr<Probe> other = comrt::make<Probe>();
    Args args = Args::put(Object(static_cast<IDispatch*>(other.get())));
    Outcome out = Invoke(disp(), probe::kPartner, DISPATCH_PROPERTYPUTREF, args);
    ASSERT_EQ(Hex(out.hr), Hex(S_OK));
    Args get{};
    Outcome got = Invoke(disp(), probe::kPartner, DISPATCH_PROPERTYGET, get);
    ASSERT_EQ(got.result.vt(), VT_DISPATCH);
    EXPECT_EQ(got.result->pdispVal, static_cast<IDispatch*>(other.get()));

    comrt::ComPtr<Stranger> stranger = comrt::make<Stranger>();
    Args wrong = Args::put(Object(stranger.get()));
    Outcome refused = Invoke(disp(), probe::kPartner, DISPATCH_PROPERTYPUTREF, wrong);
    EXPECT_EQ(Hex(refused.hr), Hex(DISP_E_TYPEMISMATCH));
    EXPECT_EQ(refused.arg_err, 0u);
    EXPECT_EQ(calls("putref_Partner"), 1);

    Args nothing = Args::put(Object(nullptr));
    Outcome cleared = Invoke(disp(), probe::kPartner, DISPATCH_PROPERTYPUTREF, nothing);
    EXPECT_EQ(Hex(cleared.hr), Hex(S_OK));
    EXPECT_EQ(object->partner.get(), nullptr);
}

TEST_F(DispatchTest, ByValueArgumentsAreCoercedBeforeTheCall) {
    const struct {
        const char* what;
        Args (*make)();  // Scale(SHORT nBy, LONG nTotal)
        HRESULT expected;
        UINT arg_err;  // index in rgvarg: 1 is nBy, 0 is nTotal; only a type mismatch names one
        LONG result;
    } rows[] = {
        {"I4 32767 for SHORT", [] { return Args{I4(32767), I2(2)}; }, S_OK, 0, 65534},
        {"I4 -32768 for SHORT", [] { return Args{I4(-32768), I4(1)}; }, S_OK, 0, -32768},
        {"I4 32768 for SHORT", [] { return Args{I4(32768), I4(1)}; }, DISP_E_OVERFLOW, pg_testing::kNoArgument, 0},
        {"I4 -32769 for SHORT", [] { return Args{I4(-32769), I4(1)}; }, DISP_E_OVERFLOW, pg_testing::kNoArgument, 0},
        {"R8 too big for LONG", [] { return Args{I2(1), R8(3e10)}; }, DISP_E_OVERFLOW, pg_testing::kNoArgument, 0},
        {"numeric text", [] { return Args{Text(u"12"), R8(3.0)}; }, S_OK, 0, 36},
        {"text that is no number", [] { return Args{Text(u"twelve"), I4(1)}; }, DISP_E_TYPEMISMATCH, 1, 0},
    };
    for (const auto& row : rows) {
        Args args = row.make();
        Outcome out = fresh_invoke(probe::kScale, DISPATCH_METHOD, args);
        EXPECT_EQ(Hex(out.hr), Hex(row.expected)) << row.what;
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
    Args args = Args::put(I4(40000));
    Outcome out = Invoke(disp(), probe::kLevel, DISPATCH_PROPERTYPUT, args);
    EXPECT_EQ(Hex(out.hr), Hex(DISP_E_OVERFLOW));
    EXPECT_EQ(out.arg_err, pg_testing::kNoArgument);
    EXPECT_EQ(object->level, 5);
}

TEST_F(DispatchTest, ByRefArgumentsOfTheDeclaredTypeReachTheMember) {
    BSTR left = SysAllocString(u"left");
    BSTR right = SysAllocString(u"right");
    Args swap{Ref(VT_BSTR, &left), Ref(VT_BSTR, &right)};
    Outcome swapped = Invoke(disp(), probe::kSwap, DISPATCH_METHOD, swap);
    EXPECT_EQ(Hex(swapped.hr), Hex(S_OK));
    EXPECT_EQ(Utf8(left) + "," + Utf8(right), "right,left");
    SysFreeString(left);
    SysFreeString(right);

    // Inside a variant passed by reference, too.
    VARIANT holder{}, any{};
    holder.vt = VT_I2;
    holder.iVal = 9;
    LONG wide = 1;
    Args bump{Ref(VT_VARIANT, &holder), Ref(VT_I4, &wide), Ref(VT_VARIANT, &any)};
    Outcome bumped = Invoke(disp(), probe::kBump, DISPATCH_METHOD, bump);
    ASSERT_EQ(Hex(bumped.hr), Hex(S_OK));
    EXPECT_EQ(holder.vt, VT_I2);
    EXPECT_EQ(holder.iVal, 10);
    EXPECT_EQ(wide, 2);
    ASSERT_EQ(any.vt, VT_BSTR);
    EXPECT_EQ(Utf8(any.bstrVal), "bumped");
    VariantClear(&any);
}

TEST_F(DispatchTest, OtherArgumentsGoThroughTemporaries) {
    // By value: the member's changes stay in the temporaries.
    Args by_value{Text(u"left"), Text(u"right")};
    Outcome swapped = Invoke(disp(), probe::kSwap, DISPATCH_METHOD, by_value);
    ASSERT_EQ(Hex(swapped.hr), Hex(S_OK));
    EXPECT_EQ(Utf8(by_value.at(1).bstrVal) + "," + Utf8(by_value.at(0).bstrVal), "left,right");

    // By reference to another type: converted, and converted back into the caller's variable.
    LONG value = 41;  // for SHORT*
    SHORT wide = 300; // for LONG*
    VARIANT any{};
    Args other_types{Ref(VT_I4, &value), Ref(VT_I2, &wide), Ref(VT_VARIANT, &any)};
    Outcome bumped = Invoke(disp(), probe::kBump, DISPATCH_METHOD, other_types);
    ASSERT_EQ(Hex(bumped.hr), Hex(S_OK));
    EXPECT_EQ(value, 42);
    EXPECT_EQ(wide, 600);
    VariantClear(&any);

    // A value the caller's variable cannot hold fails the call at that argument.
    SHORT small = 0, narrow = 20000;  // doubled: 40000
    Args too_wide{Ref(VT_I2, &small), Ref(VT_I2, &narrow), Ref(VT_VARIANT, &any)};
    Outcome overflow = Invoke(disp(), probe::kBump, DISPATCH_METHOD, too_wide);
    EXPECT_EQ(Hex(overflow.hr), Hex(DISP_E_OVERFLOW));
    EXPECT_EQ(overflow.arg_err, pg_testing::kNoArgument);
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
    Args by_ref{Ref(VT_ARRAY | VT_BSTR, &names)}, by_value{copy}, without{Ref(VT_ARRAY | VT_BSTR, &none)};
    const struct {
        Args* args;
        LONG upper;
    } rows[] = {{&by_ref, 2}, {&by_value, 2}, {&without, -1}};
    for (const auto& row : rows) {
        Outcome out = Invoke(disp(), probe::kNames, DISPATCH_METHOD, *row.args);
        EXPECT_EQ(Hex(out.hr), Hex(S_OK)) << row.upper;
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
        {"optional left out", [] { return Args{Text(u"a")}; }, S_OK, "a|missing"},
        {"optional marked missing", [] { return Args{Text(u"a"), Missing()}; }, S_OK, "a|missing"},
        {"optional given", [] { return Args{Text(u"a"), I4(5)}; }, S_OK, "a|3"},
        {"named, in any order", [] { return std::move(Args{I4(5), Text(u"b")}.named({0, 1})); }, S_OK, "b|3"},
        {"required left out", [] { return Args{}; }, DISP_E_BADPARAMCOUNT, nullptr},
        {"required marked missing", [] { return Args{Missing(), I4(5)}; }, DISP_E_PARAMNOTOPTIONAL, nullptr},
        {"one too many", [] { return Args{Text(u"a"), I4(5), I4(6)}; }, DISP_E_BADPARAMCOUNT, nullptr},
        {"unknown named", [] { return std::move(Args{Text(u"a"), I4(5)}.named({7})); }, DISP_E_PARAMNOTFOUND,
         nullptr},
    };
    for (const auto& row : rows) {
        Args args = row.make();
        Outcome out = fresh_invoke(probe::kDescribe, DISPATCH_METHOD, args);
        EXPECT_EQ(Hex(out.hr), Hex(row.expected)) << row.what;
        EXPECT_EQ(calls("Describe"), row.result ? 1 : 0) << row.what;
        if (row.result) {
            EXPECT_EQ(Utf8(out.result->bstrVal), row.result) << row.what;
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
        Outcome out = Invoke(disp(), row.id, DISPATCH_PROPERTYGET, args);
        EXPECT_EQ(Hex(out.hr), Hex(S_OK)) << row.id;
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
        Args args{I2(row.mode)};
        Outcome out = Invoke(disp(), probe::kFail, DISPATCH_METHOD, args);
        EXPECT_EQ(Hex(out.hr), Hex(DISP_E_EXCEPTION)) << row.mode;
        EXPECT_EQ(Hex(out.info.scode), Hex(row.scode)) << row.mode;
        EXPECT_EQ(out.info.wCode, 0) << row.mode;
        EXPECT_EQ(Utf8(out.info.bstrSource), row.source) << row.mode;
        ASSERT_NE(row.description, nullptr) << row.mode;
        EXPECT_EQ(Utf8(out.info.bstrDescription), Utf8(row.description)) << row.mode;
    }
    // Without an EXCEPINFO the error information stays pending for the caller.
    Args args{I2(9)};
    EXPECT_EQ(Hex(disp()->Invoke(probe::kFail, IID_NULL, 0, DISPATCH_METHOD, args.params(), nullptr, nullptr,
                                 nullptr)),
              Hex(DISP_E_EXCEPTION));
    comrt::ComPtr<IErrorInfo> pending;
    ASSERT_EQ(GetErrorInfo(0, pending.put()), S_OK);
    comrt::Bstr source;
    ASSERT_EQ(pending->GetSource(source.put()), S_OK);
    EXPECT_EQ(Utf8(source.view()), "Probe");
}

}  // namespace
