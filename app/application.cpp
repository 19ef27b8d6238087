#include "app/application.h"

#include "app/app_module.h"
#include "app/message_pump.h"
#include "base/diagnostics.h"
#include "base/failure_log.h"
#include "install/uninstaller_run.h"
#include "store/installer.h"
#include "ui/installer_dialog.h"

#include <commctrl.h>
#include <objbase.h>

namespace {

typedef BOOL(WINAPI* InitCommonControlsExFunction)(const INITCOMMONCONTROLSEX* classes);

// The common controls are not among the system's known DLLs, so they are
// loaded here, after the entry has restricted the DLL search, rather than
// imported. The program's manifest selects version 6.
void InitCommonControls(DWORD classes)
{
    HMODULE library = LoadLibraryA("comctl32.dll");
    if (!library) {
        LogFailure("LoadLibraryA", "comctl32.dll", GetLastError());
        return;
    }
    const auto init = reinterpret_cast<InitCommonControlsExFunction>(
        reinterpret_cast<void*>(GetProcAddress(library, "InitCommonControlsEx")));
    if (!init) {
        LogFailure("GetProcAddress", "comctl32.dll!InitCommonControlsEx", GetLastError());
        return;
    }
    INITCOMMONCONTROLSEX controls = {sizeof controls, classes};
    if (!init(&controls))
        LogFailure("InitCommonControlsEx", "comctl32.dll", GetLastError());
}

} // namespace

int RunProgram(HINSTANCE instance, int show_command, StartWorker start_worker)
{
    CoInitialize(nullptr);
    InitCommonControls(ICC_BAR_CLASSES | ICC_COOL_CLASSES);
    g_module.Init(instance);
    const int exit_code = RunApplication(show_command, start_worker);
    g_module.Term();
    CoUninitialize();
    return exit_code;
}

int RunUninstallProgram(bool quiet)
{
    CoInitialize(nullptr);
    int exit_code = kUninstallRemovedInPart;
    // Whatever stopped it half-way, something stays: the code says so, and
    // the log why, instead of the runtime's abort.
    try {
        exit_code = RunUninstaller(quiet);
    } catch (...) {
        Diagnostic("The uninstaller stopped on an exception: what it had not removed yet stays\n");
    }
    CoUninitialize();
    return exit_code;
}

int RunApplication(int show_command, StartWorker start_worker)
{
    MessagePump pump;
    g_module.RegisterPump(GetCurrentThreadId(), &pump);

    // The dialog object outlives the loop: the worker may still call it after
    // the OK command has closed the window, until the process ends.
    InstallerDialog* dialog = new InstallerDialog;
    g_dialog = dialog;
    HWND window = dialog->Create();
    if (!window) {
        LogFailure("CreateDialogParamW", "dialog 129", GetLastError());
        g_module.UnregisterPump(GetCurrentThreadId());
        g_dialog = nullptr;
        delete dialog;
        return 0;
    }
    ShowWindow(window, show_command);

    g_installer = new Installer;
    start_worker(*g_installer);

    const int exit_code = pump.RunLoop();
    g_module.UnregisterPump(GetCurrentThreadId());
    return exit_code;
}
