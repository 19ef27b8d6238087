// Which program holds a file open, as the Restart Manager tells it. The
// Restart Manager came with Windows Vista: it is loaded when asked, so the
// installer still starts on Windows XP, where nobody can be named.
#pragma once

#include <string>

// The name of a program that has `path` open, in the system code page; empty
// when none can be named (no Restart Manager, or it found none).
std::string HoldingProgram(const std::string& path);
