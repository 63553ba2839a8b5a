// Font objects for tests: the platform's standard font object (OleCreateFontIndirect).
#pragma once

#include <comrt/com_ptr.h>
#include <comrt/olectl.h>

namespace pg_testing {

// A new font object of the family `name`, `points` high. Throws comrt::com_error.
comrt::ComPtr<IFontDisp> MakeFont(const char16_t* name, double points, SHORT weight = FW_NORMAL, bool italic = false);

}  // namespace pg_testing
