#include "base/player_box.h"

#include "base/failure_log.h"
#include "base/owner_window.h"
#include "base/unique_handle.h"

#include <cstdlib>
#include <iterator>
#include <vector>

namespace {

struct HookHandleTraits {
    using Handle = HHOOK;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle handle) { UnhookWindowsHookEx(handle); }
};
using HookHandle = UniqueHandle<HookHandleTraits>;

const UINT kMessageTextId = 0xFFFF;

struct ButtonName {
    int id;
    TextId text;
};

const ButtonName kButtonNames[] = {
    {IDOK, TextId::kOk}, {IDCANCEL, TextId::kCancel}, {IDYES, TextId::kYes},
    {IDNO, TextId::kNo}, {IDRETRY, TextId::kRetry},
};

WideText CodePageToWideText(UINT code_page, std::string_view text)
{
    WideText wide;
    const int length = static_cast<int>(text.size());
    const int needed = length ? MultiByteToWideChar(code_page, 0, text.data(), length, nullptr, 0) : 0;
    wide.resize(static_cast<size_t>(needed) + 1);
    if (needed)
        MultiByteToWideChar(code_page, 0, text.data(), length, wide.data(), needed);
    wide[static_cast<size_t>(needed)] = L'\0';
    return wide;
}

std::string AnsiToUtf8(const std::string& text)
{
    const WideText wide = AnsiToWide(text);
    const int length = static_cast<int>(wide.size() - 1);
    const int needed = length ? WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, nullptr, 0, nullptr, nullptr) : 0;
    std::string utf8(static_cast<size_t>(needed), '\0');
    if (needed)
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, &utf8[0], needed, nullptr, nullptr);
    return utf8;
}

// MessageBoxW names its buttons in the system's language. While a box of
// ours opens on this thread, a hook gives them the chosen language's names
// instead: it works on every Windows since 95, and the box keeps its icon,
// sound, keyboard and size rules. Only the first message box the thread
// activates is renamed, never a window that is activated after it.
thread_local bool t_buttons_named = false;

bool IsMessageBox(HWND window)
{
    wchar_t class_name[8] = L"";
    return GetClassNameW(window, class_name, static_cast<int>(std::size(class_name))) > 0
        && lstrcmpW(class_name, L"#32770") == 0 && GetDlgItem(window, kMessageTextId);
}

// The widest of the buttons' names in their font, with room for the edges.
int NeededButtonWidth(HWND box)
{
    HWND any = GetDlgItem(box, IDOK) ? GetDlgItem(box, IDOK) : GetDlgItem(box, IDCANCEL);
    HDC dc = GetDC(nullptr);
    if (!dc)
        return 0;
    HGDIOBJ before = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(any ? any : box, WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    int widest = 0;
    for (const ButtonName& button : kButtonNames) {
        if (!GetDlgItem(box, button.id))
            continue;
        const WideText name = PlayerText(button.text);
        SIZE size = {};
        GetTextExtentPoint32W(dc, name.data(), static_cast<int>(name.size() - 1), &size);
        widest = size.cx > widest ? size.cx : widest;
    }
    SelectObject(dc, before);
    ReleaseDC(nullptr, dc);
    return widest + 4 * metrics.tmAveCharWidth;
}

// The box made its buttons as wide as the system's names need; longer names
// get wider buttons, kept centred with their gaps, in a box widened for them.
void WidenButtons(HWND box)
{
    std::vector<HWND> buttons;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        for (const ButtonName& button : kButtonNames)
            if (GetDlgCtrlID(child) == button.id)
                buttons.push_back(child);
    if (buttons.empty())
        return;
    RECT first, second;
    GetWindowRect(buttons[0], &first);
    MapWindowPoints(nullptr, box, reinterpret_cast<POINT*>(&first), 2);
    second = first;
    if (buttons.size() > 1) {
        GetWindowRect(buttons[1], &second);
        MapWindowPoints(nullptr, box, reinterpret_cast<POINT*>(&second), 2);
    }
    const int width = first.right - first.left;
    const int needed = NeededButtonWidth(box);
    if (needed <= width)
        return;
    const int count = static_cast<int>(buttons.size());
    const int gap = buttons.size() > 1 ? std::abs(second.left - first.left) - width : 0;
    const int row = count * needed + (count - 1) * gap;
    RECT client, outer;
    GetClientRect(box, &client);
    GetWindowRect(box, &outer);
    const int margin = 2 * GetSystemMetrics(SM_CXDLGFRAME) + gap;
    const int grow = row + 2 * margin > client.right ? row + 2 * margin - client.right : 0;
    if (grow)
        SetWindowPos(box, nullptr, outer.left - grow / 2, outer.top, outer.right - outer.left + grow,
                     outer.bottom - outer.top, SWP_NOZORDER | SWP_NOACTIVATE);
    const int left = (client.right + grow - row) / 2;
    for (int i = 0; i < count; ++i)
        SetWindowPos(buttons[static_cast<size_t>(i)], nullptr, left + i * (needed + gap), first.top, needed,
                     first.bottom - first.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK NameButtons(int code, WPARAM wparam, LPARAM lparam)
{
    HWND window = reinterpret_cast<HWND>(wparam);
    if (code == HCBT_ACTIVATE && !t_buttons_named && IsMessageBox(window)) {
        t_buttons_named = true;
        for (const ButtonName& button : kButtonNames)
            if (HWND control = GetDlgItem(window, button.id))
                SetWindowTextW(control, PlayerText(button.text).data());
        WidenButtons(window);
    }
    return CallNextHookEx(nullptr, code, wparam, lparam);
}

HookHandle HookButtonNames(int language)
{
    if (language == player_texts::kEnglish)
        return HookHandle();
    t_buttons_named = false;
    HookHandle hook(SetWindowsHookExW(WH_CBT, NameButtons, nullptr, GetCurrentThreadId()));
    if (!hook)
        LogFailure("SetWindowsHookExW", "message box buttons", GetLastError());
    return hook;
}

int ShowBox(const wchar_t* text, const wchar_t* caption, UINT type)
{
    const int language = PlayerLanguage();
    const HookHandle hook = HookButtonNames(language);
    const UINT reading = IsRightToLeft(language) ? MB_RTLREADING | MB_RIGHT : 0;
    return MessageBoxW(g_dialog_window, text, caption, type | reading);
}

} // namespace

WideText AnsiToWide(const std::string& text) { return CodePageToWideText(CP_ACP, text); }

WideText PlayerText(TextId id, std::initializer_list<std::string> arguments)
{
    std::string utf8[9];
    std::string_view views[9];
    size_t count = 0;
    for (const std::string& argument : arguments) {
        if (count == std::size(utf8))
            break;
        utf8[count] = AnsiToUtf8(argument);
        views[count] = utf8[count];
        ++count;
    }
    return CodePageToWideText(CP_UTF8, FillText(PlayerTextUtf8(id, PlayerLanguage()), views, count));
}

int ShowPlayerMessage(TextId id, std::initializer_list<std::string> arguments)
{
    return ShowBox(PlayerText(id, arguments).data(), L"", MB_OK);
}

int ShowPlayerMessage(const WideText& text) { return ShowBox(text.data(), L"", MB_OK); }

int ShowPlayerMessage(const WideText& text, const WideText& caption, UINT type)
{
    return ShowBox(text.data(), caption.empty() ? L"" : caption.data(), type);
}
