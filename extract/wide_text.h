// A growable wide text on the process heap. Extract.dll carries no C++ runtime
// library, so this is its string. A failed allocation marks the text as
// failed instead of throwing; the caller checks Failed() once it has composed
// the text.
#pragma once

#include <windows.h>

#include <string_view>

class WideText {
public:
    WideText() = default;
    ~WideText();
    WideText(const WideText&) = delete;
    WideText& operator=(const WideText&) = delete;

    // Converts a text in the system code page.
    void AssignNarrow(const char* text);
    void Append(std::wstring_view text);
    // Room for `length` characters and the terminator, for the caller to fill;
    // null when it could not be had.
    wchar_t* Resize(size_t length);
    void Truncate(size_t length);

    // Never null: an empty text is L"".
    const wchar_t* Get() const { return mp_text ? mp_text : L""; }
    // Writable characters; null for a text never given room.
    wchar_t* Data() { return mp_text; }
    size_t Length() const { return mn_length; }
    std::wstring_view View() const { return std::wstring_view(Get(), mn_length); }
    bool Failed() const { return mb_failed; }

private:
    bool Reserve(size_t length);

    wchar_t* mp_text = nullptr;
    size_t mn_length = 0;
    size_t mn_capacity = 0;
    bool mb_failed = false;
};
