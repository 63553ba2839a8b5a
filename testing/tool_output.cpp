// Running a command-line tool (testing/tool_output.h).
#include <testing/tool_output.h>

#include <sys/wait.h>

#include <cctype>
#include <cstdio>

namespace pg_testing {

ToolRun RunTool(const std::string& command) {
    ToolRun run;
    // Braced, so that standard error joins the output for every command of a list.
    FILE* pipe = ::popen(("{ " + command + "\n} 2>&1").c_str(), "r");
    if (!pipe) return run;
    char buffer[4096];
    while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) run.output.append(buffer, n);
    const int status = ::pclose(pipe);
    run.status = status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

std::string Squeezed(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        if (!std::isspace(static_cast<unsigned char>(c)))
            out += c;
        else if (!out.empty() && out.back() != ' ')
            out += ' ';
    }
    return out;
}

}  // namespace pg_testing
