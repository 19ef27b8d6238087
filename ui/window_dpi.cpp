#include "ui/window_dpi.h"

#include "app/app_module.h"
#include "base/failure_log.h"

#include <string>

namespace {

// Windows 10's DIALOG_DPI_CHANGE_BEHAVIORS.
const int kDialogRescalesNothing = 0x0001;

template <typename Function>
Function User32Function(const char* name)
{
    HMODULE user32 = GetModuleHandleA("user32.dll");
    return user32 ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
}

} // namespace

int WindowDpi(HWND window)
{
    using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
    static const auto get_dpi_for_window = User32Function<GetDpiForWindowFunction>("GetDpiForWindow");
    if (get_dpi_for_window) {
        if (const UINT dpi = get_dpi_for_window(window))
            return static_cast<int>(dpi);
    }
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen)
        ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : kDefaultDpi;
}

void TakeOverDpiChanges(HWND dialog)
{
    using SetBehaviorFunction = BOOL(WINAPI*)(HWND, int, int);
    static const auto set_behavior = User32Function<SetBehaviorFunction>("SetDialogDpiChangeBehavior");
    if (set_behavior && !set_behavior(dialog, kDialogRescalesNothing, kDialogRescalesNothing))
        LogFailure("SetDialogDpiChangeBehavior", "the installer window", GetLastError());
}

HBITMAP ScaledBitmap(UINT id, SIZE size)
{
    HBITMAP source = LoadBitmapA(g_module.Instance(), MAKEINTRESOURCEA(id));
    if (!source) {
        LogFailure("LoadBitmapA", "bitmap " + std::to_string(id), GetLastError());
        return nullptr;
    }
    BITMAP info = {};
    GetObjectA(source, sizeof info, &info);
    if (info.bmWidth == size.cx && info.bmHeight == size.cy)
        return source;

    HDC screen = GetDC(nullptr);
    HBITMAP scaled = CreateCompatibleBitmap(screen, size.cx, size.cy);
    HDC from = CreateCompatibleDC(screen), to = CreateCompatibleDC(screen);
    if (scaled && from && to) {
        HGDIOBJ previous_from = SelectObject(from, source);
        HGDIOBJ previous_to = SelectObject(to, scaled);
        SetStretchBltMode(to, HALFTONE);
        SetBrushOrgEx(to, 0, 0, nullptr);
        StretchBlt(to, 0, 0, size.cx, size.cy, from, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
        SelectObject(from, previous_from);
        SelectObject(to, previous_to);
    } else
        LogFailure("CreateCompatibleBitmap", "bitmap " + std::to_string(id), GetLastError());
    if (from)
        DeleteDC(from);
    if (to)
        DeleteDC(to);
    ReleaseDC(nullptr, screen);
    DeleteObject(source);
    return scaled;
}
