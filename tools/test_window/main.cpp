// A trivial windowed program for the end-to-end bench: a top-level window with
// the caption given on the command line and one static control (id 100).
#include "tools/main_window.h"

#include <cstdlib>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show)
{
    main_window::RegisterClosingClass(instance, "BenchTestWindow", reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));

    const char* caption = __argc > 1 ? __argv[1] : "Bench Window";
    HWND window = CreateWindowA("BenchTestWindow", caption, WS_OVERLAPPEDWINDOW,
                                100, 100, 400, 200, nullptr, nullptr, instance, nullptr);
    CreateWindowA("STATIC", "ready", WS_CHILD | WS_VISIBLE, 20, 20, 200, 24,
                  window, reinterpret_cast<HMENU>(100), instance, nullptr);
    ShowWindow(window, show);
    UpdateWindow(window);

    return main_window::RunLoop();
}
