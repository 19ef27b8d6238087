// Runs the running-client check in a process of its own, so that a test can
// see it end the process: check_running_child TITLE [CAPTION EXIT_CODE].
// Exits with 3 when the check returned, and with 4 when the process ran its
// exit handlers, which the check must not do: they would run under a window
// thread that still works.
#include "base/player_box.h"
#include "services/running_program_check.h"

#include <cstdlib>
#include <unistd.h>

namespace {

void ExitHandlersRan() { _exit(4); }

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    std::atexit(ExitHandlersRan);
    if (argc >= 4)
        CheckProgramRunning(argv[1], AnsiToWide(argv[2]), static_cast<unsigned>(std::atoi(argv[3])));
    else
        CheckProgramRunning(argv[1]);
    return 3;
}
