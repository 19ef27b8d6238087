// The two conversions of the COM support library that MinGW-w64's comutil.h
// declares but does not ship; _bstr_t (and so _com_error::Description) needs
// them. Texts are converted in the system code page.
#include <windows.h>
#include <comutil.h>

namespace _com_util {

char* WINAPI ConvertBSTRToString(BSTR text)
{
    if (!text)
        return nullptr;
    const int size = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    char* converted = new char[size > 0 ? size : 1]();
    if (size > 0)
        WideCharToMultiByte(CP_ACP, 0, text, -1, converted, size, nullptr, nullptr);
    return converted;
}

BSTR WINAPI ConvertStringToBSTR(const char* text)
{
    if (!text)
        return nullptr;
    const int size = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    BSTR converted = SysAllocStringLen(nullptr, size > 0 ? size - 1 : 0);
    if (converted && size > 0)
        MultiByteToWideChar(CP_ACP, 0, text, -1, converted, size);
    return converted;
}

} // namespace _com_util
