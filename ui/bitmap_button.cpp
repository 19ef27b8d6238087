#include "ui/bitmap_button.h"

#include "app/app_module.h"
#include "base/failure_log.h"

#include <algorithm>
#include <string>


namespace {

const char kObjectProperty[] = "BitmapButton";
// Owner-draw requests that the dialog reflects back to its controls.
const UINT kReflectedDrawItem = WM_DRAWITEM + 0x2000;
// A face's palette entries 1 to kLabelLevels hold its label's coverage, entry
// 0 its background (TEXT_LEVELS in ui/images/generate.py).
const int kLabelLevels = 15;

// The colours the pictures were designed with.
struct Look {
    COLORREF background, label, light_edge, dark_edge;
};
const Look kNormalLook = {RGB(236, 233, 216), RGB(30, 30, 30), RGB(255, 255, 255), RGB(110, 100, 80)};
const Look kHoverLook = {RGB(255, 244, 190), RGB(30, 30, 30), RGB(255, 255, 255), RGB(110, 100, 80)};
// Sunken: the edges change places.
const Look kPressedLook = {RGB(170, 160, 130), RGB(255, 255, 255), RGB(110, 100, 80), RGB(255, 255, 255)};
const COLORREF kHoverRim = RGB(212, 160, 23);

void FillSolid(HDC target, const RECT& rect, COLORREF colour)
{
    const COLORREF previous = SetBkColor(target, colour);
    ExtTextOutA(target, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
    SetBkColor(target, previous);
}

// A ring of `width` pixels along the inside of `rect`.
void FillRing(HDC target, const RECT& rect, int width, COLORREF colour)
{
    FillSolid(target, RECT{rect.left, rect.top, rect.right, rect.top + width}, colour);
    FillSolid(target, RECT{rect.left, rect.bottom - width, rect.right, rect.bottom}, colour);
    FillSolid(target, RECT{rect.left, rect.top, rect.left + width, rect.bottom}, colour);
    FillSolid(target, RECT{rect.right - width, rect.top, rect.right, rect.bottom}, colour);
}

// Raised or sunken: the light edge on top and left, the dark one on the
// bottom and right, drawn over the light one's corners.
void DrawFrame(HDC target, const RECT& rect, int width, const Look& look)
{
    FillSolid(target, RECT{rect.left, rect.top, rect.right, rect.top + width}, look.light_edge);
    FillSolid(target, RECT{rect.left, rect.top, rect.left + width, rect.bottom}, look.light_edge);
    FillSolid(target, RECT{rect.left, rect.bottom - width, rect.right, rect.bottom}, look.dark_edge);
    FillSolid(target, RECT{rect.right - width, rect.top, rect.right, rect.bottom}, look.dark_edge);
}

RGBQUAD Blend(COLORREF from, COLORREF to, int level)
{
    auto mix = [level](int a, int b) { return static_cast<BYTE>(a + (b - a) * level / kLabelLevels); };
    return RGBQUAD{mix(GetBValue(from), GetBValue(to)), mix(GetGValue(from), GetGValue(to)),
                   mix(GetRValue(from), GetRValue(to)), 0};
}

// Colours the face's background and label for LOOK and draws it over AREA.
void DrawFace(HDC target, std::vector<BYTE>& header, const BYTE* pixels, const Look& look, const RECT& area,
              int shift)
{
    BITMAPINFO* info = reinterpret_cast<BITMAPINFO*>(header.data());
    RGBQUAD* colours = reinterpret_cast<RGBQUAD*>(header.data() + info->bmiHeader.biSize);
    for (int level = 0; level <= kLabelLevels; ++level)
        colours[level] = Blend(look.background, look.label, level);
    // Halftone: a 2x face made smaller keeps its lines and letters smooth.
    const int previous_mode = SetStretchBltMode(target, HALFTONE);
    SetBrushOrgEx(target, 0, 0, nullptr);
    StretchDIBits(target, area.left + shift, area.top + shift, area.right - area.left, area.bottom - area.top, 0, 0,
                  info->bmiHeader.biWidth, info->bmiHeader.biHeight, pixels, info,
                  DIB_RGB_COLORS, SRCCOPY);
    SetStretchBltMode(target, previous_mode);
}

RECT Inset(const RECT& rect, int by) { return RECT{rect.left + by, rect.top + by, rect.right - by, rect.bottom - by}; }

} // namespace

BitmapButton::~BitmapButton()
{
    if (mh_window && GetWindowLongPtrA(mh_window, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(WindowProc)) {
        SetWindowLongPtrA(mh_window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(mp_control_proc));
        RemovePropA(mh_window, kObjectProperty);
    }
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

bool BitmapButton::Face::Load(UINT id)
{
    header.clear();
    pixels = nullptr;
    HINSTANCE instance = g_module.Instance();
    const std::string name = "bitmap " + std::to_string(id);
    HRSRC found = FindResourceA(instance, MAKEINTRESOURCEA(id), RT_BITMAP);
    HGLOBAL loaded = found ? LoadResource(instance, found) : nullptr;
    const BYTE* data = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
    if (!data) {
        LogFailure(found ? "LoadResource" : "FindResourceA", name, GetLastError());
        return false;
    }
    // The program's own pictures; a face that is not what the drawing
    // expects is left out rather than drawn wrong.
    const DWORD size = SizeofResource(instance, found);
    const BITMAPINFOHEADER* info = reinterpret_cast<const BITMAPINFOHEADER*>(data);
    if (size < sizeof *info || info->biCompression != BI_RLE8 || info->biClrUsed <= kLabelLevels
        || info->biClrUsed > 256 || info->biSize + info->biClrUsed * sizeof(RGBQUAD) >= size) {
        LogFailureText("LoadFaces", name, "not a face picture");
        return false;
    }
    const size_t header_size = info->biSize + info->biClrUsed * sizeof(RGBQUAD);
    header.assign(data, data + header_size);
    pixels = data + header_size;
    return true;
}

SIZE BitmapButton::Face::Size() const
{
    if (header.empty())
        return SIZE{0, 0};
    const BITMAPINFOHEADER* info = reinterpret_cast<const BITMAPINFOHEADER*>(header.data());
    return SIZE{info->biWidth, info->biHeight};
}

bool BitmapButton::LoadFaces(UINT face_id, UINT face_2x_id)
{
    const bool loaded = m_face.Load(face_id);
    return m_face_2x.Load(face_2x_id) && loaded;
}

SIZE BitmapButton::SizeAt(int dpi) const
{
    const SIZE face = m_face.Size();
    if (!face.cx) {
        RECT rect = {};
        GetWindowRect(mh_window, &rect);
        return SIZE{rect.right - rect.left, rect.bottom - rect.top};
    }
    // A frame of one pixel around the face.
    return SIZE{MulDiv(face.cx + 2, dpi, 96), MulDiv(face.cy + 2, dpi, 96)};
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

    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    const bool hover = !pressed && mb_hover;
    const Look& look = pressed ? kPressedLook : hover ? kHoverLook : kNormalLook;
    const RECT& rect = item.rcItem;
    FillSolid(item.hDC, rect, m_face.pixels ? look.background : GetSysColor(COLOR_BTNFACE));
    if (!m_face.pixels)
        return 0;

    // The frame is one pixel wide at 1x and grows with the button; the face
    // fills what it leaves, shifted by its width when pressed.
    const SIZE one_x = m_face.Size();
    const int height = rect.bottom - rect.top, width = rect.right - rect.left;
    const int edge = std::max<int>(1, height / (one_x.cy + 2));
    Face& face = (width == one_x.cx + 2 && height == one_x.cy + 2) || !m_face_2x.pixels ? m_face : m_face_2x;
    DrawFace(item.hDC, face.header, face.pixels, look, Inset(rect, edge), pressed ? edge : 0);
    DrawFrame(item.hDC, rect, edge, look);
    if (hover)
        FillRing(item.hDC, Inset(rect, edge), edge, kHoverRim);
    if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT)) {
        const RECT mark = Inset(rect, edge);
        DrawFocusRect(item.hDC, &mark);
    }
    return 0;
}
