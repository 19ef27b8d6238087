// Program start: COM, common controls, the application module, the installer
// window with its message loop, and the worker started once the window shows;
// or, for the uninstaller, COM and its run alone.
#pragma once

#include <windows.h>

class Installer;

// Starts the worker thread for the installation.
typedef void (*StartWorker)(Installer& installer);

// The program entry's work; returns the process exit code.
int RunProgram(HINSTANCE instance, int show_command, StartWorker start_worker);

// The uninstaller's work, without the installer's window (message boxes
// only, none when `quiet`); returns the process exit code.
int RunUninstallProgram(bool quiet);

// Returns the exit code of the loop, or 0 when the window cannot be created.
int RunApplication(int show_command, StartWorker start_worker);
