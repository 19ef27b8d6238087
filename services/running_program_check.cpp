#include "services/running_program_check.h"

#include "base/player_box.h"
#include "base/process_exit.h"

#include <windows.h>

bool IsProgramRunning(const std::string& window_title) { return FindWindowA(nullptr, window_title.c_str()) != nullptr; }

void CheckProgramRunning(const std::string& window_title, const WideText& caption, unsigned abort_exit_code)
{
    const int kPasses = 3;
    for (int pass = 0; pass < kPasses; ++pass) {
        if (!IsProgramRunning(window_title))
            continue;
        if (pass < kPasses - 1) {
            ShowPlayerMessage(PlayerText(TextId::kClientRunning), caption, MB_OK);
        } else {
            ShowPlayerMessage(PlayerText(TextId::kClientRunningAbort), caption, MB_OK);
            EndProcessNow(abort_exit_code);
        }
    }
}
