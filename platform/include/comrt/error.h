// Errors inside the libraries, and the one conversion at each public entry point.
//
// Inside a library a failing step throws com_error carrying its HRESULT; RAII releases
// temporaries on the way out; the entry point converts:
//
//     HRESULT STDMETHODCALLTYPE Foo::Bar() noexcept try {
//         ...
//         return S_OK;
//     } catch (...) {
//         return comrt::to_hresult();
//     }
//
// The platform's run-time error numbers travel as MAKE_HRESULT(1, FACILITY_CONTROL, n),
// that is 0x800A0000 | n, with error information set so that a late-bound caller sees the
// number's standard description in EXCEPINFO.
#pragma once

#include <comrt/oaidl.h>

namespace comrt {

// The run-time error catalogue.
enum class runtime_error : int {
    invalid_procedure_call = 5,  // an argument outside what a member accepts (collection keys)
    overflow = 6,                // a value leaves the range of its 16-bit (or 32-bit) integer
    out_of_memory = 7,           // an allocation failed
    subscript_out_of_range = 9,  // a position or index outside the bounds of a list or array
    division_by_zero = 11,       // an integer or currency division by zero
    type_mismatch = 13,          // an element or argument of the wrong kind
    object_not_set = 91,         // a required object reference is missing
    invalid_property_value = 380,  // a property put with a value the property does not accept
    object_required = 424,       // a member called on something that is not an object
    not_supported = 438,         // the object has no such property or method
};

// 0x800A0000 | n.
constexpr HRESULT runtime_hresult(runtime_error e) noexcept {
    return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, static_cast<int>(e));
}
constexpr HRESULT runtime_hresult(int number) noexcept {
    return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, number);
}

// The standard English description of a run-time error number; null when the
// catalogue does not know it.
COMRT_EXPORT const char16_t* runtime_description(int number) noexcept;

// A failing step: carries the HRESULT to the entry point.
class com_error {
public:
    explicit com_error(HRESULT hr) noexcept : hr_(hr) {}
    HRESULT code() const noexcept { return hr_; }

private:
    HRESULT hr_;
};

// Throws com_error when hr fails; passes success codes (S_FALSE included) through.
inline HRESULT check(HRESULT hr) {
    if (FAILED(hr)) throw com_error(hr);
    return hr;
}

// Sets the thread's error information to the run-time error's number and description
// (source: the given component name, e.g. u"Tessel") and throws its HRESULT.
[[noreturn]] COMRT_EXPORT void raise(runtime_error e, const char16_t* source = nullptr);

// Sets the thread's error information (source and description) without throwing.
COMRT_EXPORT void set_error_info(const char16_t* source, const char16_t* description) noexcept;

// Converts the exception in flight (call only inside a catch block) to an HRESULT:
// com_error gives its code, std::bad_alloc E_OUTOFMEMORY (with the "Out of memory"
// description), anything else E_UNEXPECTED. Never throws.
COMRT_EXPORT HRESULT to_hresult() noexcept;

}  // namespace comrt
