#include "message_boxes.h"

#include <vector>

namespace {

const UINT kSendTimeoutMs = 5000;
const int kMessageTextId = 0xFFFF;

struct Search {
    HWND owner;
    DWORD process_id;
    HWND found;
};

BOOL CALLBACK MatchMessageBox(HWND window, LPARAM parameter)
{
    Search& search = *reinterpret_cast<Search*>(parameter);
    if (!IsMessageBox(window))
        return TRUE;
    DWORD process_id = 0;
    GetWindowThreadProcessId(window, &process_id);
    const bool matches = search.owner ? GetWindow(window, GW_OWNER) == search.owner
                                      : process_id == search.process_id;
    if (!matches)
        return TRUE;
    search.found = window;
    return FALSE;
}

void PumpMessages()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

bool Expired(DWORD deadline) { return static_cast<LONG>(deadline - GetTickCount()) <= 0; }

} // namespace

HWND WaitForMessageBox(HWND owner, DWORD process_id, DWORD timeout_ms)
{
    const DWORD deadline = GetTickCount() + timeout_ms;
    for (;;) {
        Search search{owner, process_id, nullptr};
        EnumWindows(MatchMessageBox, reinterpret_cast<LPARAM>(&search));
        if (search.found)
            return search.found;
        if (Expired(deadline))
            return nullptr;
        PumpMessages();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

bool IsMessageBox(HWND window)
{
    char class_name[16] = "";
    GetClassNameA(window, class_name, sizeof class_name);
    return lstrcmpA(class_name, "#32770") == 0 && IsWindowVisible(window) && GetDlgItem(window, kMessageTextId);
}

std::string WindowText(HWND window)
{
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                             &length))
        return std::string();
    std::vector<char> text(length + 1, '\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                             SMTO_ABORTIFHUNG, kSendTimeoutMs, &copied))
        return std::string();
    return std::string(text.data(), copied);
}

std::string MessageBoxText(HWND box)
{
    HWND text = GetDlgItem(box, kMessageTextId);
    return text ? WindowText(text) : std::string();
}

bool PressMessageBoxButton(HWND box, int button_id, DWORD timeout_ms)
{
    HWND button = GetDlgItem(box, button_id);
    if (!button)
        return false;
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(button_id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    const DWORD deadline = GetTickCount() + timeout_ms;
    while (IsWindow(box) && IsWindowVisible(box)) {
        if (Expired(deadline))
            return false;
        PumpMessages();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return true;
}
