// Holds one open registry key, or none, and closes it when replaced or gone.
#pragma once

#include "base/unique_handle.h"

struct RegistryKeyTraits {
    using Handle = HKEY;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle handle) { RegCloseKey(handle); }
};
using KeyHandle = UniqueHandle<RegistryKeyTraits>;

// Opens `name` below `parent`; on success replaces the key `key` held so far
// and returns 0, otherwise returns the platform's error and keeps it.
inline LONG OpenKey(KeyHandle& key, HKEY parent, const char* name, REGSAM access)
{
    HKEY opened = nullptr;
    const LONG result = RegOpenKeyExA(parent, name, 0, access, &opened);
    if (result == ERROR_SUCCESS)
        key.Reset(opened);
    return result;
}
