// The worker's message boxes: diagnostic ones gated by the registry's
// debug_level, error ones always. Owned by the installer window.
#pragma once

#include <string>

enum DebugLevel { kDebugLevel1 = 1, kDebugLevel2 = 2 };

// Shown in place of a transfer's failure box when a proxy asks for
// credentials that were not given.
const char kProxyCredentialsBox[] = "The proxy server asks for a user name and password.";

// Shown only when debug_level is at least `level`.
void DebugMessage(DebugLevel level, const std::string& text);
