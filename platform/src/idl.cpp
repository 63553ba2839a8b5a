// A type description as IDL, and the vtable fix-up of the type library widl compiles from
// it (comrt/idl.h).
//
// The compiled type library is in the MSFT format that LoadTypeLib reads, laid out as:
//
//   header        0x54 bytes: "MSFT", ..., varflags at 0x14 (0x100: one more INT
//                 follows the header), nrtypeinfos at 0x20
//   offsets       nrtypeinfos INTs: where each type info's base lies in the segment
//   segments      15 entries of { offset, length, -1, 0x0F }: 0 the type info bases,
//                 5 the GUID table, ...
//   type info     0x64 bytes: typekind at 0x00 (low nibble), memoffset at 0x04 (the
//   base          member block), cElement at 0x18 (low word: functions), posguid at 0x2C
//                 (offset in the GUID table), cbSizeVft at 0x4E (INT16)
//   member block  INT total size, then one record per function: Info at 0x00 (low word:
//                 the record's size), VtableOffset at 0x0C (INT16, bytes, bit 0 a flag)
//
// A dual interface is one type info of kind TKIND_DISPATCH with TYPEFLAG_FDUAL; its vtable
// view, which the system derives from it, takes the same offsets.
#include <comrt/idl.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <utility>

#include <comrt/error.h>
#include <comrt/olectl.h>
#include <comrt/text.h>

#include "comrt_typelib.h"

namespace comrt {

const type_library& runtime_type_library() noexcept { return kComrtLib; }

namespace {

// Bytes per vtable slot: the type libraries are 64-bit ones.
constexpr int kSlotBytes = 8;

std::string text_of(const OLECHAR* name) {
    if (!name) throw com_error(E_INVALIDARG);
    return to_utf8(name);
}

std::string uuid_text(const GUID& g) {
    char text[40];
    std::snprintf(text, sizeof text, "%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X", static_cast<unsigned>(g.Data1),
                  static_cast<unsigned>(g.Data2), static_cast<unsigned>(g.Data3), g.Data4[0], g.Data4[1], g.Data4[2],
                  g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
    return text;
}

std::string hex_id(DISPID id) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08x", static_cast<unsigned>(id));
    return text;
}

const interface_desc* find_in(const type_library& lib, const IID& iid) noexcept {
    for (const interface_desc* itf : lib.interfaces)
        if (itf->iid == iid) return itf;
    return nullptr;
}

// The system's interfaces that automation.idl declares, besides IUnknown and IDispatch.
struct system_interface {
    const IID* iid;
    const char* name;
};
constexpr system_interface kSystemInterfaces[] = {{&IID_IFontDisp, "IFontDisp"}};

// What one library's IDL needs besides its own declarations.
struct writer {
    const type_library& lib;
    std::span<const imported_library> imports;
    bool imports_comrt = false;
    std::vector<const imported_library*> used;

    // The name of an interface declared by a library of ours that this one imports.
    const OLECHAR* imported_name(const IID& iid) {
        for (const imported_library& other : imports) {
            if (!find_in(*other.lib, iid)) continue;
            if (std::find(used.begin(), used.end(), &other) == used.end()) used.push_back(&other);
            return find_in(*other.lib, iid)->name;
        }
        return nullptr;
    }

    std::string type_text(const type_ref& t) {
        if (t.vt & VT_BYREF)
            return type_text({static_cast<VARTYPE>(t.vt & ~VT_BYREF), t.iid, t.name}) + "*";
        if (t.vt & VT_ARRAY)
            return "SAFEARRAY(" + type_text({static_cast<VARTYPE>(t.vt & ~VT_ARRAY), t.iid, t.name}) + ")";
        if (t.vt == VT_DISPATCH || t.vt == VT_UNKNOWN) {
            if (!t.iid || *t.iid == IID_IUnknown) return "IUnknown*";
            if (*t.iid == IID_IDispatch) return "IDispatch*";
            if (find_in(lib, *t.iid)) return text_of(t.name) + "*";
            if (&lib != &kComrtLib && find_in(kComrtLib, *t.iid)) {
                imports_comrt = true;
                return text_of(t.name) + "*";
            }
            if (const OLECHAR* name = imported_name(*t.iid)) return text_of(name) + "*";
            for (const system_interface& s : kSystemInterfaces)
                if (*s.iid == *t.iid) return std::string(s.name) + "*";
            throw com_error(E_NOTIMPL);  // an interface of a library the writer does not know
        }
        // A type alias of the system's (automation.idl declares those the descriptions use).
        if (t.name) return text_of(t.name);
        switch (t.vt) {
        case VT_I1: return "char";
        case VT_UI1: return "unsigned char";
        case VT_I2: return "short";
        case VT_UI2: return "unsigned short";
        case VT_I4: return "long";
        case VT_UI4: return "unsigned long";
        case VT_R4: return "float";
        case VT_R8: return "double";
        case VT_BSTR: return "BSTR";
        case VT_VARIANT: return "VARIANT";
        case VT_BOOL: return "VARIANT_BOOL";
        case VT_DATE: return "DATE";
        case VT_CY: return "CURRENCY";
        case VT_ERROR: return "SCODE";
        default: throw com_error(E_NOTIMPL);
        }
    }

    static std::string directions(USHORT flags) {
        std::string out;
        const auto add = [&out](const char* word) { out += (out.empty() ? "" : ", ") + std::string(word); };
        if (flags & PARAMFLAG_FIN) add("in");
        if (flags & PARAMFLAG_FOUT) add("out");
        if (flags & PARAMFLAG_FRETVAL) add("retval");
        if (flags & PARAMFLAG_FOPT) add("optional");
        return "[" + out + "]";
    }

    std::string member_text(const member_desc& m) {
        std::string attributes = "id(" + hex_id(m.id) + ")";
        switch (m.kind) {
        case member_kind::get: attributes += ", propget"; break;
        case member_kind::put: attributes += ", propput"; break;
        case member_kind::putref: attributes += ", propputref"; break;
        case member_kind::method: break;
        }
        constexpr std::pair<USHORT, const char*> kFlags[] = {
            {FUNCFLAG_FRESTRICTED, "restricted"},   {FUNCFLAG_FSOURCE, "source"},
            {FUNCFLAG_FBINDABLE, "bindable"},       {FUNCFLAG_FREQUESTEDIT, "requestedit"},
            {FUNCFLAG_FDISPLAYBIND, "displaybind"}, {FUNCFLAG_FDEFAULTBIND, "defaultbind"},
            {FUNCFLAG_FHIDDEN, "hidden"},           {FUNCFLAG_FDEFAULTCOLLELEM, "defaultcollelem"},
            {FUNCFLAG_FUIDEFAULT, "uidefault"},     {FUNCFLAG_FNONBROWSABLE, "nonbrowsable"},
            {FUNCFLAG_FIMMEDIATEBIND, "immediatebind"}};
        for (const auto& [flag, word] : kFlags)
            if (m.flags & flag) attributes += std::string(", ") + word;
        std::string params;
        for (const param_desc& p : m.parameters())
            params += (params.empty() ? "" : ", ") + directions(p.flags) + " " + type_text(p.type) + " " + text_of(p.name);
        if (m.has_result) {
            const type_ref result{static_cast<VARTYPE>(m.result.type.vt | VT_BYREF), m.result.type.iid, m.result.type.name};
            // Unnamed, as the description leaves it: GetNames then reports for a property's get
            // (the first member with its dispatch id) the member's name alone, as comrt does.
            params += (params.empty() ? "" : ", ") + directions(m.result.flags) + " " + type_text(result);
        }
        return "    [" + attributes + "] HRESULT " + text_of(m.name) + "(" + params + ");\n";
    }

    // A pure dispinterface: the event interfaces, which have no members yet.
    std::string dispinterface_text(const interface_desc& itf) {
        if (!itf.members.empty()) throw com_error(E_NOTIMPL);
        std::string out = "[\n    uuid(" + uuid_text(itf.iid) + ")";
        // (widl takes no nonextensible on a dispinterface; one without members has nothing to extend.)
        if (itf.flags & TYPEFLAG_FHIDDEN) out += ",\n    hidden";
        return out + "\n]\ndispinterface " + text_of(itf.name) + " {\n    properties:\n    methods:\n};\n\n";
    }

    static const char* keyword(const interface_desc& itf) {
        return itf.kind == TKIND_DISPATCH ? "dispinterface " : "interface ";
    }

    std::string interface_text(const interface_desc& itf) {
        if (itf.kind == TKIND_DISPATCH) return dispinterface_text(itf);
        if (itf.kind != TKIND_INTERFACE || !itf.base) throw com_error(E_NOTIMPL);
        std::string out = "[\n    uuid(" + uuid_text(itf.iid) + ")";
        constexpr std::pair<USHORT, const char*> kFlags[] = {{TYPEFLAG_FHIDDEN, "hidden"},
                                                             {TYPEFLAG_FDUAL, "dual"},
                                                             {TYPEFLAG_FNONEXTENSIBLE, "nonextensible"},
                                                             {TYPEFLAG_FOLEAUTOMATION, "oleautomation"},
                                                             {TYPEFLAG_FRESTRICTED, "restricted"}};
        for (const auto& [flag, word] : kFlags)
            if (itf.flags & flag) out += std::string(",\n    ") + word;
        out += "\n]\ninterface " + text_of(itf.name) + " : " + text_of(itf.base_name) + " {\n";
        for (const member_desc& m : itf.members) out += member_text(m);
        return out + "};\n\n";
    }

    std::string coclass_text(const class_desc& c) {
        std::string out = "    [\n        uuid(" + uuid_text(c.clsid) + ")";
        if (!(c.flags & TYPEFLAG_FCANCREATE)) out += ",\n        noncreatable";
        constexpr std::pair<USHORT, const char*> kFlags[] = {{TYPEFLAG_FCONTROL, "control"},
                                                             {TYPEFLAG_FHIDDEN, "hidden"},
                                                             {TYPEFLAG_FAPPOBJECT, "appobject"},
                                                             {TYPEFLAG_FLICENSED, "licensed"},
                                                             {TYPEFLAG_FPREDECLID, "predeclid"},
                                                             {TYPEFLAG_FAGGREGATABLE, "aggregatable"},
                                                             {TYPEFLAG_FRESTRICTED, "restricted"}};
        for (const auto& [flag, word] : kFlags)
            if (c.flags & flag) out += std::string(",\n        ") + word;
        out += "\n    ]\n    coclass " + text_of(c.name) + " {\n";
        const interface_desc* itf = find_in(lib, c.default_interface);
        if (!itf) throw com_error(E_INVALIDARG);
        out += "        [default] interface " + text_of(itf->name) + ";\n";
        if (!same_guid(c.source_interface, GUID{})) {
            const interface_desc* events = find_in(lib, c.source_interface);
            if (!events) throw com_error(E_INVALIDARG);
            out += "        [default, source] " + std::string(keyword(*events)) + text_of(events->name) + ";\n";
        }
        return out + "    };\n";
    }

    std::string text() {
        std::string interfaces;
        for (const interface_desc* itf : lib.interfaces) interfaces += interface_text(*itf);
        std::string classes;
        for (const class_desc& c : lib.classes) classes += "\n" + coclass_text(c);

        std::string out = "// The type library of " + text_of(lib.name) +
                          ", written from the type description the library is built from.\n"
                          "import \"automation.idl\";\n";
        if (imports_comrt) out += "import \"comrt.idl\";\n";
        for (const imported_library* other : used) out += "import \"" + std::string(other->file) + ".idl\";\n";
        out += "\n" + interfaces;
        out += "[\n    uuid(" + uuid_text(lib.libid) + "),\n    version(" + std::to_string(lib.major) + "." +
               std::to_string(lib.minor) + ")";
        if (lib.flags & LIBFLAG_FCONTROL) out += ",\n    control";
        if (lib.flags & LIBFLAG_FHIDDEN) out += ",\n    hidden";
        if (lib.flags & LIBFLAG_FRESTRICTED) out += ",\n    restricted";
        out += "\n]\nlibrary " + text_of(lib.name) + "\n{\n    importlib(\"stdole2.tlb\");\n";
        if (imports_comrt) out += "    importlib(\"comrt.tlb\");\n";
        for (const imported_library* other : used) out += "    importlib(\"" + std::string(other->file) + ".tlb\");\n";
        out += "\n";
        for (const interface_desc* itf : lib.interfaces) out += "    " + std::string(keyword(*itf)) + text_of(itf->name) + ";\n";
        return out + classes + "};\n";
    }
};

// ---- the compiled type library ------------------------------------------------------------

std::int32_t read32(const std::vector<unsigned char>& bytes, std::size_t at) {
    if (at > bytes.size() || bytes.size() - at < 4) throw com_error(E_INVALIDARG);
    std::int32_t value;
    std::memcpy(&value, bytes.data() + at, 4);
    return value;
}

std::int16_t read16(const std::vector<unsigned char>& bytes, std::size_t at) {
    if (at > bytes.size() || bytes.size() - at < 2) throw com_error(E_INVALIDARG);
    std::int16_t value;
    std::memcpy(&value, bytes.data() + at, 2);
    return value;
}

void write16(std::vector<unsigned char>& bytes, std::size_t at, std::int16_t value) {
    if (at > bytes.size() || bytes.size() - at < 2) throw com_error(E_INVALIDARG);
    std::memcpy(bytes.data() + at, &value, 2);
}

std::size_t position(std::int32_t offset) {
    if (offset < 0) throw com_error(E_INVALIDARG);
    return static_cast<std::size_t>(offset);
}

GUID read_guid(const std::vector<unsigned char>& bytes, std::size_t at) {
    if (at > bytes.size() || bytes.size() - at < sizeof(GUID)) throw com_error(E_INVALIDARG);
    GUID g;
    std::memcpy(&g, bytes.data() + at, sizeof g);
    return g;
}

// One interface's member records: each described member at its own slot, and the
// vtable as long as its last slot.
void fix_interface(const interface_desc& itf, std::vector<unsigned char>& tlb, std::size_t base) {
    const std::size_t functions = static_cast<std::uint32_t>(read32(tlb, base + 0x18)) & 0xFFFF;
    if (functions != itf.members.size()) throw com_error(E_INVALIDARG);
    const int first_slot = itf.base && *itf.base == IID_IUnknown ? 3 : 7;
    int slots = first_slot;
    std::size_t record = position(read32(tlb, base + 0x04)) + 4;
    for (std::size_t k = 0; k < functions; ++k) {
        const int slot = itf.members[k].slot();
        if (slot < first_slot) throw com_error(E_INVALIDARG);
        const std::int16_t old = read16(tlb, record + 0x0C);
        // widl numbers the members one after the other from the base's last slot.
        if ((old & ~1) != (first_slot + static_cast<int>(k)) * kSlotBytes) throw com_error(E_INVALIDARG);
        write16(tlb, record + 0x0C, static_cast<std::int16_t>(slot * kSlotBytes | (old & 1)));
        slots = std::max(slots, slot + 1);
        const std::size_t size = static_cast<std::uint32_t>(read32(tlb, record)) & 0xFFFF;
        if (size == 0) throw com_error(E_INVALIDARG);
        record += size;
    }
    write16(tlb, base + 0x4E, static_cast<std::int16_t>(slots * kSlotBytes));
}

}  // namespace

std::string idl_of(const type_library& lib, std::span<const imported_library> imports) {
    writer w{lib, imports, false, {}};
    return w.text();
}

void fix_vtable_slots(const type_library& lib, std::vector<unsigned char>& tlb) {
    constexpr std::int32_t kMagic = 0x5446534D;  // "MSFT"
    if (read32(tlb, 0) != kMagic) throw com_error(E_INVALIDARG);
    const std::int32_t count = read32(tlb, 0x20);
    if (count < 0 || count > 0xFFFF) throw com_error(E_INVALIDARG);
    std::size_t offsets = 0x54 + ((read32(tlb, 0x14) & 0x100) ? 4 : 0);
    const std::size_t segments = offsets + 4 * static_cast<std::size_t>(count);
    const std::size_t typeinfos = position(read32(tlb, segments + 0 * 16));
    const std::size_t guids = position(read32(tlb, segments + 5 * 16));
    std::size_t fixed = 0;
    for (std::int32_t i = 0; i < count; ++i, offsets += 4) {
        const std::size_t base = typeinfos + position(read32(tlb, offsets));
        const std::int32_t kind = read32(tlb, base) & 0xF;
        if (kind != TKIND_INTERFACE && kind != TKIND_DISPATCH) continue;
        const GUID iid = read_guid(tlb, guids + position(read32(tlb, base + 0x2C)));
        if (const interface_desc* itf = find_in(lib, iid)) {
            // A pure dispinterface has no vtable of its own beyond IDispatch's.
            if (itf->kind == TKIND_INTERFACE) fix_interface(*itf, tlb, base);
            ++fixed;
        }
    }
    if (fixed != lib.interfaces.size()) throw com_error(E_INVALIDARG);
}

int idl_tool_main(const type_library& lib, int argc, char** argv, std::span<const imported_library> imports) noexcept try {
    const char* program = argc > 0 ? argv[0] : "idl";
    if (argc == 1) {
        const std::string text = idl_of(lib, imports);
        std::fwrite(text.data(), 1, text.size(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    if (argc == 3 && std::strcmp(argv[1], "--idl") == 0) {
        const std::string text = idl_of(lib, imports);
        std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        out.close();
        if (!out) throw com_error(E_FAIL);
        return 0;
    }
    if (argc != 3 || std::strcmp(argv[1], "--fix-slots") != 0) {
        std::fprintf(stderr, "usage: %s [--idl FILE.idl | --fix-slots FILE.tlb]\n", program);
        return 2;
    }
    std::vector<unsigned char> tlb;
    {
        std::ifstream in(argv[2], std::ios::binary);
        tlb.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (!in.good() && !in.eof()) throw com_error(E_FAIL);
    }
    fix_vtable_slots(lib, tlb);
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(tlb.data()), static_cast<std::streamsize>(tlb.size()));
    out.close();
    if (!out) throw com_error(E_FAIL);
    return 0;
} catch (const com_error& e) {
    std::fprintf(stderr, "%s: failed with 0x%08X (%s)\n", argc > 0 ? argv[0] : "idl", static_cast<unsigned>(e.code()),
                 e.code() == E_NOTIMPL ? "the description holds what this IDL cannot say"
                 : e.code() == E_INVALIDARG ? "not a type library compiled from this description"
                                            : "cannot read or write the file");
    return 1;
} catch (...) {
    std::fprintf(stderr, "%s: failed\n", argc > 0 ? argv[0] : "idl");
    return 1;
}

}  // namespace comrt
