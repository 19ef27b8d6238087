#include "base/module_path.h"

#include <vector>

std::string ModulePath(HMODULE module)
{
    std::vector<char> path(MAX_PATH);
    DWORD length;
    // The API cuts the path to the buffer without saying how long it is.
    while ((length = GetModuleFileNameA(module, path.data(), path.size())) == path.size())
        path.resize(path.size() * 2);
    return std::string(path.data(), length);
}

std::string ModuleFolder(HMODULE module)
{
    const std::string path = ModulePath(module);
    return path.substr(0, path.find_last_of("\\/"));
}
