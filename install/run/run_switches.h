// The switches the program takes on its command line: "/uninstall" makes it
// the uninstaller, "/quiet" an uninstaller without boxes. Portable, so the
// reading is tested natively.
#pragma once

#include <string>

struct RunSwitches {
    bool uninstall = false;
    bool quiet = false;
};

// Reads a whole command line as GetCommandLineA gives it: the program's
// path first (in double quotes, or up to the first blank), then words
// separated by blanks or tabs, each of which may stand in double quotes.
// Switches match in any letter case; other words are ignored.
RunSwitches ReadRunSwitches(const std::string& command_line);
