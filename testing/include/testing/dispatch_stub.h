// Test objects that are dispatch interfaces in name only, and a reader of reference
// counts.
#pragma once

#include <comrt/implements.h>

namespace pg_testing {

// Adds the four IDispatch members, each answering E_NOTIMPL, to Base: an interface that
// derives from IDispatch (the object then counts its own references) or a
// comrt::implements<> list that holds one. A test that needs one of them overrides it.
//
//     class Collection final : public pg_testing::no_dispatch<comrt::implements<Collection, _Collection>> {
//         ... the _Collection members ...
//     };
template <typename Base>
class no_dispatch : public Base {
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

// An IDispatch object and nothing more: it counts its references, so that tests can read
// exactly how many a copy adds and a clear releases.
class PlainDispatch final : public no_dispatch<comrt::implements<PlainDispatch, IDispatch>> {};

// The current reference count of p, left as it was.
inline ULONG refs(IUnknown* p) {
    p->AddRef();
    return p->Release();
}

}  // namespace pg_testing
