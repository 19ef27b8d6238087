// The one window of the small test and demo programs: a class whose window
// ends the program's message loop when it is destroyed.
#pragma once

#include <windows.h>

namespace main_window {

inline LRESULT CALLBACK QuitOnDestroy(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

// Registers `class_name` with the arrow cursor and `background`.
inline void RegisterClosingClass(HINSTANCE instance, const char* class_name, HBRUSH background)
{
    WNDCLASSA window_class = {};
    window_class.lpfnWndProc = QuitOnDestroy;
    window_class.hInstance = instance;
    window_class.hCursor = LoadCursor(nullptr, IDC_ARROW);
    window_class.hbrBackground = background;
    window_class.lpszClassName = class_name;
    RegisterClassA(&window_class);
}

// Runs the message loop until the window is destroyed.
inline int RunLoop()
{
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}

} // namespace main_window
