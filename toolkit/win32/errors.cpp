// The adapters' errors (errors.h).
#include <toolkit/win32/errors.h>

#include <control/widgets/contract.h>

namespace orvane::win32 {

void Fail(comrt::runtime_error e) {
    // OLECHAR is wchar_t here, UTF-16 as the source's char16_t.
    static_assert(sizeof(OLECHAR) == sizeof(char16_t));
    comrt::raise(e, reinterpret_cast<const OLECHAR*>(kErrorSource));
}

void FailInvalidValue() { Fail(comrt::runtime_error::invalid_property_value); }

void FailGone() { throw comrt::com_error(E_HANDLE); }

}  // namespace orvane::win32
