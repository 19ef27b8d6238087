#include "base/owner_window.h"

HWND g_dialog_window = nullptr;

void ShowMessage(const std::string& text) { ShowMessage(text, "", MB_OK); }

int ShowMessage(const std::string& text, const std::string& caption, UINT type)
{
    return MessageBoxA(g_dialog_window, text.c_str(), caption.c_str(), type);
}
