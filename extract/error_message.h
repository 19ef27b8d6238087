// The message ExtractArchive hands back, composed piece by piece in the system
// code page. Callers pass 400 bytes, so it keeps at most 399 characters and
// cuts what goes beyond.
#pragma once

#include <windows.h>

#include <string_view>

class ErrorMessage {
public:
    static const size_t kSize = 400;

    ErrorMessage& operator<<(const char* text);
    ErrorMessage& operator<<(std::wstring_view text);
    ErrorMessage& operator<<(unsigned long long number);
    // Appends " (error N)" when there is an error code.
    void AddErrorCode(DWORD error);

    // Copies the message, terminated, into the caller's 400 bytes.
    void CopyTo(char* error) const;

private:
    void Add(const char* text, size_t length);

    char m_text[kSize] = {};
    size_t mn_length = 0;
};
