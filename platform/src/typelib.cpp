// ITypeLib over a type description, and loading a library's type library from its file.
//
// A library hands out its type library through its DllGetClassObject for CLSID_TypeLib,
// so no export beyond the four server entry points is needed.
#include "typelib_model.h"

#include <comrt/error.h>


namespace comrt {
namespace typelib_model {

typelib::typelib(const type_library& lib, std::atomic<long>* owner_count) : lib_(lib), owner_count_(owner_count) {
    for (const interface_desc* itf : lib.interfaces)
        entries_.push_back({itf->kind, itf->iid, itf->name, itf, nullptr, VT_EMPTY});
    for (const class_desc& cls : lib.classes) entries_.push_back({TKIND_COCLASS, cls.clsid, cls.name, nullptr, &cls});
    local_count_ = static_cast<UINT>(entries_.size());
    for (const interface_desc* itf : lib.interfaces) {
        if (itf->base) add_interface(*itf->base, itf->base_name);
        for (const member_desc& m : itf->members) {
            for (const param_desc& p : m.parameters()) add_referenced(p.type);
            if (m.has_result) add_referenced(m.result.type);
        }
    }
    if (owner_count_) owner_count_->fetch_add(1);
}

typelib::~typelib() {
    if (owner_count_) owner_count_->fetch_sub(1);
}

void typelib::add_interface(const IID& iid, const OLECHAR* name) {
    if (find_interface(iid) < 0) entries_.push_back({TKIND_INTERFACE, iid, name ? name : OLESTR("?")});
}

void typelib::add_referenced(const type_ref& type) {
    const VARTYPE base = type.vt & VT_TYPEMASK;
    if (base == VT_DISPATCH || base == VT_UNKNOWN) {
        // IDispatch* and IUnknown* parameters are built-in types, not references.
        if (!is_plain_object(type.iid)) add_interface(*type.iid, type.name);
    } else if (type.name && find_alias(type.name) < 0) {
        entries_.push_back({TKIND_ALIAS, GUID_NULL, type.name, nullptr, nullptr, base});
    }
}

long typelib::find_interface(const IID& iid) const noexcept {
    for (std::size_t i = 0; i < entries_.size(); ++i)
        if (entries_[i].kind != TKIND_COCLASS && entries_[i].kind != TKIND_ALIAS && entries_[i].guid == iid)
            return static_cast<long>(i);
    return -1;
}

long typelib::find_alias(const OLECHAR* name) const noexcept {
    for (std::size_t i = 0; i < entries_.size(); ++i)
        if (entries_[i].kind == TKIND_ALIAS && detail::same_name(entries_[i].name, name)) return static_cast<long>(i);
    return -1;
}

UINT STDMETHODCALLTYPE typelib::GetTypeInfoCount() noexcept { return local_count_; }

HRESULT STDMETHODCALLTYPE typelib::GetTypeInfo(UINT index, ITypeInfo** ppTInfo) noexcept try {
    if (!ppTInfo) return E_INVALIDARG;
    *ppTInfo = nullptr;
    if (index >= local_count_) return TYPE_E_ELEMENTNOTFOUND;
    return make_typeinfo(ComPtr<typelib>(this), index, ppTInfo);
} catch (...) {
    return to_hresult();
}

HRESULT STDMETHODCALLTYPE typelib::GetTypeInfoType(UINT index, TYPEKIND* pTKind) noexcept {
    if (!pTKind) return E_INVALIDARG;
    if (index >= local_count_) return TYPE_E_ELEMENTNOTFOUND;
    *pTKind = entries_[index].kind;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE typelib::GetTypeInfoOfGuid(REFGUID guid, ITypeInfo** ppTinfo) noexcept try {
    if (!ppTinfo) return E_INVALIDARG;
    *ppTinfo = nullptr;
    for (UINT i = 0; i < local_count_; ++i)
        if (entries_[i].guid == guid) return make_typeinfo(ComPtr<typelib>(this), i, ppTinfo);
    return TYPE_E_ELEMENTNOTFOUND;
} catch (...) {
    return to_hresult();
}

HRESULT STDMETHODCALLTYPE typelib::GetLibAttr(TLIBATTR** ppTLibAttr) noexcept try {
    if (!ppTLibAttr) return E_INVALIDARG;
    *ppTLibAttr = new TLIBATTR{lib_.libid, 0, SYS_WIN64, lib_.major, lib_.minor, lib_.flags};
    return S_OK;
} catch (...) {
    return to_hresult();
}

void STDMETHODCALLTYPE typelib::ReleaseTLibAttr(TLIBATTR* pTLibAttr) noexcept { delete pTLibAttr; }

HRESULT STDMETHODCALLTYPE typelib::GetDocumentation(INT index, BSTR* pBstrName, BSTR* pBstrDocString,
                                                    DWORD* pdwHelpContext, BSTR* pBstrHelpFile) noexcept try {
    if (index < -1 || index >= static_cast<INT>(local_count_)) return TYPE_E_ELEMENTNOTFOUND;
    write_documentation(index == -1 ? lib_.name : entries_[static_cast<std::size_t>(index)].name, pBstrName,
                        pBstrDocString, pdwHelpContext, pBstrHelpFile);
    return S_OK;
} catch (...) {
    return to_hresult();
}

HRESULT STDMETHODCALLTYPE typelib::GetTypeComp(ITypeComp** ppTComp) noexcept {
    if (ppTComp) *ppTComp = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE typelib::IsName(LPOLESTR, ULONG, BOOL*) noexcept { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE typelib::FindName(LPOLESTR, ULONG, ITypeInfo**, MEMBERID*, USHORT*) noexcept {
    return E_NOTIMPL;
}

}  // namespace typelib_model

HRESULT create_typelib_for(const type_library& lib, std::atomic<long>* owner_count, ITypeLib** ppTLib) noexcept try {
    if (!ppTLib) return E_POINTER;
    *ppTLib = nullptr;
    *ppTLib = make<typelib_model::typelib>(lib, owner_count).detach();
    return S_OK;
} catch (...) {
    return to_hresult();
}

}  // namespace comrt
