// The registration tool, run as a separate program: what it prints, and its exit status
// and message on each kind of failure.
#include <string>

#include <comrt/registry.h>
#include <testing/registry_fixture.h>
#include <testing/tool_output.h>

#include "testserver/testserver.h"

namespace {

using pg_testing::ToolRun;
using testserver::kServerA;

ToolRun regsvr(const std::string& arguments) { return pg_testing::RunTool(std::string(REGSVR_PATH) + " " + arguments); }

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

using RegistrationTool = pg_testing::TemporaryRegistryTest;

TEST_F(RegistrationTool, RegistersAndUnregisters) {
    ToolRun run = regsvr(TESTSERVER_A_PATH);
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(contains(run.output, "registered class " + comrt::guid_string(kServerA.counter) +
                                         " ComrtTestA.Counter (threading Apartment)"))
        << run.output;
    EXPECT_TRUE(contains(run.output, "registered type library " + comrt::guid_string(kServerA.libid) +
                                         " 1.2 ComrtTestA"))
        << run.output;
    EXPECT_FALSE(contains(run.output, comrt::guid_string(kServerA.hidden))) << run.output;
    comrt::class_registration entry;
    EXPECT_EQ(comrt::find_class(kServerA.counter, entry), S_OK);

    run = regsvr(std::string("-u ") + TESTSERVER_A_PATH);
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(contains(run.output, "unregistered class " + comrt::guid_string(kServerA.counter))) << run.output;
    EXPECT_EQ(comrt::find_class(kServerA.counter, entry), REGDB_E_CLASSNOTREG);
}

TEST_F(RegistrationTool, Failures) {
    write_registry("{\"classes\": [");
    const struct {
        const char* name;
        std::string arguments;
        int status;
        const char* expected;
    } rows[] = {
        {"no library", "", 2, "usage: regsvr [-u] LIBRARY.so"},
        {"two libraries", std::string(TESTSERVER_A_PATH) + " " + TESTSERVER_B_PATH, 2, "usage"},
        {"unknown option", std::string("-x ") + TESTSERVER_A_PATH, 2, "usage"},
        {"missing file", folder_ + "/missing.so", 1, "0x800401F8 "},
        {"not a library", path_, 1, "0x800401F9 "},
        {"no exports", COMRT_LIBRARY_PATH, 1, "DllRegisterServer failed: 0x800401F9 "},
        {"damaged registry", TESTSERVER_A_PATH, 1, "DllRegisterServer failed: 0x80040153 The registry file is damaged"},
        {"damaged registry, -u", std::string("-u ") + TESTSERVER_A_PATH, 1, "DllUnregisterServer failed: 0x80040153"},
    };
    for (const auto& row : rows) {
        const ToolRun run = regsvr(row.arguments);
        EXPECT_EQ(run.status, row.status) << row.name << ": " << run.output;
        EXPECT_TRUE(contains(run.output, row.expected)) << row.name << ": " << run.output;
    }
}

}  // namespace
