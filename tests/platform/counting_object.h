// A plain IDispatch object whose reference count the array and variant tests read
// exactly, to check that copies add one reference and clears release one.
#pragma once

#include <comrt/implements.h>

namespace comrt_test {

class Counted final : public comrt::implements<Counted, IDispatch> {
public:
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) noexcept override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) noexcept override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) noexcept override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) noexcept override {
        return E_NOTIMPL;
    }
};

// The current reference count, left as it was.
inline ULONG refs(IUnknown* p) {
    p->AddRef();
    return p->Release();
}

}  // namespace comrt_test
