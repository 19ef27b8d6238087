// The DPI a window is drawn at, and what the window does about it. Windows
// before 10 lack the per-window calls: they are looked up at run time, and
// the system's DPI stands in for the window's.
#pragma once

#include "base/unique_handle.h"

#include <windows.h>

// Sent to a per-monitor aware window when its DPI changes (Windows 8.1 and
// later); wParam holds the new DPI, lParam the suggested window rectangle.
const UINT kDpiChangedMessage = 0x02E0;
const int kDefaultDpi = 96;

// The window's DPI where Windows tells it (10 and later), the system's
// otherwise.
int WindowDpi(HWND window);

// Stops Windows 10 from scaling a per-monitor aware dialog's fonts and
// controls by itself when its DPI changes: the dialog lays itself out.
void TakeOverDpiChanges(HWND dialog);

// VALUE, given at 96 DPI, at DPI.
inline int ScaleToDpi(int value, int dpi) { return MulDiv(value, dpi, kDefaultDpi); }

struct BitmapHandleTraits {
    using Handle = HBITMAP;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle handle) { DeleteObject(handle); }
};
using BitmapHandle = UniqueHandle<BitmapHandleTraits>;

struct FontHandleTraits {
    using Handle = HFONT;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle handle) { DeleteObject(handle); }
};
using FontHandle = UniqueHandle<FontHandleTraits>;

// Bitmap ID of the program's resources made SIZE, smoothly; null on failure.
HBITMAP ScaledBitmap(UINT id, SIZE size);
