#include "services/running_program_check.h"

#include "base/owner_window.h"
#include "base/process_exit.h"

#include <windows.h>

bool IsProgramRunning(const std::string& window_title) { return FindWindowA(nullptr, window_title.c_str()) != nullptr; }

void CheckProgramRunning(const std::string& window_title, const std::string& caption, unsigned abort_exit_code)
{
    const int kPasses = 3;
    for (int pass = 0; pass < kPasses; ++pass) {
        if (!IsProgramRunning(window_title))
            continue;
        if (pass < kPasses - 1) {
            ShowMessage("Casino Program is running...\r\nPlease exit it before continue", caption, MB_OK);
        } else {
            ShowMessage("Casino Program is running...\r\nInstalation Abort", caption, MB_OK);
            EndProcessNow(abort_exit_code);
        }
    }
}
