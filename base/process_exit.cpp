#include "base/process_exit.h"

#include <windows.h>

#include <cstdio>

void EndProcessNow(unsigned exit_code)
{
    // Every diagnostic line is already in the log file; only the C runtime's
    // buffer of standard output may still hold one.
    std::fflush(stdout);
    ExitProcess(exit_code);
}
