// Shows, for the demo's screenshot, what the installer registered for a
// brand as the system reads it back: every value of its uninstall entry and
// the target of its Start-menu shortcut.
//
//   entry_viewer BRAND
#include "install/uninstall/client_registration.h"
#include "install/uninstall/registration_rules.h"
#include "services/shortcut_file.h"
#include "store/key_handle.h"
#include "tools/main_window.h"

#include <windows.h>
#include <objbase.h>

#include <string>
#include <vector>

namespace {

// "Name (TYPE): data" for every value of HKCU\Software\<key_name>.
std::string EntryValues(const std::string& key_name)
{
    KeyHandle key;
    const std::string path = "Software\\" + key_name;
    if (OpenKey(key, HKEY_CURRENT_USER, path.c_str(), KEY_READ) != ERROR_SUCCESS)
        return "(no key HKCU\\" + path + ")\r\n";
    std::string lines;
    for (DWORD index = 0;; ++index) {
        char name[256] = "";
        DWORD name_size = sizeof name, type = 0;
        std::vector<BYTE> data(4096);
        DWORD data_size = static_cast<DWORD>(data.size());
        if (RegEnumValueA(key.Get(), index, name, &name_size, nullptr, &type, data.data(), &data_size)
            != ERROR_SUCCESS)
            break;
        if (type == REG_DWORD)
            lines += std::string(name) + " (REG_DWORD): " + std::to_string(*reinterpret_cast<DWORD*>(data.data()));
        else
            lines += std::string(name) + " (REG_SZ): " + reinterpret_cast<const char*>(data.data());
        lines += "\r\n";
    }
    return lines;
}

std::string Report(const std::string& brand)
{
    const std::string link = StartMenuShortcut(brand);
    const std::string target = ShortcutTarget(link);
    return "HKCU\\Software\\" + UninstallEntryKey(brand) + "\r\n\r\n" + EntryValues(UninstallEntryKey(brand))
        + "\r\nStart menu: " + link + "\r\n  points to: " + (target.empty() ? "(nothing)" : target) + "\r\n";
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show)
{
    if (__argc < 2)
        return 2;
    CoInitialize(nullptr);
    const std::string brand = __argv[1];
    const std::string text = Report(brand);

    main_window::RegisterClosingClass(instance, "EntryViewer", reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    HWND window = CreateWindowA("EntryViewer", ("Registered: " + brand).c_str(), WS_OVERLAPPEDWINDOW, 60, 80, 900,
                                420, nullptr, nullptr, instance, nullptr);
    RECT client;
    GetClientRect(window, &client);
    HWND view = CreateWindowA("EDIT", text.c_str(), WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_READONLY, 10, 10,
                              client.right - 20, client.bottom - 20, window, nullptr, instance, nullptr);
    SendMessageA(view, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(ANSI_FIXED_FONT)), TRUE);
    ShowWindow(window, show);
    const int exit_code = main_window::RunLoop();
    CoUninitialize();
    return exit_code;
}
