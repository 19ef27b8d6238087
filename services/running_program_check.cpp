#include "services/running_program_check.h"

#include "base/owner_window.h"
#include "base/process_exit.h"

#include <windows.h>

void CheckProgramRunning(const std::string& window_title)
{
    const int kPasses = 3;
    for (int pass = 0; pass < kPasses; ++pass) {
        if (!FindWindowA(nullptr, window_title.c_str()))
            continue;
        if (pass < kPasses - 1) {
            ShowMessage("Casino Program is running...\r\nPlease exit it before continue");
        } else {
            ShowMessage("Casino Program is running...\r\nInstalation Abort");
            EndProcessNow(0);
        }
    }
}
