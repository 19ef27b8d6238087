// Holds a file open without sharing it, as a scanner or a running game may
// while the installer replaces it:
//   file_holder FILE READY RELEASE SECONDS
// opens FILE, creates the file READY once it holds it, and closes it once the
// file RELEASE exists, or after SECONDS at the most. A windows program, as
// the others a test starts beside the installer.
#include "base/unique_handle.h"

#include <windows.h>

#include <cstdlib>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    if (__argc != 5)
        return 2;
    FileHandle held(CreateFileA(__argv[1], GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!held)
        return 1;
    FileHandle ready(CreateFileA(__argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!ready)
        return 1;
    ready.Reset();
    const DWORD longest = static_cast<DWORD>(std::atoi(__argv[4])) * 1000;
    const DWORD start = GetTickCount();
    while (GetFileAttributesA(__argv[3]) == INVALID_FILE_ATTRIBUTES && GetTickCount() - start < longest)
        Sleep(50);
    return 0;
}
