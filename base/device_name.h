// Names Windows hands to a device instead of a file: a piece of a path named
// CON, PRN, AUX, NUL, COM0-COM9, LPT0-LPT9 (also with a superscript digit),
// CONIN$ or CONOUT$, whatever follows its first dot and whatever blanks end
// it, and any name that ends in a dot or a blank, which Windows silently cuts
// to another name. Header only, without windows.h and on string views, so the
// narrow manifest rules and the wide archive wrapper (which carries no C++
// runtime library) share one definition.
#pragma once

#include <string_view>
#include <type_traits>

namespace device_name {

template <typename Char>
unsigned Code(Char c)
{
    return static_cast<unsigned>(static_cast<typename std::make_unsigned<Char>::type>(c));
}

template <typename Char>
bool IsBlank(Char c)
{
    return c == Char(' ') || c == Char('\t');
}

// "¹", "²" and "³" have the same code in UTF-16 and in the western ANSI code
// page; in UTF-8 (a possible ANSI code page) they follow the byte 0xC2.
template <typename Char>
bool IsSuperscriptDigit(std::basic_string_view<Char> digit)
{
    if (sizeof(Char) == 1 && digit.size() == 2 && Code(digit[0]) == 0xC2)
        digit.remove_prefix(1);
    if (digit.size() != 1)
        return false;
    const unsigned code = Code(digit[0]);
    return code == 0xB9 || code == 0xB2 || code == 0xB3;
}

template <typename Char>
bool EqualsIgnoringCase(std::basic_string_view<Char> text, const char* ascii)
{
    size_t i = 0;
    for (; ascii[i]; ++i) {
        if (i >= text.size())
            return false;
        unsigned c = Code(text[i]);
        if (c >= 'a' && c <= 'z')
            c -= 'a' - 'A';
        if (c != static_cast<unsigned char>(ascii[i]))
            return false;
    }
    return i == text.size();
}

template <typename Char>
bool IsDevice(std::basic_string_view<Char> piece)
{
    if (!piece.empty() && (piece.back() == Char('.') || IsBlank(piece.back())))
        return true;
    std::basic_string_view<Char> stem = piece;
    const size_t dot = stem.find(Char('.'));
    if (dot != stem.npos)
        stem.remove_suffix(stem.size() - dot);
    while (!stem.empty() && IsBlank(stem.back()))
        stem.remove_suffix(1);
    for (const char* device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"})
        if (EqualsIgnoringCase(stem, device))
            return true;
    if (stem.size() < 4)
        return false;
    const std::basic_string_view<Char> prefix(stem.data(), 3), number(stem.data() + 3, stem.size() - 3);
    if (!EqualsIgnoringCase(prefix, "COM") && !EqualsIgnoringCase(prefix, "LPT"))
        return false;
    return (number.size() == 1 && number[0] >= Char('0') && number[0] <= Char('9'))
        || IsSuperscriptDigit(number);
}

} // namespace device_name

inline bool IsDeviceName(std::string_view piece) { return device_name::IsDevice(piece); }
inline bool IsDeviceName(std::wstring_view piece) { return device_name::IsDevice(piece); }
