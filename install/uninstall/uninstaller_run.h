// The uninstaller: the same program started as
// "<Program Files>\<brand>\uninstall.exe /uninstall [/quiet]". It shows
// message boxes only (none with /quiet), never the installer's window.
#pragma once

// The process's exit codes.
enum UninstallExit : int {
    kUninstallRemoved = 0,        // its own file and folder go at the next restart
    kUninstallDeclined = 1,       // the user answered No
    kUninstallClientRunning = 2,  // the client is running
    kUninstallRemovedInPart = 3,  // something stays (logged); a folder that was there before always does
    kUninstallWrongPlace = 4,     // not started as <Program Files>\<brand>\uninstall.exe
};

// Removes the client of the brand whose folder the program stands in. COM
// must be initialised on the calling thread.
UninstallExit RunUninstaller(bool quiet);
