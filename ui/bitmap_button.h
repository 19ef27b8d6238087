// Turns an owner-drawn push button into a picture button with a normal, a
// pressed and a hover look and a focus mark. It subclasses the existing
// control and passes everything it does not handle on, so the standard button
// behaviour stays.
//
// The picture is the button's face (ui/images/generate.py draws it at 1x and
// 2x): the button colours its background and label for each look and draws
// the frame around it, at whatever size the button has, so one face serves
// every look and every DPI.
#pragma once

#include <windows.h>

#include <vector>

class BitmapButton {
public:
    BitmapButton() = default;
    virtual ~BitmapButton();
    BitmapButton(const BitmapButton&) = delete;
    BitmapButton& operator=(const BitmapButton&) = delete;

    // False when the control cannot be subclassed; the object stays unbound.
    bool BindToControl(HWND button);
    // Takes the face from the program's resources: FACE_ID drawn at 1x,
    // FACE_2X_ID at 2x. False when either is missing (the button then shows
    // a plain face).
    bool LoadFaces(UINT face_id, UINT face_2x_id);
    // The button's size at DPI: its 1x size (the 1x face and its frame)
    // scaled, exactly the 1x size at 96.
    SIZE SizeAt(int dpi) const;

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

    // A face as the resources hold it: its header and colours, copied so that
    // each look can colour them, and its run-length encoded pixels.
    struct Face {
        std::vector<BYTE> header;
        const BYTE* pixels = nullptr;
        bool Load(UINT id);
        SIZE Size() const;
    };

    HWND mh_window = nullptr;
    WNDPROC mp_control_proc = nullptr;
    Face m_face;
    Face m_face_2x;
    bool mb_hover = false;
    bool mb_pressed = false;
    // True while the control carries out a BM_CLICK.
    bool mb_clicking = false;
};
