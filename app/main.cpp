// The installer's entry point.
#include "app/application.h"
#include "store/installer.h"

#include <windows.h>

#ifndef INSTALLER_SCHEME
#define INSTALLER_SCHEME "http"
#endif
#ifndef INSTALLER_STRICT
#define INSTALLER_STRICT 0
#endif

namespace {

typedef BOOL(WINAPI* SetDefaultDllDirectoriesFunction)(DWORD directory_flags);

// An installer usually starts from a Downloads folder, where planted DLLs may
// wait: load DLLs from the system folder only. Older Windows lacks the call,
// so it is looked up. DLLs that are not the system's known ones (WinInet,
// the common controls) are not imported but loaded later, after this runs.
void RestrictDllSearchToSystemFolder()
{
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    const auto restrict_search = reinterpret_cast<SetDefaultDllDirectoriesFunction>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
    if (restrict_search)
        restrict_search(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

void StartInstallation(Installer& installer)
{
    installer.ms_default_scheme = INSTALLER_SCHEME;
    installer.mb_strict = INSTALLER_STRICT != 0;
    installer.Start();
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show_command)
{
    RestrictDllSearchToSystemFolder();
    return RunProgram(instance, show_command, StartInstallation);
}
