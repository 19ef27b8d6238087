// Turns an owner-drawn push button into a picture button with a normal, a
// pressed and a hover look. It subclasses the existing control and passes
// everything it does not handle on, so the standard button behaviour stays.
#pragma once

#include <windows.h>

class BitmapButton {
public:
    BitmapButton() = default;
    virtual ~BitmapButton();
    BitmapButton(const BitmapButton&) = delete;
    BitmapButton& operator=(const BitmapButton&) = delete;

    // False when the control cannot be subclassed; the object stays unbound.
    bool BindToControl(HWND button);
    // Loads the three looks from the program's resources and sizes the
    // button to the normal one.
    void LoadBitmaps(UINT normal_id, UINT pressed_id, UINT hover_id);


private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);
    LRESULT CallControl(UINT message, WPARAM wparam, LPARAM lparam);
    LRESULT TrackPointer(LPARAM lparam);
    LRESULT Paint(const DRAWITEMSTRUCT& item);
    bool FollowPointerWhilePressed(bool pointer_over);
    bool PointerOver(POINT screen_point) const;
    bool RequestLeaveNotice(DWORD flags);
    void Redraw();
    void DeleteBitmaps();

    HWND mh_window = nullptr;
    WNDPROC mp_control_proc = nullptr;
    HBITMAP mh_normal = nullptr;
    HBITMAP mh_pressed = nullptr;
    HBITMAP mh_hover = nullptr;
    bool mb_hover = false;
    bool mb_pressed = false;
    // True while the control carries out a BM_CLICK.
    bool mb_clicking = false;
};
