#include "extract/wide_text.h"

WideText::~WideText()
{
    if (mp_text)
        HeapFree(GetProcessHeap(), 0, mp_text);
}

bool WideText::Reserve(size_t length)
{
    if (mb_failed)
        return false;
    if (length < mn_capacity)
        return true;
    // Doubles, so that appending piece by piece stays linear.
    const size_t capacity = length + 1 > 2 * mn_capacity ? length + 1 : 2 * mn_capacity;
    const SIZE_T bytes = capacity * sizeof(wchar_t);
    void* text = mp_text ? HeapReAlloc(GetProcessHeap(), 0, mp_text, bytes) : HeapAlloc(GetProcessHeap(), 0, bytes);
    if (!text) {
        mb_failed = true;
        return false;
    }
    mp_text = static_cast<wchar_t*>(text);
    mn_capacity = capacity;
    return true;
}

void WideText::AssignNarrow(const char* text)
{
    const int size = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    wchar_t* wide = Resize(size > 0 ? size - 1 : 0);
    if (wide && size > 0)
        MultiByteToWideChar(CP_ACP, 0, text, -1, wide, size);
}

void WideText::Append(std::wstring_view text)
{
    if (!Reserve(mn_length + text.size()))
        return;
    CopyMemory(mp_text + mn_length, text.data(), text.size() * sizeof(wchar_t));
    mn_length += text.size();
    mp_text[mn_length] = L'\0';
}

wchar_t* WideText::Resize(size_t length)
{
    if (!Reserve(length))
        return nullptr;
    mn_length = length;
    mp_text[length] = L'\0';
    return mp_text;
}

void WideText::Truncate(size_t length)
{
    if (mp_text && length < mn_length) {
        mn_length = length;
        mp_text[length] = L'\0';
    }
}
