#include "base/owner_window.h"

HWND g_dialog_window = nullptr;

void ShowMessage(const std::string& text)
{
    MessageBoxA(g_dialog_window, text.c_str(), "", MB_OK);
}
