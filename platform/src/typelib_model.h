// The type library object behind create_typelib, shared by typelib.cpp (ITypeLib) and
// typeinfo.cpp (ITypeInfo).
//
// Entries, in this order: the described interfaces, the described classes (these are the
// library's type infos, indexes 0 .. local_count), then the types the description refers
// to without describing them: base interfaces (IDispatch), interfaces of parameters that
// another library describes (IFontDisp, _Collection) and aliases (OLE_COLOR). An entry's
// index is its HREFTYPE, so GetRefTypeInfo reaches every entry.
#pragma once

#include <comrt/dispatch.h>
#include <comrt/implements.h>
#include <comrt/resource.h>
#include <comrt/typedesc.h>

#include <atomic>
#include <vector>

namespace comrt::typelib_model {

struct entry {
    TYPEKIND kind;
    GUID guid;
    const OLECHAR* name;
    const interface_desc* itf = nullptr;  // a described interface
    const class_desc* cls = nullptr;      // a described class
    VARTYPE alias_of = VT_EMPTY;          // TKIND_ALIAS: the aliased type
};

class typelib final : public implements<typelib, ITypeLib> {
public:
    typelib(const type_library& lib, std::atomic<long>* owner_count);
    ~typelib() override;

    const type_library& description() const noexcept { return lib_; }
    const std::vector<entry>& entries() const noexcept { return entries_; }
    UINT local_count() const noexcept { return local_count_; }
    // The entry index of a described or referenced interface, or of an alias; -1 if none.
    long find_interface(const IID& iid) const noexcept;
    long find_alias(const OLECHAR* name) const noexcept;

    UINT STDMETHODCALLTYPE GetTypeInfoCount() noexcept override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, ITypeInfo** ppTInfo) noexcept override;
    HRESULT STDMETHODCALLTYPE GetTypeInfoType(UINT index, TYPEKIND* pTKind) noexcept override;
    HRESULT STDMETHODCALLTYPE GetTypeInfoOfGuid(REFGUID guid, ITypeInfo** ppTinfo) noexcept override;
    HRESULT STDMETHODCALLTYPE GetLibAttr(TLIBATTR** ppTLibAttr) noexcept override;
    HRESULT STDMETHODCALLTYPE GetTypeComp(ITypeComp** ppTComp) noexcept override;
    HRESULT STDMETHODCALLTYPE GetDocumentation(INT index, BSTR* pBstrName, BSTR* pBstrDocString,
                                               DWORD* pdwHelpContext, BSTR* pBstrHelpFile) noexcept override;
    HRESULT STDMETHODCALLTYPE IsName(LPOLESTR szNameBuf, ULONG lHashVal, BOOL* pfName) noexcept override;
    HRESULT STDMETHODCALLTYPE FindName(LPOLESTR szNameBuf, ULONG lHashVal, ITypeInfo** ppTInfo, MEMBERID* rgMemId,
                                       USHORT* pcFound) noexcept override;
    void STDMETHODCALLTYPE ReleaseTLibAttr(TLIBATTR* pTLibAttr) noexcept override;

private:
    void add_interface(const IID& iid, const OLECHAR* name);
    void add_referenced(const type_ref& type);

    const type_library& lib_;
    std::atomic<long>* owner_count_;
    std::vector<entry> entries_;
    UINT local_count_ = 0;
};

// The ITypeInfo of entry `index` of lib.
HRESULT make_typeinfo(const ComPtr<typelib>& lib, UINT index, ITypeInfo** ppTInfo);

// Whether an object type with this interface id is a built-in type (IDispatch*,
// IUnknown*, or no interface named) rather than a reference to an interface entry.
inline bool is_plain_object(const IID* iid) noexcept {
    return !iid || *iid == IID_IUnknown || *iid == IID_IDispatch;
}

// What GetDocumentation answers for an entry, a member or the library: its name, and
// nothing else (no doc string, help context or help file). Every out-parameter may be
// null. Throws com_error(E_OUTOFMEMORY) when the name cannot be copied; nothing is
// written then.
inline void write_documentation(const OLECHAR* name, BSTR* pBstrName, BSTR* pBstrDocString, DWORD* pdwHelpContext,
                                BSTR* pBstrHelpFile) {
    Bstr text(name);
    if (pBstrName) *pBstrName = text.detach();
    if (pBstrDocString) *pBstrDocString = nullptr;
    if (pdwHelpContext) *pdwHelpContext = 0;
    if (pBstrHelpFile) *pBstrHelpFile = nullptr;
}

}  // namespace comrt::typelib_model
