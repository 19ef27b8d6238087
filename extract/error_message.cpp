#include "extract/error_message.h"

void ErrorMessage::Add(const char* text, size_t length)
{
    const size_t room = kSize - 1 - mn_length;
    const size_t kept = length < room ? length : room;
    CopyMemory(m_text + mn_length, text, kept);
    mn_length += kept;
    m_text[mn_length] = '\0';
}

ErrorMessage& ErrorMessage::operator<<(const char* text)
{
    Add(text, lstrlenA(text));
    return *this;
}

ErrorMessage& ErrorMessage::operator<<(std::wstring_view text)
{
    if (text.empty())
        return *this;
    const int wide_length = static_cast<int>(text.size());
    const int size = WideCharToMultiByte(CP_ACP, 0, text.data(), wide_length, nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return *this;
    char* narrow = static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, size));
    if (!narrow)
        return *this;
    WideCharToMultiByte(CP_ACP, 0, text.data(), wide_length, narrow, size, nullptr, nullptr);
    Add(narrow, size);
    HeapFree(GetProcessHeap(), 0, narrow);
    return *this;
}

ErrorMessage& ErrorMessage::operator<<(unsigned long long number)
{
    char digits[20];
    size_t count = 0;
    do {
        digits[sizeof digits - 1 - count++] = static_cast<char>('0' + number % 10);
        number /= 10;
    } while (number != 0);
    Add(digits + sizeof digits - count, count);
    return *this;
}

void ErrorMessage::AddErrorCode(DWORD error)
{
    if (error != 0)
        *this << " (error " << static_cast<unsigned long long>(error) << ")";
}

void ErrorMessage::CopyTo(char* error) const
{
    if (error)
        CopyMemory(error, m_text, mn_length + 1);
}
