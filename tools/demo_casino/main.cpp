// A stand-in casino client for the demo and the tests: a window titled with
// the name of the folder it was installed into (the brand), which also
// records that it ran in "started.txt" beside itself.
#include "base/module_path.h"
#include "tools/main_window.h"

#include <windows.h>

#include <string>

namespace {

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

    main_window::RegisterClosingClass(instance, "DemoCasinoClient", CreateSolidBrush(RGB(20, 90, 40)));
    HWND window = CreateWindowA("DemoCasinoClient", brand.c_str(), WS_OVERLAPPEDWINDOW, 120, 120, 640, 420,
                                nullptr, nullptr, instance, nullptr);
    ShowWindow(window, show);
    return main_window::RunLoop();
}
