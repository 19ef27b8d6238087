#include "base/code_page.h"

#include <windows.h>

bool CodePageToWide(unsigned code_page, std::string_view narrow, WideText& wide)
{
    wide.clear();
    if (narrow.empty())
        return true;
    const int length = static_cast<int>(narrow.size());
    const int needed = MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, narrow.data(), length, nullptr, 0);
    if (needed <= 0)
        return false;
    wide.resize(static_cast<size_t>(needed));
    return MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, narrow.data(), length, wide.data(), needed) == needed;
}

NarrowNames SystemNarrowNames()
{
    NarrowNames names;
    names.code_page = GetACP();
    names.to_wide = CodePageToWide;
    return names;
}
