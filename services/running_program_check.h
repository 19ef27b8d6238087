// Keeps the installation, or the removal, from touching a running casino
// client, found by the title of its main window.
#pragma once

#include "base/narrow_names.h"

#include <string>

// True while a top-level window titled exactly `window_title` exists.
bool IsProgramRunning(const std::string& window_title);

// Looks three times for a top-level window titled exactly `window_title`,
// asking the user to close it after the first two findings, in boxes with
// `caption` (zero-terminated, or empty for none). A third finding ends the process with `abort_exit_code`.
void CheckProgramRunning(const std::string& window_title, const WideText& caption = WideText(),
                         unsigned abort_exit_code = 0);
