// Running a command-line tool (regsvr, typelib-dump, nm, ...) and reading what it printed.
#pragma once

#include <string>
#include <string_view>

namespace pg_testing {

struct ToolRun {
    int status = -1;     // the exit status; -1 when the tool did not exit normally or did not start
    std::string output;  // everything it wrote, standard output and standard error interleaved
};

// Runs `command` through the shell (popen) and waits for it.
ToolRun RunTool(const std::string& command);

// The text with every run of whitespace as one space and none at the start, so that a
// check reads as a declaration does whatever the layout: "a  b\n  c\n" -> "a b c ".
std::string Squeezed(std::string_view text);

}  // namespace pg_testing
