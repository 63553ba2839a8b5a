// The test server libraries: one small class served in process, built twice (libraries
// "ComrtTestA" and "ComrtTestB") with different identities, for tests of registration and
// activation.
#pragma once

#include <comrt/unknwn.h>

struct ICounter : IUnknown {
    // *value: the count after adding one (the first call gives 1).
    virtual HRESULT STDMETHODCALLTYPE Increment(LONG* value) noexcept = 0;
};
COMRT_INTERFACE_ID(ICounter, "5E0F3C21-8D44-4B7A-9A51-3C2D1E0F4A10");

namespace testserver {

struct identity {
    const char16_t* name;  // the library's name: ProgIDs are "<name>.Counter"
    GUID libid;
    WORD major;
    WORD minor;
    CLSID counter;  // creatable
    CLSID hidden;   // listed with a factory, not creatable
};

inline constexpr identity kServerA{u"ComrtTestA", comrt::make_guid("0C8B7E10-2F3A-4C5D-8E9F-A0B1C2D3E4A1"), 1, 2,
                                   comrt::make_guid("0C8B7E11-2F3A-4C5D-8E9F-A0B1C2D3E4A1"),
                                   comrt::make_guid("0C8B7E12-2F3A-4C5D-8E9F-A0B1C2D3E4A1")};
inline constexpr identity kServerB{u"ComrtTestB", comrt::make_guid("0C8B7E10-2F3A-4C5D-8E9F-A0B1C2D3E4B2"), 2, 0,
                                   comrt::make_guid("0C8B7E11-2F3A-4C5D-8E9F-A0B1C2D3E4B2"),
                                   comrt::make_guid("0C8B7E12-2F3A-4C5D-8E9F-A0B1C2D3E4B2")};

}  // namespace testserver
