// The installer window as the owner of every message box. Null until the
// dialog exists; boxes shown before that, and the uninstaller's, have no
// owner.
#pragma once

#include <windows.h>

#include <string>

extern HWND g_dialog_window;

// A modal box owned by the installer window: empty caption, OK only.
void ShowMessage(const std::string& text);

// A modal box owned by the installer window with `caption` and the buttons
// and icon of `type` (MB_ flags); returns the button pressed (IDOK, IDYES,
// ...) as MessageBoxA does.
int ShowMessage(const std::string& text, const std::string& caption, UINT type);
