// Running a tool: its exit status, both of its output streams, and a tool that does not
// end normally; whitespace squeezed for checks that read as declarations.
#include <gtest/gtest.h>

#include <testing/tool_output.h>

namespace {

using pg_testing::RunTool;
using pg_testing::Squeezed;

TEST(RunTool, GivesTheExitStatusAndBothStreams) {
    const struct {
        const char* command;
        int status;
        const char* output;
    } rows[] = {
        {"printf 'out\\n'; printf 'err\\n' >&2", 0, "out\nerr\n"},
        {"printf 'partial'; exit 3", 3, "partial"},
        {"kill -9 $$", -1, ""},
        {"/nonexistent/tool", 127, nullptr},
    };
    for (const auto& row : rows) {
        const pg_testing::ToolRun run = RunTool(row.command);
        EXPECT_EQ(run.status, row.status) << row.command << ": " << run.output;
        if (row.output) {
            EXPECT_EQ(run.output, row.output) << row.command;
        }
    }
}

TEST(Squeezed, WhitespaceRunsBecomeOneSpaceNoneInFront) {
    EXPECT_EQ(Squeezed("  a \t b\n\n  c\n"), "a b c ");
    EXPECT_EQ(Squeezed(""), "");
    EXPECT_EQ(Squeezed(" \n "), "");
}

}  // namespace
