// Keeps the installation from overwriting a running casino client, found by
// the title of its main window.
#pragma once

#include <string>

// Looks three times for a top-level window titled exactly `window_title`,
// asking the user to close it after the first two findings. A third finding
// ends the process with exit code 0.
void CheckProgramRunning(const std::string& window_title);
