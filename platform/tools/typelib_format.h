// IDL-like text of a type library, read only through ITypeLib and ITypeInfo: library
// attributes, then each type info in library order (interfaces with their members in slot
// order, dispinterfaces, coclasses).
#pragma once

#include <comrt/typeinfo.h>

#include <string>

namespace typelib_dump {

// The text of lib. Throws comrt::com_error with the failing status when a query fails.
std::string format(ITypeLib* lib);

// A short English meaning of a status, for messages ("" when none is known).
std::string meaning(HRESULT hr);

}  // namespace typelib_dump
