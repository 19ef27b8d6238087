// Drives another program's window for the end-to-end tests.
//
//   uidriver wait CAPTION [SECONDS] [LAST_ID]  waits for the window (and, when
//                                              given, its control LAST_ID)
//   uidriver text CAPTION [ID]                 prints the caption or a control's text
//   uidriver close CAPTION                     asks the window to close
//   uidriver box CAPTION [SECONDS]             waits for a message box owned by
//                                              the window (or the box captioned
//                                              CAPTION itself, one without an owner)
//                                              and prints its text
//   uidriver answer CAPTION BUTTON [SECONDS]   presses BUTTON (1 OK, 6 Yes, 7 No)
//                                              in that message box
//   uidriver press CAPTION ID                  clicks the button ID
//   uidriver command CAPTION ID                sends the command ID (1 OK, 2 Cancel)
//   uidriver visible CAPTION [ID]              prints 1 or 0
//   uidriver focus CAPTION                     prints the id of the control that
//                                              has the keyboard focus (0: none of
//                                              the window's)
//   uidriver iconic CAPTION                    prints 1 when minimised, else 0
//   uidriver restore CAPTION                   restores the minimised window
//   uidriver panes CAPTION                     prints "width height" of the
//                                              largest browser pane
//   uidriver progress CAPTION ID               prints "position low high"
//   uidriver watch CAPTION                     while the window exists: prints the
//                                              longest answer time (ms) to WM_NULL
//                                              and the process's peak working set (KiB)
//   uidriver record CAPTION ID...               while the window exists: prints
//                                              "ID TEXT" whenever the text of one
//                                              of the controls changes (polled,
//                                              so a short-lived text may be missed)
//   uidriver rect CAPTION [ID]                 window: "x y width height client-
//                                              width client-height"; control:
//                                              "x y width height" in client pixels
//   uidriver settext CAPTION ID TEXT           sets the text of control ID (an edit
//                                              field of a dialog, as a user types it)
//   uidriver controls CAPTION                  prints "ID CLASS TEXT" for every
//                                              control of the window
//   uidriver shortcut LINK                     prints a shortcut's target, working
//                                              folder and icon ("PATH,INDEX"), one a line
//
// Exit status: 0 done, 1 window, control or box not found, 2 wrong usage.
#include "message_boxes.h"

#include <windows.h>
#include <commctrl.h>
#include <fcntl.h>
#include <io.h>
#include <psapi.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

DWORD Milliseconds(int argc, char** argv, int index, double default_seconds)
{
    return static_cast<DWORD>((argc > index ? std::atof(argv[index]) : default_seconds) * 1000);
}

HWND FindTopLevel(const char* caption) { return FindWindowA(nullptr, caption); }

HWND FindTarget(const char* caption, const char* id_text)
{
    HWND window = FindTopLevel(caption);
    if (!window || !id_text)
        return window;
    return GetDlgItem(window, std::atoi(id_text));
}

int Wait(int argc, char** argv)
{
    const DWORD timeout = Milliseconds(argc, argv, 3, 30);
    const char* last_id = argc > 4 ? argv[4] : nullptr;
    const DWORD deadline = GetTickCount() + timeout;
    do {
        if (FindTarget(argv[2], last_id))
            return 0;
        Sleep(50);
    } while (static_cast<LONG>(deadline - GetTickCount()) > 0);
    std::fprintf(stderr, "uidriver: no window \"%s\" after %lu ms\n", argv[2], timeout);
    return 1;
}

int Text(int argc, char** argv)
{
    HWND target = FindTarget(argv[2], argc > 3 ? argv[3] : nullptr);
    if (!target)
        return 1;
    std::printf("%s\n", WindowText(target).c_str());
    return 0;
}

int Close(int, char** argv)
{
    HWND window = FindTopLevel(argv[2]);
    if (!window)
        return 1;
    PostMessageA(window, WM_CLOSE, 0, 0);
    return 0;
}

HWND FindBox(const char* caption, DWORD timeout)
{
    HWND owner = FindTopLevel(caption);
    if (owner && IsMessageBox(owner))
        return owner;
    HWND box = owner ? WaitForMessageBox(owner, 0, timeout) : nullptr;
    if (!box)
        std::fprintf(stderr, "uidriver: no message box of \"%s\"\n", caption);
    return box;
}

int Box(int argc, char** argv)
{
    HWND box = FindBox(argv[2], Milliseconds(argc, argv, 3, 30));
    if (!box)
        return 1;
    std::printf("%s\n", MessageBoxText(box).c_str());
    return 0;
}

int Answer(int argc, char** argv)
{
    if (argc < 4)
        return 2;
    HWND box = FindBox(argv[2], Milliseconds(argc, argv, 4, 30));
    return box && PressMessageBoxButton(box, std::atoi(argv[3])) ? 0 : 1;
}

const UINT kSendTimeoutMs = 5000;

int Press(int argc, char** argv)
{
    HWND button = argc > 3 ? FindTarget(argv[2], argv[3]) : nullptr;
    DWORD_PTR ignored = 0;
    return button && SendMessageTimeoutA(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &ignored)
        ? 0 : 1;
}

int SendCommand(int argc, char** argv)
{
    HWND window = FindTopLevel(argv[2]);
    if (!window || argc < 4)
        return 1;
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(std::atoi(argv[3]), 0), 0);
    return 0;
}

int Visible(int argc, char** argv)
{
    HWND target = FindTarget(argv[2], argc > 3 ? argv[3] : nullptr);
    if (!target)
        return 1;
    std::printf("%d\n", IsWindowVisible(target) ? 1 : 0);
    return 0;
}

int Focus(int, char** argv)
{
    HWND window = FindTopLevel(argv[2]);
    if (!window)
        return 1;
    GUITHREADINFO thread = {};
    thread.cbSize = sizeof thread;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &thread))
        return 1;
    std::printf("%d\n", thread.hwndFocus && IsChild(window, thread.hwndFocus) ? GetDlgCtrlID(thread.hwndFocus) : 0);
    return 0;
}

int Iconic(int, char** argv)
{
    HWND window = FindTopLevel(argv[2]);
    if (!window)
        return 1;
    std::printf("%d\n", IsIconic(window) ? 1 : 0);
    return 0;
}

int Restore(int, char** argv)
{
    HWND window = FindTopLevel(argv[2]);
    if (!window)
        return 1;
    ShowWindowAsync(window, SW_RESTORE);
    return 0;
}

BOOL CALLBACK FindLargestPane(HWND child, LPARAM largest)
{
    char title[32] = "";
    GetWindowTextA(child, title, sizeof title);
    RECT rect;
    GetWindowRect(child, &rect);
    SIZE& size = *reinterpret_cast<SIZE*>(largest);
    const long width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (std::string(title) == "ATL Browser" && width * height >= size.cx * size.cy)
        size = SIZE{width, height};
    return TRUE;
}

int Panes(int, char** argv)
{
    HWND window = FindTopLevel(argv[2]);
    if (!window)
        return 1;
    SIZE largest = {-1, -1};
    EnumChildWindows(window, FindLargestPane, reinterpret_cast<LPARAM>(&largest));
    if (largest.cx < 0)
        return 1;
    std::printf("%ld %ld\n", largest.cx, largest.cy);
    return 0;
}

int Progress(int argc, char** argv)
{
    HWND bar = argc > 3 ? FindTarget(argv[2], argv[3]) : nullptr;
    if (!bar)
        return 1;
    DWORD_PTR position = 0, low = 0, high = 0;
    SendMessageTimeoutA(bar, PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &position);
    SendMessageTimeoutA(bar, PBM_GETRANGE, TRUE, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &low);
    SendMessageTimeoutA(bar, PBM_GETRANGE, FALSE, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &high);
    std::printf("%d %d %d\n", static_cast<int>(position), static_cast<int>(low), static_cast<int>(high));
    return 0;
}

int Rect(int argc, char** argv)
{
    HWND window = FindTopLevel(argv[2]);
    if (!window)
        return 1;
    RECT outer, client;
    if (argc > 3) {
        HWND control = GetDlgItem(window, std::atoi(argv[3]));
        if (!control)
            return 1;
        GetWindowRect(control, &outer);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&outer), 2);
        std::printf("%ld %ld %ld %ld\n", outer.left, outer.top, outer.right - outer.left,
                    outer.bottom - outer.top);
        return 0;
    }
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    std::printf("%ld %ld %ld %ld %ld %ld\n", outer.left, outer.top, outer.right - outer.left,
                outer.bottom - outer.top, client.right, client.bottom);
    return 0;
}

// Samples the window every 10 ms until it is gone: how long the window
// thread takes to answer, and how much memory its process has used at most.
int Watch(int, char** argv)
{
    HWND window = FindTopLevel(argv[2]);
    if (!window)
        return 1;
    DWORD process_id = 0;
    GetWindowThreadProcessId(window, &process_id);
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, process_id);
    LARGE_INTEGER frequency, before, after;
    QueryPerformanceFrequency(&frequency);
    double longest_ms = 0;
    SIZE_T peak = 0;
    while (IsWindow(window)) {
        PROCESS_MEMORY_COUNTERS counters = {};
        if (process && GetProcessMemoryInfo(process, &counters, sizeof counters) && counters.PeakWorkingSetSize > peak)
            peak = counters.PeakWorkingSetSize;
        QueryPerformanceCounter(&before);
        DWORD_PTR ignored = 0;
        SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 30000, &ignored);
        QueryPerformanceCounter(&after);
        const double ms = (after.QuadPart - before.QuadPart) * 1000.0 / frequency.QuadPart;
        if (ms > longest_ms)
            longest_ms = ms;
        Sleep(10);
    }
    if (process)
        CloseHandle(process);
    std::printf("%.1f %lu\n", longest_ms, static_cast<unsigned long>(peak / 1024));
    return 0;
}

int SetText(int argc, char** argv)
{
    HWND control = argc > 4 ? FindTarget(argv[2], argv[3]) : nullptr;
    DWORD_PTR ignored = 0;
    return control && SendMessageTimeoutA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[4]),
                                          SMTO_ABORTIFHUNG, kSendTimeoutMs, &ignored)
        ? 0 : 1;
}

BOOL CALLBACK PrintControl(HWND child, LPARAM)
{
    char class_name[64] = "";
    GetClassNameA(child, class_name, sizeof class_name);
    std::printf("%d %s %s\n", GetDlgCtrlID(child), class_name, WindowText(child).c_str());
    return TRUE;
}

int Controls(int, char** argv)
{
    HWND window = FindTopLevel(argv[2]);
    if (!window)
        return 1;
    EnumChildWindows(window, PrintControl, 0);
    return 0;
}

int Record(int argc, char** argv)
{
    HWND window = FindTopLevel(argv[2]);
    if (!window)
        return 1;
    std::vector<std::string> shown(argc);
    while (IsWindow(window)) {
        for (int i = 3; i < argc; ++i) {
            HWND control = GetDlgItem(window, std::atoi(argv[i]));
            std::string text = control ? WindowText(control) : std::string();
            if (text == shown[i])
                continue;
            // A text read while it is being set may come torn: a change
            // counts once two reads agree.
            for (std::string again; control && (again = WindowText(control)) != text;)
                text = again;
            shown[i] = text;
            std::printf("%s %s\n", argv[i], text.c_str());
            std::fflush(stdout);
        }
        Sleep(1);
    }
    return 0;
}

// Reads a .lnk file through the shell, as the desktop reads it.
int Shortcut(int, char** argv)
{
    CoInitialize(nullptr);
    IShellLinkA* link = nullptr;
    IPersistFile* file = nullptr;
    int status = 1;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link)))
        && SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        wchar_t wide[MAX_PATH] = L"";
        MultiByteToWideChar(CP_ACP, 0, argv[2], -1, wide, MAX_PATH);
        char target[MAX_PATH] = "", folder[MAX_PATH] = "", icon[MAX_PATH] = "";
        int icon_index = -1;
        if (SUCCEEDED(file->Load(wide, STGM_READ))
            && SUCCEEDED(link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH))
            && SUCCEEDED(link->GetWorkingDirectory(folder, MAX_PATH))
            && SUCCEEDED(link->GetIconLocation(icon, MAX_PATH, &icon_index))) {
            std::printf("%s\n%s\n%s,%d\n", target, folder, icon, icon_index);
            status = 0;
        }
    }
    if (file)
        file->Release();
    if (link)
        link->Release();
    CoUninitialize();
    return status;
}

struct Command {
    const char* name;
    int (*run)(int argc, char** argv);
};

const Command kCommands[] = {
    {"wait", Wait},       {"text", Text},         {"close", Close},     {"box", Box},
    {"answer", Answer},   {"press", Press},       {"command", SendCommand},
    {"visible", Visible}, {"focus", Focus},       {"iconic", Iconic},     {"progress", Progress},
    {"rect", Rect},       {"restore", Restore},   {"panes", Panes},     {"record", Record},
    {"watch", Watch},     {"settext", SetText},   {"controls", Controls}, {"shortcut", Shortcut},
};

} // namespace

int main(int argc, char** argv)
{
    // Plain "\n" line ends, so that shell scripts read the texts unchanged.
    _setmode(_fileno(stdout), _O_BINARY);
    if (argc >= 3) {
        for (const Command& command : kCommands) {
            if (std::string(argv[1]) == command.name)
                return command.run(argc, argv);
        }
    }
    std::fprintf(stderr, "usage: uidriver COMMAND CAPTION [...] (see the source)\n");
    return 2;
}
