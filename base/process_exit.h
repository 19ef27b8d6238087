// Ending the process from any thread while the window thread still runs, and
// the staged files that must not outlive it.
#pragma once

#include <string>

// Flushes standard output, removes the files handed to RemoveAtExit, and
// ends the process at once with `exit_code`. Static destructors and exit
// handlers do not run: they would destroy what the window thread may be
// using at that moment.
[[noreturn]] void EndProcessNow(unsigned exit_code);

// A staged file that no later run may continue: removed when the process
// ends through EndProcessNow, whichever thread still writes it (it must be
// open with FILE_SHARE_DELETE; the system removes it once that handle
// closes).
void RemoveAtExit(const std::string& path);
// The file was moved into place or removed: it is no longer swept.
void ForgetAtExit(const std::string& path);
