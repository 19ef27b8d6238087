#include "ui/bitmap_button.h"

#include "app/app_module.h"


namespace {

const char kObjectProperty[] = "BitmapButton";
// Owner-draw requests that the dialog reflects back to its controls.
const UINT kReflectedDrawItem = WM_DRAWITEM + 0x2000;

void DeleteBitmap(HBITMAP& bitmap)
{
    if (bitmap && DeleteObject(bitmap))
        bitmap = nullptr;
}

SIZE BitmapSize(HBITMAP bitmap)
{
    BITMAP info = {};
    GetObjectA(bitmap, sizeof info, &info);
    return SIZE{info.bmWidth, info.bmHeight};
}

void FillButtonFace(const DRAWITEMSTRUCT& item)
{
    HBRUSH face = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
    FillRect(item.hDC, &item.rcItem, face);
    DeleteObject(face);
}

void DrawStretched(HDC target, const RECT& rect, HBITMAP bitmap)
{
    HDC memory = CreateCompatibleDC(target);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    const SIZE size = BitmapSize(bitmap);
    StretchBlt(target, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, memory,
               0, 0, size.cx, size.cy, SRCCOPY);
    SelectObject(memory, previous);
    DeleteDC(memory);
}

} // namespace

BitmapButton::~BitmapButton()
{
    if (mh_window && GetWindowLongPtrA(mh_window, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(WindowProc)) {
        SetWindowLongPtrA(mh_window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(mp_control_proc));
        RemovePropA(mh_window, kObjectProperty);
    }
    DeleteBitmaps();
}

void BitmapButton::DeleteBitmaps()
{
    DeleteBitmap(mh_hover);
    DeleteBitmap(mh_pressed);
    DeleteBitmap(mh_normal);
}

bool BitmapButton::BindToControl(HWND button)
{
    if (!SetPropA(button, kObjectProperty, this))
        return false;
    const LONG_PTR previous =
        SetWindowLongPtrA(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WindowProc));
    if (!previous) {
        RemovePropA(button, kObjectProperty);
        return false;
    }
    mh_window = button;
    mp_control_proc = reinterpret_cast<WNDPROC>(previous);
    return true;
}

void BitmapButton::LoadBitmaps(UINT normal_id, UINT pressed_id, UINT hover_id)
{
    DeleteBitmaps();
    HINSTANCE instance = g_module.Instance();
    mh_normal = LoadBitmapA(instance, MAKEINTRESOURCEA(normal_id));
    mh_pressed = LoadBitmapA(instance, MAKEINTRESOURCEA(pressed_id));
    mh_hover = LoadBitmapA(instance, MAKEINTRESOURCEA(hover_id));
    if (mh_window && mh_normal) {
        const SIZE size = BitmapSize(mh_normal);
        SetWindowPos(mh_window, nullptr, 0, 0, size.cx, size.cy,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE);
    }
}

LRESULT CALLBACK BitmapButton::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    BitmapButton* button = static_cast<BitmapButton*>(GetPropA(window, kObjectProperty));
    if (!button)
        return DefWindowProcA(window, message, wparam, lparam);
    if (message == WM_NCDESTROY) {
        // The control is going away: hand it back and forget it.
        WNDPROC control_proc = button->mp_control_proc;
        if (GetWindowLongPtrA(window, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(WindowProc))
            SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(control_proc));
        RemovePropA(window, kObjectProperty);
        button->mh_window = nullptr;
        return CallWindowProcA(control_proc, window, message, wparam, lparam);
    }
    return button->HandleMessage(message, wparam, lparam);
}

LRESULT BitmapButton::CallControl(UINT message, WPARAM wparam, LPARAM lparam)
{
    return CallWindowProcA(mp_control_proc, mh_window, message, wparam, lparam);
}

LRESULT BitmapButton::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case kReflectedDrawItem:
        return Paint(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam));
    case WM_ERASEBKGND:
        return 1;
    case WM_LBUTTONDOWN:
        if (mb_hover && RequestLeaveNotice(TME_CANCEL | TME_LEAVE))
            mb_hover = false;
        mb_pressed = !mb_clicking;
        break;
    case WM_LBUTTONUP:
        mb_pressed = false;
        break;
    case BM_CLICK: {
        // BM_CLICK (automation, accessibility tools) presses and releases
        // through the control while the pointer may be anywhere: following
        // the pointer then would clear the pushed state and lose the click.
        mb_clicking = true;
        const LRESULT result = CallControl(message, wparam, lparam);
        mb_clicking = false;
        return result;
    }
    case WM_MOUSEMOVE:
        return TrackPointer(lparam);
    case WM_MOUSELEAVE:
        mb_hover = false;
        Redraw();
        return 0;
    case WM_KILLFOCUS:
        if (GetCapture() == mh_window) {
            ReleaseCapture();
            mb_pressed = false;
        }
        break;
    }
    return CallControl(message, wparam, lparam);
}

bool BitmapButton::RequestLeaveNotice(DWORD flags)
{
    TRACKMOUSEEVENT track = {};
    track.cbSize = sizeof track;
    track.dwFlags = flags;
    track.hwndTrack = mh_window;
    track.dwHoverTime = 0;
    // What the common controls' _TrackMouseEvent forwards to.
    return TrackMouseEvent(&track) != FALSE;
}

void BitmapButton::Redraw() { InvalidateRect(mh_window, nullptr, TRUE); }

bool BitmapButton::PointerOver(POINT screen_point) const
{
    return WindowFromPoint(screen_point) == mh_window;
}

// Keeps the control's pushed state in step with the pointer while the left
// button is held; true when the state changed.
bool BitmapButton::FollowPointerWhilePressed(bool pointer_over)
{
    const bool pushed = (CallControl(BM_GETSTATE, 0, 0) & BST_PUSHED) != 0;
    if (pushed == pointer_over)
        return false;
    CallControl(BM_SETSTATE, pointer_over ? 1 : 0, 0);
    return true;
}

LRESULT BitmapButton::TrackPointer(LPARAM lparam)
{
    if (mb_pressed && GetCapture() == mh_window) {
        // Signed: under capture the pointer may be left of or above the button.
        POINT point = {static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
        ClientToScreen(mh_window, &point);
        if (FollowPointerWhilePressed(PointerOver(point)))
            Redraw();
    } else if (!mb_hover && RequestLeaveNotice(TME_LEAVE)) {
        mb_hover = true;
        Redraw();
    }
    return 0;
}

LRESULT BitmapButton::Paint(const DRAWITEMSTRUCT& item)
{
    POINT cursor;
    if (mb_pressed && GetCapture() == mh_window && GetCursorPos(&cursor)
        && FollowPointerWhilePressed(PointerOver(cursor)))
        return -1;

    HBITMAP picture = nullptr;
    if (item.itemState & ODS_SELECTED)
        picture = mh_pressed;
    else if (mh_normal)
        picture = mb_hover && mh_hover ? mh_hover : mh_normal;

    if (picture)
        DrawStretched(item.hDC, item.rcItem, picture);
    else
        FillButtonFace(item);
    return 0;
}
