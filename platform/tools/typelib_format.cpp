// IDL-like text of a type library. Every fact printed comes from ITypeLib / ITypeInfo, so
// the text shows what a late-bound client of the library sees.
#include "typelib_format.h"

#include <comrt/com_ptr.h>
#include <comrt/error.h>
#include <comrt/resource.h>
#include <comrt/text.h>

#include <cstdio>
#include <memory>
#include <set>
#include <vector>

namespace typelib_dump {
namespace {

using comrt::Bstr;
using comrt::check;
using comrt::ComPtr;
using comrt::to_utf8;

std::string guid_text(const GUID& g) {
    OLECHAR text[39];
    if (StringFromGUID2(g, text, 39) != 39) throw comrt::com_error(E_UNEXPECTED);
    return to_utf8(comrt::olestring_view(text + 1, 36));  // without the braces
}

std::string hex_id(MEMBERID id) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08x", static_cast<unsigned>(id));
    return text;
}

std::string name_of(ITypeInfo* info, MEMBERID memid = MEMBERID_NIL) {
    Bstr name;
    check(info->GetDocumentation(memid, name.put(), nullptr, nullptr, nullptr));
    return to_utf8(name.view());
}

// Attribute lists: "[\n  a,\n  b\n]" before a library or type.
std::string attribute_block(const std::vector<std::string>& attributes, const std::string& indent) {
    std::string out = indent + "[\n";
    for (std::size_t i = 0; i < attributes.size(); ++i)
        out += indent + "  " + attributes[i] + (i + 1 < attributes.size() ? ",\n" : "\n");
    return out + indent + "]\n";
}

void add_flags(std::vector<std::string>& out, unsigned flags, std::initializer_list<std::pair<unsigned, const char*>> names) {
    for (const auto& [flag, name] : names)
        if (flags & flag) out.emplace_back(name);
}

// Holders that release what ITypeInfo hands out.
struct type_attr {
    ITypeInfo* info;
    TYPEATTR* attr = nullptr;
    explicit type_attr(ITypeInfo* i) : info(i) { check(info->GetTypeAttr(&attr)); }
    ~type_attr() { info->ReleaseTypeAttr(attr); }
    TYPEATTR* operator->() const { return attr; }
};
struct func_desc {
    ITypeInfo* info;
    FUNCDESC* desc = nullptr;
    func_desc(ITypeInfo* i, UINT index) : info(i) { check(info->GetFuncDesc(index, &desc)); }
    ~func_desc() { info->ReleaseFuncDesc(desc); }
    FUNCDESC* operator->() const { return desc; }
};

// A dual interface as its vtable interface. The system describes a dual interface by its
// dispatch view (TKIND_DISPATCH), from which GetRefTypeOfImplType(-1) leads to the
// interface itself; comrt's type libraries hand out the interface directly. Either way
// the text shows the interface, with its slots.
ComPtr<ITypeInfo> vtable_view(ITypeInfo* info) {
    {
        type_attr attr(info);
        if (attr->typekind != TKIND_DISPATCH || !(attr->wTypeFlags & TYPEFLAG_FDUAL)) return ComPtr<ITypeInfo>(info);
    }
    HREFTYPE href = 0;
    check(info->GetRefTypeOfImplType(static_cast<UINT>(-1), &href));
    ComPtr<ITypeInfo> itf;
    check(info->GetRefTypeInfo(href, itf.put()));
    return itf;
}

std::string type_text(ITypeInfo* context, const TYPEDESC& t) {
    switch (t.vt) {
    case VT_PTR: return type_text(context, *t.lptdesc) + "*";
    case VT_SAFEARRAY: return "SAFEARRAY(" + type_text(context, *t.lptdesc) + ")";
    case VT_USERDEFINED: {
        ComPtr<ITypeInfo> referenced;
        check(context->GetRefTypeInfo(t.hreftype, referenced.put()));
        return name_of(referenced.get());
    }
    case VT_I1: return "char";
    case VT_I2: return "short";
    case VT_I4: return "long";
    case VT_I8: return "int64";
    case VT_UI1: return "unsigned char";
    case VT_UI2: return "unsigned short";
    case VT_UI4: return "unsigned long";
    case VT_UI8: return "uint64";
    case VT_INT: return "int";
    case VT_UINT: return "unsigned int";
    case VT_R4: return "float";
    case VT_R8: return "double";
    case VT_CY: return "CURRENCY";
    case VT_DATE: return "DATE";
    case VT_BSTR: return "BSTR";
    case VT_BOOL: return "VARIANT_BOOL";
    case VT_VARIANT: return "VARIANT";
    case VT_DECIMAL: return "DECIMAL";
    case VT_ERROR: return "SCODE";
    case VT_HRESULT: return "HRESULT";
    case VT_VOID: return "void";
    case VT_DISPATCH: return "IDispatch*";
    case VT_UNKNOWN: return "IUnknown*";
    default: return "vt(" + std::to_string(t.vt) + ")";
    }
}

std::string direction(USHORT flags) {
    std::vector<std::string> parts;
    add_flags(parts, flags,
              {{PARAMFLAG_FIN, "in"}, {PARAMFLAG_FOUT, "out"}, {PARAMFLAG_FRETVAL, "retval"},
               {PARAMFLAG_FOPT, "optional"}, {PARAMFLAG_FLCID, "lcid"}});
    std::string out = "[";
    for (std::size_t i = 0; i < parts.size(); ++i) out += (i ? ", " : "") + parts[i];
    return out + "]";
}

// `seen` holds the dispatch ids of the members printed before this one.
std::string member_line(ITypeInfo* info, UINT index, std::set<MEMBERID>& seen) {
    func_desc f(info, index);
    std::vector<std::string> attributes{"id(" + hex_id(f->memid) + ")"};
    switch (f->invkind) {
    case INVOKE_PROPERTYGET: attributes.emplace_back("propget"); break;
    case INVOKE_PROPERTYPUT: attributes.emplace_back("propput"); break;
    case INVOKE_PROPERTYPUTREF: attributes.emplace_back("propputref"); break;
    default: break;
    }
    add_flags(attributes, f->wFuncFlags,
              {{FUNCFLAG_FRESTRICTED, "restricted"}, {FUNCFLAG_FSOURCE, "source"}, {FUNCFLAG_FBINDABLE, "bindable"},
               {FUNCFLAG_FREQUESTEDIT, "requestedit"}, {FUNCFLAG_FDISPLAYBIND, "displaybind"},
               {FUNCFLAG_FDEFAULTBIND, "defaultbind"}, {FUNCFLAG_FHIDDEN, "hidden"},
               {FUNCFLAG_FDEFAULTCOLLELEM, "defaultcollelem"}, {FUNCFLAG_FUIDEFAULT, "uidefault"},
               {FUNCFLAG_FNONBROWSABLE, "nonbrowsable"}, {FUNCFLAG_FIMMEDIATEBIND, "immediatebind"}});

    // Names: the member's, then its named parameters in order. GetNames describes the first
    // member with the dispatch id (a property's get), so a later one with the same id (its
    // put) shows the name alone.
    const bool own_names = seen.insert(f->memid).second;
    std::vector<BSTR> raw(static_cast<std::size_t>(f->cParams) + 1, nullptr);
    UINT count = 0;
    check(info->GetNames(f->memid, raw.data(), static_cast<UINT>(raw.size()), &count));
    std::vector<Bstr> names;
    for (UINT i = 0; i < count; ++i) names.push_back(Bstr::attach(raw[i]));

    std::string line = "        ";
    if (f->funckind != FUNC_DISPATCH) {
        char slot[24];
        std::snprintf(slot, sizeof slot, "/* slot %2d */ ", f->oVft / static_cast<int>(sizeof(void*)));
        line += slot;
    }
    line += "[";
    for (std::size_t i = 0; i < attributes.size(); ++i) line += (i ? ", " : "") + attributes[i];
    line += "] " + type_text(info, f->elemdescFunc.tdesc) + " " + to_utf8(names.empty() ? comrt::olestring_view() : names[0].view()) + "(";
    for (SHORT p = 0; p < f->cParams; ++p) {
        const ELEMDESC& e = f->lprgelemdescParam[p];
        line += (p ? ", " : "") + direction(e.paramdesc.wParamFlags) + " " + type_text(info, e.tdesc);
        const std::size_t name_index = static_cast<std::size_t>(p) + 1;
        if (own_names && name_index < names.size() && !(e.paramdesc.wParamFlags & PARAMFLAG_FRETVAL))
            line += " " + to_utf8(names[name_index].view());
    }
    return line + ");\n";
}

std::string interface_text(ITypeInfo* info) {
    type_attr attr(info);
    std::vector<std::string> attributes{"uuid(" + guid_text(attr->guid) + ")"};
    add_flags(attributes, attr->wTypeFlags,
              {{TYPEFLAG_FHIDDEN, "hidden"}, {TYPEFLAG_FDUAL, "dual"}, {TYPEFLAG_FNONEXTENSIBLE, "nonextensible"},
               {TYPEFLAG_FOLEAUTOMATION, "oleautomation"}, {TYPEFLAG_FRESTRICTED, "restricted"}});
    std::string out = attribute_block(attributes, "    ");
    const bool dispinterface = attr->typekind == TKIND_DISPATCH;
    out += std::string("    ") + (dispinterface ? "dispinterface " : "interface ") + name_of(info);
    if (!dispinterface && attr->cImplTypes > 0) {
        HREFTYPE base = 0;
        check(info->GetRefTypeOfImplType(0, &base));
        ComPtr<ITypeInfo> base_info;
        check(info->GetRefTypeInfo(base, base_info.put()));
        out += " : " + name_of(base_info.get());
    }
    out += " {\n";
    if (dispinterface) out += "    methods:\n";
    std::set<MEMBERID> seen;
    for (UINT i = 0; i < attr->cFuncs; ++i) out += member_line(info, i, seen);
    return out + "    };\n";
}

std::string coclass_text(ITypeInfo* info) {
    type_attr attr(info);
    std::vector<std::string> attributes{"uuid(" + guid_text(attr->guid) + ")"};
    if (!(attr->wTypeFlags & TYPEFLAG_FCANCREATE)) attributes.emplace_back("noncreatable");
    add_flags(attributes, attr->wTypeFlags,
              {{TYPEFLAG_FCONTROL, "control"}, {TYPEFLAG_FHIDDEN, "hidden"}, {TYPEFLAG_FAPPOBJECT, "appobject"},
               {TYPEFLAG_FLICENSED, "licensed"}, {TYPEFLAG_FPREDECLID, "predeclid"},
               {TYPEFLAG_FAGGREGATABLE, "aggregatable"}, {TYPEFLAG_FRESTRICTED, "restricted"}});
    std::string out = attribute_block(attributes, "    ") + "    coclass " + name_of(info) + " {\n";
    for (UINT i = 0; i < attr->cImplTypes; ++i) {
        HREFTYPE href = 0;
        INT flags = 0;
        check(info->GetRefTypeOfImplType(i, &href));
        check(info->GetImplTypeFlags(i, &flags));
        ComPtr<ITypeInfo> referenced;
        check(info->GetRefTypeInfo(href, referenced.put()));
        const ComPtr<ITypeInfo> implemented = vtable_view(referenced.get());
        type_attr implemented_attr(implemented.get());
        std::vector<std::string> parts;
        add_flags(parts, static_cast<unsigned>(flags),
                  {{IMPLTYPEFLAG_FDEFAULT, "default"}, {IMPLTYPEFLAG_FSOURCE, "source"},
                   {IMPLTYPEFLAG_FRESTRICTED, "restricted"}, {IMPLTYPEFLAG_FDEFAULTVTABLE, "defaultvtable"}});
        std::string prefix;
        for (std::size_t k = 0; k < parts.size(); ++k) prefix += (k ? ", " : "") + parts[k];
        out += "        " + (prefix.empty() ? std::string() : "[" + prefix + "] ") +
               (implemented_attr->typekind == TKIND_DISPATCH ? "dispinterface " : "interface ") +
               name_of(implemented.get()) + ";\n";
    }
    return out + "    };\n";
}

struct lib_attr {
    ITypeLib* lib;
    TLIBATTR* attr = nullptr;
    explicit lib_attr(ITypeLib* l) : lib(l) { check(lib->GetLibAttr(&attr)); }
    ~lib_attr() { lib->ReleaseTLibAttr(attr); }
    TLIBATTR* operator->() const { return attr; }
};

}  // namespace

std::string format(ITypeLib* lib) {
    lib_attr attr(lib);
    std::vector<std::string> attributes{"uuid(" + guid_text(attr->guid) + ")",
                                        "version(" + std::to_string(attr->wMajorVerNum) + "." +
                                            std::to_string(attr->wMinorVerNum) + ")"};
    add_flags(attributes, attr->wLibFlags,
              {{LIBFLAG_FCONTROL, "control"}, {LIBFLAG_FHIDDEN, "hidden"}, {LIBFLAG_FRESTRICTED, "restricted"}});
    Bstr name;
    check(lib->GetDocumentation(-1, name.put(), nullptr, nullptr, nullptr));
    std::string out = attribute_block(attributes, "") + "library " + to_utf8(name.view()) + "\n{\n";
    const UINT count = lib->GetTypeInfoCount();
    for (UINT i = 0; i < count; ++i) {
        ComPtr<ITypeInfo> info;
        check(lib->GetTypeInfo(i, info.put()));
        TYPEKIND kind = TKIND_MAX;
        check(lib->GetTypeInfoType(i, &kind));
        out += i ? "\n" : "";
        if (kind == TKIND_COCLASS) out += coclass_text(info.get());
        else if (kind == TKIND_INTERFACE || kind == TKIND_DISPATCH) out += interface_text(vtable_view(info.get()).get());
        else out += "    // " + name_of(info.get()) + ": type kind " + std::to_string(kind) + "\n";
    }
    return out + "};\n";
}

std::string meaning(HRESULT hr) {
    switch (hr) {
    case TYPE_E_CANTLOADLIBRARY: return "the file cannot be loaded, or it has no DllGetClassObject";
    case CLASS_E_CLASSNOTAVAILABLE: return "the library does not hand out a type library";
    case TYPE_E_ELEMENTNOTFOUND: return "element not found";
    case E_NOINTERFACE: return "no such interface supported";
    case E_OUTOFMEMORY: return "out of memory";
    case E_NOTIMPL: return "not implemented";
    case E_POINTER: return "invalid pointer";
    case E_INVALIDARG: return "invalid argument";
    case E_UNEXPECTED: return "unexpected failure";
    default: break;
    }
    if (HRESULT_FACILITY(hr) == FACILITY_CONTROL)
        if (const OLECHAR* text = comrt::runtime_description(HRESULT_CODE(hr))) return to_utf8(text);
    return "";
}

}  // namespace typelib_dump
