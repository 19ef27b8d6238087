// A trivial windowed program for the end-to-end bench: a top-level window with
// the caption given on the command line and one static control (id 100).
#include <windows.h>

#include <cstdlib>

namespace {

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show)
{
    WNDCLASSA window_class = {};
    window_class.lpfnWndProc = WindowProc;
    window_class.hInstance = instance;
    window_class.hCursor = LoadCursor(nullptr, IDC_ARROW);
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    window_class.lpszClassName = "BenchTestWindow";
    RegisterClassA(&window_class);

    const char* caption = __argc > 1 ? __argv[1] : "Bench Window";
    HWND window = CreateWindowA("BenchTestWindow", caption, WS_OVERLAPPEDWINDOW,
                                100, 100, 400, 200, nullptr, nullptr, instance, nullptr);
    CreateWindowA("STATIC", "ready", WS_CHILD | WS_VISIBLE, 20, 20, 200, 24,
                  window, reinterpret_cast<HMENU>(100), instance, nullptr);
    ShowWindow(window, show);
    UpdateWindow(window);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
