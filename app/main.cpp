// The program's entry point: the installer, or with "/uninstall" on its
// command line the uninstaller.
#include "app/application.h"
#include "base/process_exit.h"
#include "install/run/run_switches.h"
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
typedef BOOL(WINAPI* SetDllDirectoryFunction)(const char* folder);

// An installer usually starts from a Downloads folder, where planted DLLs may
// wait: load DLLs from the system folder only. DLLs that are not the
// system's known ones are not imported but loaded later, after this runs:
// WinInet by its full path in the system folder, the common controls
// through the program's manifest, which names the system's side-by-side
// copy. SetDefaultDllDirectories came with a Windows 7 update; XP SP1 to
// Vista without it have only SetDllDirectoryA(""), which takes the current
// folder out of the search but not the program's own folder: there those
// two ways of loading are the guard. Both calls are looked up, as older
// systems lack them.
void RestrictDllSearchToSystemFolder()
{
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    const auto restrict_search = reinterpret_cast<SetDefaultDllDirectoriesFunction>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
    if (restrict_search && restrict_search(LOAD_LIBRARY_SEARCH_SYSTEM32))
        return;
    const auto set_dll_directory = reinterpret_cast<SetDllDirectoryFunction>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetDllDirectoryA")));
    if (set_dll_directory)
        set_dll_directory("");
}

void StartInstallation(Installer& installer)
{
    installer.ms_default_scheme = INSTALLER_SCHEME;
    installer.mb_strict = INSTALLER_STRICT != 0;
    installer.Start();
}

} // namespace

// The process ends as every other way out ends it, at once: returning would
// run static destructors under a worker that may still be writing the log
// and hashing (after the OK command, the worker is not stopped first).
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show_command)
{
    RestrictDllSearchToSystemFolder();
    const RunSwitches switches = ReadRunSwitches(GetCommandLineA());
    if (switches.uninstall)
        EndProcessNow(RunUninstallProgram(switches.quiet));
    EndProcessNow(RunProgram(instance, show_command, StartInstallation));
}
