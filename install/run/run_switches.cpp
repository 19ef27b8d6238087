#include "install/run/run_switches.h"

#include "services/text.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The position after the program's path.
size_t SkipProgram(const std::string& line)
{
    if (!line.empty() && line[0] == '"') {
        const size_t closing = line.find('"', 1);
        return closing == std::string::npos ? line.size() : closing + 1;
    }
    size_t at = 0;
    while (at < line.size() && !IsBlank(line[at]))
        ++at;
    return at;
}

// The word that starts at `at` (after blanks), without its quotes; `at`
// moves past it.
std::string NextWord(const std::string& line, size_t& at)
{
    while (at < line.size() && IsBlank(line[at]))
        ++at;
    std::string word;
    bool quoted = false;
    for (; at < line.size() && (quoted || !IsBlank(line[at])); ++at) {
        if (line[at] == '"')
            quoted = !quoted;
        else
            word += line[at];
    }
    return word;
}

} // namespace

RunSwitches ReadRunSwitches(const std::string& command_line)
{
    RunSwitches switches;
    size_t at = SkipProgram(command_line);
    while (at < command_line.size()) {
        const std::string word = AsciiUpper(NextWord(command_line, at));
        if (word == "/UNINSTALL")
            switches.uninstall = true;
        else if (word == "/QUIET")
            switches.quiet = true;
    }
    return switches;
}
