// Ending the process from any thread while the window thread still runs.
#pragma once

// Flushes standard output and ends the process at once with `exit_code`.
// Static destructors and exit handlers do not run: they would destroy what
// the window thread may be using at that moment.
[[noreturn]] void EndProcessNow(unsigned exit_code);
