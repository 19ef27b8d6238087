// Runs the running-client check in a process of its own, so that a test can
// see it end the process. Exits with 3 when the check returned.
#include "services/running_program_check.h"

int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    CheckProgramRunning(argv[1]);
    return 3;
}
