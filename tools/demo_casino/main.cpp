// A stand-in casino client for the demo and the tests: a window titled with
// the name of the folder it was installed into (the brand), which also
// records that it ran in "started.txt" beside itself.
#include "base/module_path.h"

#include <windows.h>

#include <string>

namespace {

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

void RecordStart(const std::string& folder)
{
    HANDLE file = CreateFileA((folder + "\\started.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    char directory[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof directory, directory);
    DWORD written = 0;
    WriteFile(file, directory, lstrlenA(directory), &written, nullptr);
    CloseHandle(file);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show)
{
    const std::string folder = ModuleFolder();
    RecordStart(folder);
    const std::string brand = folder.substr(folder.find_last_of('\\') + 1);

    WNDCLASSA window_class = {};
    window_class.lpfnWndProc = WindowProc;
    window_class.hInstance = instance;
    window_class.hCursor = LoadCursor(nullptr, IDC_ARROW);
    window_class.hbrBackground = CreateSolidBrush(RGB(20, 90, 40));
    window_class.lpszClassName = "DemoCasinoClient";
    RegisterClassA(&window_class);
    HWND window = CreateWindowA("DemoCasinoClient", brand.c_str(), WS_OVERLAPPEDWINDOW, 120, 120, 640, 420,
                                nullptr, nullptr, instance, nullptr);
    ShowWindow(window, show);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);
    return 0;
}
