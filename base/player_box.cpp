#include "base/player_box.h"

#include "base/failure_log.h"
#include "base/owner_window.h"
#include "base/unique_handle.h"

#include <iterator>

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

LRESULT CALLBACK NameButtons(int code, WPARAM wparam, LPARAM lparam)
{
    HWND window = reinterpret_cast<HWND>(wparam);
    if (code == HCBT_ACTIVATE && !t_buttons_named && IsMessageBox(window)) {
        t_buttons_named = true;
        for (const ButtonName& button : kButtonNames)
            if (HWND control = GetDlgItem(window, button.id))
                SetWindowTextW(control, PlayerText(button.text).data());
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
