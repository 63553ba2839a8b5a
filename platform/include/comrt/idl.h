// A type description as IDL, for the Windows build: widl compiles the text into the type
// library that the DLL carries as a resource, so that the system's ITypeLib describes
// exactly what the description's Invoke does. Tools of the Linux build write it (one per
// library, e.g. tessel-idl); nothing at run time uses it.
//
// The IDL declares the interfaces outside the library block, so that a library that
// refers to them can import them, and the library block lists them in description order,
// then the coclasses: the order in which ITypeLib numbers its type infos. It imports
// "automation.idl" (the system's IUnknown, IDispatch, IFontDisp and automation types, which
// the type library then takes from stdole2.tlb), when the description refers to the object
// collection, comrt's own library ("comrt.idl", "comrt.tlb"), and each library of ours it
// refers to ("<file>.idl", "<file>.tlb"). Event interfaces are pure dispinterfaces.
//
// IDL numbers an interface's vtable slots by declaration order, with no gaps; a
// description may leave a slot undescribed (a member that late binding must not reach).
// fix_vtable_slots puts each member of the compiled type library back at its own slot.
#pragma once

#include <span>
#include <string>
#include <vector>

#include <comrt/typedesc.h>

namespace comrt {

// comrt's own type library "Comrt": the object collection's class and its interface.
const type_library& runtime_type_library() noexcept;

// Another library of ours whose interfaces a description may refer to, and the name of
// its IDL and type library files without their extensions.
struct imported_library {
    const type_library* lib;
    const char* file;
};

// The IDL text of lib, which may refer to the interfaces of imports. Throws
// com_error(E_NOTIMPL) for what IDL written here cannot say (a dispinterface with members,
// an interface of a library it does not know).
std::string idl_of(const type_library& lib, std::span<const imported_library> imports = {});

// Sets, in a type library compiled from idl_of(lib) (the bytes of the .tlb file), every
// described member's vtable offset and every interface's vtable size from the
// description. Throws com_error(E_INVALIDARG) for bytes that are not such a type library.
void fix_vtable_slots(const type_library& lib, std::vector<unsigned char>& tlb);

// The main function of a library's IDL tool:
//   TOOL                   writes idl_of(lib) to standard output
//   TOOL --idl FILE        writes it to FILE
//   TOOL --fix-slots FILE  applies fix_vtable_slots to the type library FILE in place
// Exit status 0, 1 on failure (with a message on standard error), 2 for bad usage.
int idl_tool_main(const type_library& lib, int argc, char** argv,
                  std::span<const imported_library> imports = {}) noexcept;

}  // namespace comrt
