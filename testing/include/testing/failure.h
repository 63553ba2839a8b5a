// The status a step that reports failures by throwing comrt::com_error ends with, for tests
// of the code inside a library (the widget contract, the helpers).
#pragma once

#include <comrt/error.h>

namespace pg_testing {

// The HRESULT call fails with; S_OK when it does not fail.
template <typename Call>
HRESULT FailureOf(Call&& call) {
    try {
        call();
        return S_OK;
    } catch (const comrt::com_error& e) {
        return e.code();
    }
}

}  // namespace pg_testing
