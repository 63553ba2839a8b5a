// comrt-idl [--idl FILE | --fix-slots FILE.tlb]: the IDL of comrt's own type library (the object
// collection), for the Windows build (comrt/idl.h).
#include <comrt/idl.h>

int main(int argc, char** argv) { return comrt::idl_tool_main(comrt::runtime_type_library(), argc, argv); }
