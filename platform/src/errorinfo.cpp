// Error information: one object that is filled through ICreateErrorInfo and read
// through IErrorInfo, and the one pending object per thread that SetErrorInfo and
// GetErrorInfo hand over.
//
// Layout of an error information object: the interface GUID of the failing member, the
// source (the component's name), the description, the help file name (all UTF-16,
// char16_t) and the help context number. Readers receive new BSTR copies.
//
// The pending object is a counted reference per thread: each thread sees only its own,
// and a thread that ends with an object still pending releases it as it exits.
#include <comrt/com_ptr.h>
#include <comrt/error.h>
#include <comrt/implements.h>
#include <comrt/oleauto.h>
#include <comrt/resource.h>

#include <string>
#include <string_view>
#include <utility>

namespace {

class ErrorInfo final : public comrt::implements<ErrorInfo, IErrorInfo, ICreateErrorInfo> {
public:
    // ---- IErrorInfo ----
    HRESULT STDMETHODCALLTYPE GetGUID(GUID* pGUID) noexcept override {
        if (!pGUID) return E_POINTER;
        *pGUID = guid_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetSource(BSTR* pBstrSource) noexcept override { return copy_out(source_, pBstrSource); }
    HRESULT STDMETHODCALLTYPE GetDescription(BSTR* pBstrDescription) noexcept override {
        return copy_out(description_, pBstrDescription);
    }
    HRESULT STDMETHODCALLTYPE GetHelpFile(BSTR* pBstrHelpFile) noexcept override {
        return copy_out(help_file_, pBstrHelpFile);
    }
    HRESULT STDMETHODCALLTYPE GetHelpContext(DWORD* pdwHelpContext) noexcept override {
        if (!pdwHelpContext) return E_POINTER;
        *pdwHelpContext = help_context_;
        return S_OK;
    }

    // ---- ICreateErrorInfo ----
    HRESULT STDMETHODCALLTYPE SetGUID(REFGUID rguid) noexcept override {
        guid_ = rguid;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetSource(LPOLESTR szSource) noexcept override { return store(source_, szSource); }
    HRESULT STDMETHODCALLTYPE SetDescription(LPOLESTR szDescription) noexcept override {
        return store(description_, szDescription);
    }
    HRESULT STDMETHODCALLTYPE SetHelpFile(LPOLESTR szHelpFile) noexcept override {
        return store(help_file_, szHelpFile);
    }
    HRESULT STDMETHODCALLTYPE SetHelpContext(DWORD dwHelpContext) noexcept override {
        help_context_ = dwHelpContext;
        return S_OK;
    }

private:
    // A null text stores the empty string. These never call comrt::to_hresult: it
    // describes an allocation failure with a new error information object, and making
    // that object is what may have failed here.
    static HRESULT store(std::u16string& field, LPCOLESTR text) noexcept try {
        field.assign(text ? std::u16string_view(text) : std::u16string_view());
        return S_OK;
    } catch (...) {
        return E_OUTOFMEMORY;
    }

    static HRESULT copy_out(const std::u16string& field, BSTR* out) noexcept try {
        if (!out) return E_POINTER;
        *out = nullptr;
        *out = comrt::Bstr(field).detach();
        return S_OK;
    } catch (...) {
        return E_OUTOFMEMORY;
    }

    GUID guid_{};
    std::u16string source_;
    std::u16string description_;
    std::u16string help_file_;
    DWORD help_context_ = 0;
};

// The error information waiting on this thread for the next GetErrorInfo. A raw pointer
// in trivially destructible storage, so that code running while the thread exits (the
// destructors of other thread_local objects) can still call SetErrorInfo safely;
// PendingReleaser releases the reference when the thread ends.
thread_local IErrorInfo* t_pending = nullptr;
thread_local bool t_thread_exited = false;

struct PendingReleaser {
    PendingReleaser() = default;
    PendingReleaser(const PendingReleaser&) = delete;
    PendingReleaser& operator=(const PendingReleaser&) = delete;
    ~PendingReleaser() {
        t_thread_exited = true;
        if (IErrorInfo* p = std::exchange(t_pending, nullptr)) p->Release();
    }
};

// Registers the release at thread exit (once per thread).
void release_at_thread_exit() noexcept {
    thread_local PendingReleaser releaser;
    (void)releaser;
}

}  // namespace

// Creates an empty error information object.
//   out: *pperrinfo, a new reference to its ICreateErrorInfo (IErrorInfo through
//        QueryInterface).
//   S_OK; E_INVALIDARG for a null pperrinfo; E_OUTOFMEMORY (*pperrinfo null).
WINOLEAUTAPI CreateErrorInfo(ICreateErrorInfo** pperrinfo) try {
    if (!pperrinfo) return E_INVALIDARG;
    *pperrinfo = nullptr;
    comrt::ComPtr<ErrorInfo> info = comrt::make<ErrorInfo>();
    *pperrinfo = static_cast<ICreateErrorInfo*>(info.detach());
    return S_OK;
} catch (...) {
    // Only the allocation can fail. Not comrt::to_hresult: describing an allocation
    // failure calls this function again.
    return E_OUTOFMEMORY;
}

// Makes perrinfo this thread's pending error information (a new reference is kept),
// releasing the one pending before; a null perrinfo clears it. Once the thread has begun
// to exit, nothing more is kept.
//   S_OK; E_INVALIDARG when dwReserved is not 0 (nothing changes).
WINOLEAUTAPI SetErrorInfo(ULONG dwReserved, IErrorInfo* perrinfo) {
    if (dwReserved != 0) return E_INVALIDARG;
    if (t_thread_exited) perrinfo = nullptr;
    if (perrinfo) {
        release_at_thread_exit();
        perrinfo->AddRef();  // before the release below: perrinfo may be the pending object
    }
    if (IErrorInfo* previous = std::exchange(t_pending, perrinfo)) previous->Release();
    return S_OK;
}

// Hands this thread's pending error information to the caller and clears it.
//   out: *pperrinfo, the pending object (the caller owns the reference), or null.
//   S_OK with an object; S_FALSE and null when none is pending; E_INVALIDARG for a null
//   pperrinfo or a dwReserved other than 0 (the pending object stays pending).
WINOLEAUTAPI GetErrorInfo(ULONG dwReserved, IErrorInfo** pperrinfo) {
    if (!pperrinfo) return E_INVALIDARG;
    *pperrinfo = nullptr;
    if (dwReserved != 0) return E_INVALIDARG;
    *pperrinfo = std::exchange(t_pending, nullptr);
    return *pperrinfo ? S_OK : S_FALSE;
}
