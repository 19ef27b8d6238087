// A DLL to plant beside the installer under the name of a system DLL: when
// loaded it leaves a trace file "C:\planted-<its file name>.txt".
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    char path[MAX_PATH] = "";
    GetModuleFileNameA(instance, path, sizeof path);
    const char* name = path;
    for (const char* c = path; *c; ++c)
        if (*c == '\\')
            name = c + 1;
    char trace[MAX_PATH + 32] = "C:\\planted-";
    lstrcatA(trace, name);
    lstrcatA(trace, ".txt");
    HANDLE file = CreateFileA(trace, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    return TRUE;
}
