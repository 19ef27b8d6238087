// Finding and answering message boxes of a program under test, from the same
// process or another one.
#pragma once

#include <windows.h>

#include <string>

// Waits up to `timeout_ms` for a visible message box (dialog class "#32770")
// that is owned by `owner`, or, when `owner` is null, that belongs to process
// `process_id`. Keeps this thread's messages flowing while it waits, since a
// box owned by one of this thread's windows needs them. Null on time-out.
HWND WaitForMessageBox(HWND owner, DWORD process_id, DWORD timeout_ms);

// True for a visible message box: a "#32770" dialog with the static 0xFFFF.
bool IsMessageBox(HWND window);

// The box's message text (its static control 0xFFFF).
std::string MessageBoxText(HWND box);

// The box's caption.
std::string WindowText(HWND window);

// Presses the box's button `button_id` (IDOK, IDYES, ...) and waits until the
// box is gone.
bool PressMessageBoxButton(HWND box, int button_id, DWORD timeout_ms = 5000);
