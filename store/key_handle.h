// Holds one open registry key, or none, and closes it when replaced or gone.
#pragma once

#include <windows.h>

class KeyHandle {
public:
    KeyHandle() = default;
    ~KeyHandle() { Close(); }
    KeyHandle(const KeyHandle&) = delete;
    KeyHandle& operator=(const KeyHandle&) = delete;

    // Opens `name` below `parent`; on success replaces the key held so far and
    // returns 0, otherwise returns the platform's error and keeps it.
    LONG Open(HKEY parent, const char* name, REGSAM access)
    {
        HKEY opened = nullptr;
        const LONG result = RegOpenKeyExA(parent, name, 0, access, &opened);
        if (result == ERROR_SUCCESS)
            Reset(opened);
        return result;
    }

    void Reset(HKEY key)
    {
        Close();
        mh_key = key;
    }

    void Close()
    {
        if (mh_key)
            RegCloseKey(mh_key);
        mh_key = nullptr;
    }

    HKEY Get() const { return mh_key; }

private:
    HKEY mh_key = nullptr;
};
