// ITypeInfo over one entry of a description's type library: a described interface or
// class, or a type the description refers to (a base interface, another library's
// interface, an alias).
//
// Memory handed out: a TYPEATTR is one heap block; a FUNCDESC is the first member of one
// heap block that also holds its ELEMDESCs and the TYPEDESC chains they point into
// (SAFEARRAY(BSTR)* is VT_PTR -> VT_SAFEARRAY -> VT_BSTR), released as a whole.
#include "typelib_model.h"

#include <comrt/error.h>
#include <comrt/resource.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace comrt::typelib_model {
namespace {

constexpr SHORT kSlotBytes = sizeof(void*);

struct funcdesc_block {
    FUNCDESC desc;
    ELEMDESC params[max_params + 1];
    TYPEDESC chain[(max_params + 1) * 4];
    std::size_t used;
};
static_assert(std::is_standard_layout_v<funcdesc_block>);

class typeinfo final : public implements<typeinfo, ITypeInfo> {
public:
    typeinfo(ComPtr<typelib> lib, UINT index) : lib_(std::move(lib)), index_(index) {}

    HRESULT STDMETHODCALLTYPE GetTypeAttr(TYPEATTR** ppTypeAttr) noexcept override;
    HRESULT STDMETHODCALLTYPE GetTypeComp(ITypeComp** ppTComp) noexcept override;
    HRESULT STDMETHODCALLTYPE GetFuncDesc(UINT index, FUNCDESC** ppFuncDesc) noexcept override;
    HRESULT STDMETHODCALLTYPE GetVarDesc(UINT index, VARDESC** ppVarDesc) noexcept override;
    HRESULT STDMETHODCALLTYPE GetNames(MEMBERID memid, BSTR* rgBstrNames, UINT cMaxNames,
                                       UINT* pcNames) noexcept override;
    HRESULT STDMETHODCALLTYPE GetRefTypeOfImplType(UINT index, HREFTYPE* pRefType) noexcept override;
    HRESULT STDMETHODCALLTYPE GetImplTypeFlags(UINT index, INT* pImplTypeFlags) noexcept override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(LPOLESTR* rgszNames, UINT cNames, MEMBERID* pMemId) noexcept override;
    HRESULT STDMETHODCALLTYPE Invoke(PVOID pvInstance, MEMBERID memid, WORD wFlags, DISPPARAMS* pDispParams,
                                     VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) noexcept override;
    HRESULT STDMETHODCALLTYPE GetDocumentation(MEMBERID memid, BSTR* pBstrName, BSTR* pBstrDocString,
                                               DWORD* pdwHelpContext, BSTR* pBstrHelpFile) noexcept override;
    HRESULT STDMETHODCALLTYPE GetDllEntry(MEMBERID memid, INVOKEKIND invKind, BSTR* pBstrDllName, BSTR* pBstrName,
                                          WORD* pwOrdinal) noexcept override;
    HRESULT STDMETHODCALLTYPE GetRefTypeInfo(HREFTYPE hRefType, ITypeInfo** ppTInfo) noexcept override;
    HRESULT STDMETHODCALLTYPE AddressOfMember(MEMBERID memid, INVOKEKIND invKind, PVOID* ppv) noexcept override;
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* pUnkOuter, REFIID riid, PVOID* ppvObj) noexcept override;
    HRESULT STDMETHODCALLTYPE GetMops(MEMBERID memid, BSTR* pBstrMops) noexcept override;
    HRESULT STDMETHODCALLTYPE GetContainingTypeLib(ITypeLib** ppTLib, UINT* pIndex) noexcept override;
    void STDMETHODCALLTYPE ReleaseTypeAttr(TYPEATTR* pTypeAttr) noexcept override;
    void STDMETHODCALLTYPE ReleaseFuncDesc(FUNCDESC* pFuncDesc) noexcept override;
    void STDMETHODCALLTYPE ReleaseVarDesc(VARDESC* pVarDesc) noexcept override;

private:
    const entry& self() const noexcept { return lib_->entries()[index_]; }
    std::span<const member_desc> members() const noexcept {
        return self().itf ? self().itf->members : std::span<const member_desc>();
    }
    const member_desc* member(MEMBERID memid) const noexcept {
        for (const member_desc& m : members())
            if (m.id == memid) return &m;
        return nullptr;
    }
    // The implemented interfaces: a class's default and source interface, an
    // interface's base.
    struct impl_type {
        long href;
        INT flags;
    };
    std::vector<impl_type> impl_types() const;
    void describe(const type_ref& type, TYPEDESC& out, funcdesc_block& block) const;
    WORD vtable_size() const noexcept;

    ComPtr<typelib> lib_;
    UINT index_;
};

std::vector<typeinfo::impl_type> typeinfo::impl_types() const {
    std::vector<impl_type> result;
    if (const class_desc* cls = self().cls) {
        result.push_back({lib_->find_interface(cls->default_interface), IMPLTYPEFLAG_FDEFAULT});
        if (cls->source_interface != GUID_NULL)
            result.push_back({lib_->find_interface(cls->source_interface),
                              IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE});
    } else if (const interface_desc* itf = self().itf; itf && itf->base) {
        result.push_back({lib_->find_interface(*itf->base), 0});
    }
    return result;
}

// Builds the TYPEDESC chain of a type into block's pool.
void typeinfo::describe(const type_ref& type, TYPEDESC& out, funcdesc_block& block) const {
    auto next = [&block]() -> TYPEDESC* {
        if (block.used == std::size(block.chain)) throw com_error(E_UNEXPECTED);
        return &block.chain[block.used++];
    };
    const VARTYPE vt = type.vt;
    if (vt & VT_BYREF) {
        out.vt = VT_PTR;
        out.lptdesc = next();
        describe({static_cast<VARTYPE>(vt & ~VT_BYREF), type.iid, type.name}, *out.lptdesc, block);
        return;
    }
    if (vt & VT_ARRAY) {
        out.vt = VT_SAFEARRAY;
        out.lptdesc = next();
        describe({static_cast<VARTYPE>(vt & ~VT_ARRAY), type.iid, type.name}, *out.lptdesc, block);
        return;
    }
    if (vt == VT_DISPATCH || vt == VT_UNKNOWN) {
        const long href = is_plain_object(type.iid) ? -1 : lib_->find_interface(*type.iid);
        if (href < 0) {
            out.vt = vt;
            return;
        }
        out.vt = VT_PTR;
        out.lptdesc = next();
        out.lptdesc->vt = VT_USERDEFINED;
        out.lptdesc->hreftype = static_cast<HREFTYPE>(href);
        return;
    }
    if (type.name) {
        if (const long href = lib_->find_alias(type.name); href >= 0) {
            out.vt = VT_USERDEFINED;
            out.hreftype = static_cast<HREFTYPE>(href);
            return;
        }
    }
    out.vt = vt;
}

WORD typeinfo::vtable_size() const noexcept {
    const entry& e = self();
    if (e.kind == TKIND_DISPATCH) return 7 * kSlotBytes;
    if (e.kind != TKIND_INTERFACE) return 0;
    int slots = e.itf && e.itf->base && *e.itf->base == IID_IUnknown ? 3 : 7;
    for (const member_desc& m : members()) slots = std::max(slots, m.slot() + 1);
    return static_cast<WORD>(slots * kSlotBytes);
}

HRESULT STDMETHODCALLTYPE typeinfo::GetTypeAttr(TYPEATTR** ppTypeAttr) noexcept try {
    if (!ppTypeAttr) return E_INVALIDARG;
    *ppTypeAttr = nullptr;
    const entry& e = self();
    auto attr = std::make_unique<TYPEATTR>();
    attr->guid = e.guid;
    attr->memidConstructor = MEMBERID_NIL;
    attr->memidDestructor = MEMBERID_NIL;
    attr->typekind = e.kind;
    attr->cFuncs = static_cast<WORD>(members().size());
    attr->cImplTypes = static_cast<WORD>(impl_types().size());
    attr->cbSizeVft = vtable_size();
    attr->cbSizeInstance = e.kind == TKIND_ALIAS ? 4 : sizeof(void*);
    attr->cbAlignment = e.kind == TKIND_ALIAS ? 4 : sizeof(void*);
    if (e.itf) {
        attr->wTypeFlags = e.itf->flags;
        if (e.itf->flags & TYPEFLAG_FDUAL) attr->wTypeFlags |= TYPEFLAG_FDISPATCHABLE;
    } else if (e.cls) {
        attr->wTypeFlags = e.cls->flags;
    }
    if (e.kind == TKIND_ALIAS) attr->tdescAlias.vt = e.alias_of;
    *ppTypeAttr = attr.release();
    return S_OK;
} catch (...) {
    return to_hresult();
}

void STDMETHODCALLTYPE typeinfo::ReleaseTypeAttr(TYPEATTR* pTypeAttr) noexcept { delete pTypeAttr; }

HRESULT STDMETHODCALLTYPE typeinfo::GetFuncDesc(UINT index, FUNCDESC** ppFuncDesc) noexcept try {
    if (!ppFuncDesc) return E_INVALIDARG;
    *ppFuncDesc = nullptr;
    if (index >= members().size()) return TYPE_E_ELEMENTNOTFOUND;
    const member_desc& m = members()[index];
    auto block = std::make_unique<funcdesc_block>();
    FUNCDESC& fd = block->desc;
    fd.memid = m.id;
    const bool dispinterface = self().kind == TKIND_DISPATCH;
    fd.funckind = dispinterface ? FUNC_DISPATCH : FUNC_PUREVIRTUAL;
    fd.invkind = static_cast<INVOKEKIND>(m.kind);
    fd.callconv = CC_STDCALL;
    fd.oVft = dispinterface ? 0 : static_cast<SHORT>(std::max(m.slot(), 0) * kSlotBytes);
    fd.wFuncFlags = m.flags;
    fd.elemdescFunc.tdesc.vt = VT_HRESULT;
    fd.lprgelemdescParam = block->params;
    SHORT count = 0;
    for (const param_desc& p : m.parameters()) {
        ELEMDESC& ed = block->params[count++];
        describe(p.type, ed.tdesc, *block);
        ed.paramdesc.wParamFlags = p.flags;
        if (p.flags & PARAMFLAG_FOPT) ++fd.cParamsOpt;
    }
    if (m.has_result) {
        ELEMDESC& ed = block->params[count++];
        describe({static_cast<VARTYPE>(m.result.type.vt | VT_BYREF), m.result.type.iid, m.result.type.name},
                 ed.tdesc, *block);
        ed.paramdesc.wParamFlags = m.result.flags;
    }
    fd.cParams = count;
    *ppFuncDesc = &block.release()->desc;
    return S_OK;
} catch (...) {
    return to_hresult();
}

void STDMETHODCALLTYPE typeinfo::ReleaseFuncDesc(FUNCDESC* pFuncDesc) noexcept {
    delete reinterpret_cast<funcdesc_block*>(pFuncDesc);
}

HRESULT STDMETHODCALLTYPE typeinfo::GetNames(MEMBERID memid, BSTR* rgBstrNames, UINT cMaxNames,
                                             UINT* pcNames) noexcept try {
    if (!pcNames || (cMaxNames && !rgBstrNames)) return E_INVALIDARG;
    *pcNames = 0;
    const member_desc* m = member(memid);
    if (!m) return TYPE_E_ELEMENTNOTFOUND;
    std::vector<const OLECHAR*> names{m->name};
    for (const param_desc& p : m->parameters())
        if (p.name) names.push_back(p.name);
    std::vector<Bstr> out;
    for (std::size_t i = 0; i < names.size() && i < cMaxNames; ++i) out.emplace_back(names[i]);
    for (std::size_t i = 0; i < out.size(); ++i) rgBstrNames[i] = out[i].detach();
    *pcNames = static_cast<UINT>(out.size());
    return S_OK;
} catch (...) {
    return to_hresult();
}

HRESULT STDMETHODCALLTYPE typeinfo::GetRefTypeOfImplType(UINT index, HREFTYPE* pRefType) noexcept try {
    if (!pRefType) return E_INVALIDARG;
    const auto impl = impl_types();
    if (index >= impl.size() || impl[index].href < 0) return TYPE_E_ELEMENTNOTFOUND;
    *pRefType = static_cast<HREFTYPE>(impl[index].href);
    return S_OK;
} catch (...) {
    return to_hresult();
}

HRESULT STDMETHODCALLTYPE typeinfo::GetImplTypeFlags(UINT index, INT* pImplTypeFlags) noexcept try {
    if (!pImplTypeFlags) return E_INVALIDARG;
    const auto impl = impl_types();
    if (index >= impl.size()) return TYPE_E_ELEMENTNOTFOUND;
    *pImplTypeFlags = impl[index].flags;
    return S_OK;
} catch (...) {
    return to_hresult();
}

HRESULT STDMETHODCALLTYPE typeinfo::GetIDsOfNames(LPOLESTR* rgszNames, UINT cNames, MEMBERID* pMemId) noexcept {
    if (!self().itf) {
        for (UINT i = 0; pMemId && i < cNames; ++i) pMemId[i] = MEMBERID_NIL;
        return DISP_E_UNKNOWNNAME;
    }
    return dispatch_get_ids_of_names(*self().itf, IID_NULL, rgszNames, cNames, pMemId);
}

HRESULT STDMETHODCALLTYPE typeinfo::Invoke(PVOID pvInstance, MEMBERID memid, WORD wFlags, DISPPARAMS* pDispParams,
                                           VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) noexcept {
    if (pVarResult) VariantInit(pVarResult);  // an [out] variant: empty on every failure
    if (!self().itf || self().itf->kind != TKIND_INTERFACE) return DISP_E_MEMBERNOTFOUND;
    return dispatch_invoke(*self().itf, pvInstance, memid, IID_NULL, wFlags, pDispParams, pVarResult, pExcepInfo,
                           puArgErr);
}

HRESULT STDMETHODCALLTYPE typeinfo::GetDocumentation(MEMBERID memid, BSTR* pBstrName, BSTR* pBstrDocString,
                                                     DWORD* pdwHelpContext, BSTR* pBstrHelpFile) noexcept try {
    const OLECHAR* name = nullptr;
    if (memid == MEMBERID_NIL) {
        name = self().name;
    } else if (const member_desc* m = member(memid)) {
        name = m->name;
    } else {
        return TYPE_E_ELEMENTNOTFOUND;
    }
    write_documentation(name, pBstrName, pBstrDocString, pdwHelpContext, pBstrHelpFile);
    return S_OK;
} catch (...) {
    return to_hresult();
}

HRESULT STDMETHODCALLTYPE typeinfo::GetRefTypeInfo(HREFTYPE hRefType, ITypeInfo** ppTInfo) noexcept try {
    if (!ppTInfo) return E_INVALIDARG;
    *ppTInfo = nullptr;
    if (hRefType >= lib_->entries().size()) return TYPE_E_ELEMENTNOTFOUND;
    return make_typeinfo(lib_, hRefType, ppTInfo);
} catch (...) {
    return to_hresult();
}

HRESULT STDMETHODCALLTYPE typeinfo::GetContainingTypeLib(ITypeLib** ppTLib, UINT* pIndex) noexcept {
    if (index_ >= lib_->local_count()) {
        // A referenced type belongs to another library, which this one does not load.
        if (ppTLib) *ppTLib = nullptr;
        return E_NOTIMPL;
    }
    if (ppTLib) {
        *ppTLib = lib_.get();
        lib_->AddRef();
    }
    if (pIndex) *pIndex = index_;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE typeinfo::GetTypeComp(ITypeComp** ppTComp) noexcept {
    if (ppTComp) *ppTComp = nullptr;
    return E_NOTIMPL;
}
HRESULT STDMETHODCALLTYPE typeinfo::GetVarDesc(UINT, VARDESC** ppVarDesc) noexcept {
    if (ppVarDesc) *ppVarDesc = nullptr;
    return E_NOTIMPL;
}
void STDMETHODCALLTYPE typeinfo::ReleaseVarDesc(VARDESC*) noexcept {}
HRESULT STDMETHODCALLTYPE typeinfo::GetDllEntry(MEMBERID, INVOKEKIND, BSTR*, BSTR*, WORD*) noexcept {
    return E_NOTIMPL;
}
HRESULT STDMETHODCALLTYPE typeinfo::AddressOfMember(MEMBERID, INVOKEKIND, PVOID*) noexcept { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE typeinfo::CreateInstance(IUnknown*, REFIID, PVOID* ppvObj) noexcept {
    if (ppvObj) *ppvObj = nullptr;
    return E_NOTIMPL;
}
HRESULT STDMETHODCALLTYPE typeinfo::GetMops(MEMBERID, BSTR*) noexcept { return E_NOTIMPL; }

}  // namespace

HRESULT make_typeinfo(const ComPtr<typelib>& lib, UINT index, ITypeInfo** ppTInfo) {
    *ppTInfo = make<typeinfo>(lib, index).detach();
    return S_OK;
}

}  // namespace comrt::typelib_model
