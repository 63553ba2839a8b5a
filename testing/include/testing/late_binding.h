// Calling an object late bound, as a script host does: IDispatch::Invoke by name or by
// dispatch id, with the arguments written in their natural order, and the whole outcome
// (status, result, EXCEPINFO, the failing argument) kept for the checks.
//
//     Outcome added = Call(group.get(), u"AddItem", DISPATCH_METHOD,
//                          {Text(u"Width"), Text(u"100"), I4(0), Array(VT_BSTR, choices.get())});
//     Outcome put = Call(item.get(), u"ItemType", DISPATCH_PROPERTYPUT, Args::put(I4(1)));
//
// Argument values own what they hold (a string, an array, a reference to an object) and
// the Args that takes them frees it; Ref() only points at a caller's variable, which
// stays the caller's.
#pragma once

#include <initializer_list>
#include <string_view>
#include <vector>

#include <comrt/oleauto.h>
#include <comrt/resource.h>

namespace pg_testing {

VARIANT I2(SHORT value);
VARIANT I4(LONG value);
VARIANT UI4(ULONG value);
VARIANT R8(double value);
VARIANT Text(comrt::olestring_view text);
// A new reference to object (null: an object variable set to nothing).
VARIANT Object(IDispatch* object);
// An optional argument left out, as a script host marks it.
VARIANT Missing();
// A reference to a caller's variable of type vt (VT_BYREF | vt).
VARIANT Ref(VARTYPE vt, void* variable);
// An array passed by value as VT_ARRAY | element: a copy of `array`, or a null array.
// Throws comrt::com_error.
VARIANT Array(VARTYPE element, SAFEARRAY* array);

// rgvarg for Invoke: given in natural order, held in reverse; named arguments first.
class Args {
public:
    Args(std::initializer_list<VARIANT> natural = {});
    // A property put: value as the DISPID_PROPERTYPUT named argument, after `natural`.
    static Args put(VARIANT value, std::initializer_list<VARIANT> natural = {});
    Args(Args&& other) noexcept;
    Args& operator=(Args&&) = delete;
    ~Args();

    // Names the arguments: rgvarg[i] for i < ids.size() becomes the one named ids[i].
    Args& named(std::vector<DISPID> ids);
    // rgvarg[i]: the last argument in natural order is at 0.
    VARIANT& at(std::size_t rgvarg_index) { return values_[rgvarg_index]; }
    DISPPARAMS* params();

private:
    std::vector<VARIANT> values_;
    std::vector<DISPID> names_;
    DISPPARAMS params_{};
};

// Outcome::arg_err of a call that named no failing argument.
inline constexpr UINT kNoArgument = 0xFFFF;

// What one Invoke gave back. Frees the strings of info.
struct Outcome {
    HRESULT hr = E_UNEXPECTED;
    comrt::Variant result;
    EXCEPINFO info{};
    UINT arg_err = kNoArgument;  // untouched unless the call names a failing argument

    Outcome() = default;
    Outcome(Outcome&& other) noexcept;
    Outcome& operator=(Outcome&&) = delete;
    ~Outcome();
};

// The dispatch id of a member by name; DISPID_UNKNOWN when it has none, with the status of
// GetIDsOfNames in *hr when given.
DISPID DispatchId(IDispatch* object, comrt::olestring_view name, HRESULT* hr = nullptr);

// IDispatch::Invoke by dispatch id. The arguments stay the caller's (by-value arguments
// can be read back afterwards).
Outcome Invoke(IDispatch* object, DISPID id, WORD flags, Args& args);

// The same by name: GetIDsOfNames first, whose failure becomes the outcome's status.
Outcome Call(IDispatch* object, comrt::olestring_view name, WORD flags, Args args = {});

}  // namespace pg_testing
