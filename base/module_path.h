// The full path of a loaded module's file, however long.
#pragma once

#include <windows.h>

#include <string>

// Null stands for the program itself.
std::string ModulePath(HMODULE module = nullptr);

// The folder of that path, without a trailing "\".
std::string ModuleFolder(HMODULE module = nullptr);
