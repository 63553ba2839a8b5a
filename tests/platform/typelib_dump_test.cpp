#include <gtest/gtest.h>

#include <string>

#include <testing/tool_output.h>

#include "probe_types.h"
#include "typelib_format.h"

namespace {

constexpr const char* kProbeText = R"([
  uuid(3F0D5D42-2C71-4C8B-9E0A-6A1F2B3C4D5E),
  version(2.5),
  control
]
library ProbeLib
{
    [
      uuid(3F0D5D3E-2C71-4C8B-9E0A-6A1F2B3C4D5E),
      hidden,
      dual,
      nonextensible,
      oleautomation
    ]
    interface _clsProbe : IDispatch {
        /* slot  7 */ [id(0x40030000), propget] HRESULT Label([out, retval] BSTR*);
        /* slot  8 */ [id(0x40030000), propput] HRESULT Label([in] BSTR);
        /* slot  9 */ [id(0x40030001), propget] HRESULT Level([out, retval] short*);
        /* slot 10 */ [id(0x40030001), propput] HRESULT Level([in] short);
        /* slot 11 */ [id(0x40030002), propget] HRESULT Partner([out, retval] _clsProbe**);
        /* slot 13 */ [id(0x40030002), propputref] HRESULT Partner([in] _clsProbe*);
        /* slot 14 */ [id(0x40030003), propget] HRESULT Enabled([out, retval] VARIANT_BOOL*);
        /* slot 15 */ [id(0x40030003), propput] HRESULT Enabled([in] VARIANT_BOOL);
        /* slot 16 */ [id(0x40030004), propget, hidden] HRESULT Tint([out, retval] OLE_COLOR*);
        /* slot 17 */ [id(0x60030000)] HRESULT Scale([in] short nBy, [in] long nTotal, [out, retval] long*);
        /* slot 18 */ [id(0x60030001)] HRESULT Swap([in, out] BSTR* sLeft, [in, out] BSTR* sRight);
        /* slot 19 */ [id(0x60030002)] HRESULT Bump([in, out] short* nValue, [in, out] long* nWide, [in] VARIANT* vAny);
        /* slot 20 */ [id(0x60030003)] HRESULT Describe([in] BSTR sName, [in, optional] VARIANT* vExtra, [out, retval] BSTR*);
        /* slot 21 */ [id(0x60030004)] HRESULT Fail([in] short nMode);
        /* slot 22 */ [id(0x60030005)] HRESULT Names([in, out] SAFEARRAY(BSTR)* aNames, [out, retval] long*);
    };

    [
      uuid(3F0D5D3F-2C71-4C8B-9E0A-6A1F2B3C4D5E),
      hidden
    ]
    dispinterface __clsProbe {
    methods:
    };

    [
      uuid(3F0D5D40-2C71-4C8B-9E0A-6A1F2B3C4D5E)
    ]
    coclass clsProbe {
        [default] interface _clsProbe;
    };

    [
      uuid(3F0D5D41-2C71-4C8B-9E0A-6A1F2B3C4D5E),
      control
    ]
    coclass ctlProbe {
        [default] interface _clsProbe;
        [default, source] dispinterface __clsProbe;
    };
};
)";

std::string probe_text() {
    comrt::ComPtr<ITypeLib> lib;
    EXPECT_EQ(comrt::create_typelib(probe::kLibrary, lib.put()), S_OK);
    return typelib_dump::format(lib.get());
}

// Runs the tool; its exit status and everything it printed (stdout and stderr).
pg_testing::ToolRun run_tool(const std::string& library) {
    return pg_testing::RunTool(std::string(TYPELIB_DUMP_PATH) + " '" + library + "'");
}

TEST(TypelibDump, ShowsIdsFlagsAndMembersInSlotOrder) { EXPECT_EQ(probe_text(), kProbeText); }

TEST(TypelibDump, ToolPrintsTheTypeLibraryOfALibraryFile) {
    const auto [status, output] = run_tool(PROBE_MODULE_PATH);
    EXPECT_EQ(status, 0) << output;
    EXPECT_EQ(output, "// " PROBE_MODULE_PATH "\n" + probe_text());
}

TEST(TypelibDump, ToolReportsAnUnreadableLibrary) {
    const struct {
        std::string library;
        const char* expected;
    } rows[] = {
        {"/nonexistent/libnothing.so", "0x80029C4A (the file cannot be loaded, or it has no DllGetClassObject)"},
        {"libm.so.6", "0x80029C4A"},
    };
    for (const auto& row : rows) {
        const auto [status, output] = run_tool(row.library);
        EXPECT_EQ(status, 1) << output;
        EXPECT_NE(output.find(row.expected), std::string::npos) << output;
    }
}

}  // namespace
