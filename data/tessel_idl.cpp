// tessel-idl [--idl FILE | --fix-slots FILE.tlb]: the IDL of the Tessel type library, written from the
// type description libtessel.so is built from, for the Windows build (comrt/idl.h).
#include <comrt/idl.h>

#include "tessel_typelib.h"

int main(int argc, char** argv) { return comrt::idl_tool_main(tessel::kTesselLib, argc, argv); }
