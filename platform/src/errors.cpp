// Raising a run-time error of the catalogue (comrt/error.h), and the conversion of the
// exception in flight to an HRESULT at a public entry point.
//
// A run-time error n travels as MAKE_HRESULT(1, FACILITY_CONTROL, n) = 0x800A0000 | n,
// together with this thread's error information: the source given by the raiser, the
// catalogue's description, GUID_NULL.
#include <comrt/error.h>
#include <comrt/com_ptr.h>
#include <comrt/oleauto.h>

#include <exception>
#include <new>

namespace comrt {

void set_error_info(const OLECHAR* source, const OLECHAR* description) noexcept {
    // Whatever was pending describes an older failure: it goes even when the new
    // object cannot be made.
    SetErrorInfo(0, nullptr);
    ComPtr<ICreateErrorInfo> create;
    if (FAILED(CreateErrorInfo(create.put()))) return;
    // LPOLESTR parameters that are only read.
    if (FAILED(create->SetGUID(GUID_NULL)) || FAILED(create->SetSource(const_cast<LPOLESTR>(source))) ||
        FAILED(create->SetDescription(const_cast<LPOLESTR>(description))))
        return;
    ComPtr<IErrorInfo> info = create.try_as<IErrorInfo>();
    if (info) SetErrorInfo(0, info.get());
}

void raise(runtime_error e, const OLECHAR* source) {
    set_error_info(source, runtime_description(static_cast<int>(e)));
    throw com_error(runtime_hresult(e));
}

HRESULT to_hresult() noexcept {
    // Called outside a catch block there is nothing to rethrow.
    if (!std::current_exception()) return E_UNEXPECTED;
    try {
        throw;
    } catch (const com_error& e) {
        // A success code would report a failing step as success.
        return FAILED(e.code()) ? e.code() : E_UNEXPECTED;
    } catch (const std::bad_alloc&) {
        // Describing the failure needs memory too; while memory stays short the error
        // information object cannot be made, and the caller gets E_OUTOFMEMORY either
        // way. CreateErrorInfo and its setters turn their own bad_alloc into
        // E_OUTOFMEMORY without coming back here, so this cannot go round in circles.
        // Nothing here may need memory of its own, thread-local storage included: in a
        // library loaded at run time a thread's first use of it is allocated, and a
        // failure there ends the process.
        set_error_info(nullptr, runtime_description(static_cast<int>(runtime_error::out_of_memory)));
        return E_OUTOFMEMORY;
    } catch (...) {
        // Pending error information would describe some other failure.
        SetErrorInfo(0, nullptr);
        return E_UNEXPECTED;
    }
}

}  // namespace comrt
