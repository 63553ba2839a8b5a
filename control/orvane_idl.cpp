// orvane-idl [--idl FILE | --fix-slots FILE.tlb]: the IDL of the Orvane type library, written
// from the type description the control's library is built from, for the Windows build
// (comrt/idl.h). AddPropertyGroup takes a group of Tessel's, so the IDL imports Tessel's
// type library for that interface.
#include <comrt/idl.h>
#include <tessel/tessel.h>

#include <control/orvane_typelib.h>

namespace {

// Tessel's library as far as Orvane's description refers to it: the group's interface, by
// its id and name.
constexpr comrt::interface_desc kGroupInterface{IID__clsTessel, OLESTR("_clsTessel"), comrt::dual_interface, {}};
constexpr const comrt::interface_desc* kTesselInterfaces[] = {&kGroupInterface};
constexpr comrt::type_library kTesselReferences{LIBID_Tessel, OLESTR("Tessel"), 0, 0, 0, kTesselInterfaces, {}};

}  // namespace

int main(int argc, char** argv) {
    const comrt::imported_library imports[] = {{&kTesselReferences, "tessel"}};
    return comrt::idl_tool_main(orvane::kOrvaneLib, argc, argv, imports);
}
