// The installer window as the owner of every message box. Null until the
// dialog exists; boxes shown before that have no owner.
#pragma once

#include <windows.h>

#include <string>

extern HWND g_dialog_window;

// A modal box owned by the installer window: empty caption, OK only.
void ShowMessage(const std::string& text);
