// The worker's diagnostic message boxes, gated by the registry's
// debug_level and always in English. Owned by the installer window.
#pragma once

#include <string>

enum DebugLevel { kDebugLevel1 = 1, kDebugLevel2 = 2 };

// Shown only when debug_level is at least `level`.
void DebugMessage(DebugLevel level, const std::string& text);
