/// @file
/// Errors inside the libraries, and the one conversion at each public entry point.
///
/// Inside a library a failing step throws com_error carrying its HRESULT; RAII releases
/// temporaries on the way out; the entry point converts:
///
///     HRESULT STDMETHODCALLTYPE Foo::Bar() noexcept try {
///         ...
///         return S_OK;
///     } catch (...) {
///         return comrt::to_hresult();
///     }
///
/// The platform's run-time error numbers travel as MAKE_HRESULT(1, FACILITY_CONTROL, n),
/// that is 0x800A0000 | n, with error information set so that a late-bound caller sees the
/// number's standard description in EXCEPINFO. A host's own C++ code uses the same helpers
/// (the helpers of comrt, tessel/groups.h and orvane/qt_types.h throw com_error).
#pragma once

#include <comrt/oaidl.h>

namespace comrt {

/// The run-time error catalogue: every run-time error number the libraries raise, with
/// its standard English description and when it is used. The enum and the descriptions
/// both come from this one list: X(name, number, description) for each entry.
#define COMRT_RUNTIME_ERRORS(X)                                                          \
    /* An argument outside what a member accepts (a collection key, Before or After). */ \
    X(invalid_procedure_call, 5, OLESTR("Invalid procedure call or argument"))           \
    /* A value that leaves the range of its 16-bit (or 32-bit) integer. */               \
    X(overflow, 6, OLESTR("Overflow"))                                                   \
    /* An allocation failed. */                                                          \
    X(out_of_memory, 7, OLESTR("Out of memory"))                                         \
    /* A position or index outside the bounds of a list or array. */                     \
    X(subscript_out_of_range, 9, OLESTR("Subscript out of range"))                       \
    /* An integer or currency division by zero. */                                       \
    X(division_by_zero, 11, OLESTR("Division by zero"))                                  \
    /* An element or argument of the wrong kind. */                                      \
    X(type_mismatch, 13, OLESTR("Type mismatch"))                                        \
    /* A file that should be read is not there (a property bag file). */                 \
    X(file_not_found, 53, OLESTR("File not found"))                                      \
    /* A file that cannot be read or written. */                                         \
    X(path_file_access_error, 75, OLESTR("Path/File access error"))                      \
    /* A required object reference is missing. */                                        \
    X(object_not_set, 91, OLESTR("Object variable or With block variable not set"))      \
    /* A file whose contents are not of the expected format (a property bag file). */    \
    X(invalid_file_format, 321, OLESTR("Invalid file format"))                           \
    /* A property bag read of a key that the bag does not hold. */                       \
    X(data_value_not_found, 327, OLESTR("Data value named not found"))                   \
    /* A property put with a value the property does not accept. */                      \
    X(invalid_property_value, 380, OLESTR("Invalid property value"))                     \
    /* A member called on something that is not an object. */                            \
    X(object_required, 424, OLESTR("Object required"))                                   \
    /* The object has no such property or method. */                                     \
    X(not_supported, 438, OLESTR("Object doesn't support this property or method"))

/// The run-time error numbers of the catalogue (COMRT_RUNTIME_ERRORS), by name:
/// invalid_procedure_call 5, overflow 6, out_of_memory 7, subscript_out_of_range 9,
/// division_by_zero 11, type_mismatch 13, file_not_found 53, path_file_access_error 75,
/// object_not_set 91, invalid_file_format 321, data_value_not_found 327,
/// invalid_property_value 380, object_required 424, not_supported 438.
enum class runtime_error : int {
    /// @cond
#define COMRT_RUNTIME_ERROR_ENUM(name, number, description) name = number,
    COMRT_RUNTIME_ERRORS(COMRT_RUNTIME_ERROR_ENUM)
#undef COMRT_RUNTIME_ERROR_ENUM
    /// @endcond
};

/// The HRESULT of a run-time error: 0x800A0000 | n (MAKE_HRESULT(1, FACILITY_CONTROL, n)).
constexpr HRESULT runtime_hresult(runtime_error e) noexcept {
    return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, static_cast<int>(e));
}
/// The HRESULT of run-time error `number`: 0x800A0000 | number.
constexpr HRESULT runtime_hresult(int number) noexcept {
    return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, number);
}

/// The standard English description of a run-time error number; null when the
/// catalogue does not know it.
constexpr const OLECHAR* runtime_description(int number) noexcept {
    /// @cond
#define COMRT_RUNTIME_ERROR_TEXT(name, n, description) \
    if (number == (n)) return description;
    COMRT_RUNTIME_ERRORS(COMRT_RUNTIME_ERROR_TEXT)
#undef COMRT_RUNTIME_ERROR_TEXT
    /// @endcond
    return nullptr;
}
/// The standard English description of a run-time error of the catalogue.
constexpr const OLECHAR* runtime_description(runtime_error e) noexcept {
    return runtime_description(static_cast<int>(e));
}

/// A failing step: carries the HRESULT to the entry point. What the C++ helpers throw;
/// never thrown across a library's boundary.
class com_error {
public:
    /// An error carrying hr (a failure code).
    explicit com_error(HRESULT hr) noexcept : hr_(hr) {}
    /// The failing HRESULT.
    HRESULT code() const noexcept { return hr_; }

private:
    HRESULT hr_;
};

/// Throws com_error(hr) when hr fails; returns success codes (S_FALSE included) as they are.
inline HRESULT check(HRESULT hr) {
    if (FAILED(hr)) throw com_error(hr);
    return hr;
}

/// The one way to raise a run-time error: sets the thread's error information to the
/// error's description and the raiser's source (its component's name, e.g. OLESTR("Tessel")),
/// then throws com_error with the error's HRESULT (runtime_hresult(e)).
[[noreturn]] void raise(runtime_error e, const OLECHAR* source);

/// Sets the thread's error information (SetErrorInfo: source and description) without
/// throwing. What was pending before goes in any case: when the new information cannot be
/// made (no memory), the thread is left with none.
void set_error_info(const OLECHAR* source, const OLECHAR* description) noexcept;

/// Converts the exception in flight (call only inside a catch block) to an HRESULT:
/// com_error gives its code, std::bad_alloc E_OUTOFMEMORY (with the "Out of memory"
/// description), anything else E_UNEXPECTED. Never throws.
HRESULT to_hresult() noexcept;

}  // namespace comrt
