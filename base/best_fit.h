// Characters that Windows' ANSI functions hand back as a separator, a dot or
// a colon: where a code page lacks a character, the conversion takes a
// look-alike ("best fit"). A name that holds one is one piece to the wide
// functions and several, or "..", to the narrow ones. Header only, portable,
// for the manifest rules on the installer and in the operators' checker.
#pragma once

#include <cstddef>
#include <string_view>

namespace best_fit {

// 0 for every code page.
struct LookAlike {
    char32_t code;
    unsigned code_page;
};

const LookAlike kLookAlikes[] = {
    {0xFF3C, 0}, // full-width reverse solidus
    {0x2216, 0}, // set minus
    {0xFE68, 0}, // small reverse solidus
    {0xFF0F, 0}, // full-width solidus
    {0x2215, 0}, // division slash
    {0x2044, 0}, // fraction slash
    {0xFF0E, 0}, // full-width full stop
    {0x2024, 0}, // one dot leader
    {0xFE52, 0}, // small full stop
    {0xFF1A, 0}, // full-width colon
    {0x2236, 0}, // ratio
    {0xFE55, 0}, // small colon
    {0x00A5, 932}, // yen sign: byte 0x5C, the separator, in the Japanese code page
    {0x20A9, 949}, // won sign: byte 0x5C in the Korean code page
};

// True when `code` is a look-alike under `code_page`; code page 0 stands for
// a code page not known, where every look-alike counts.
inline bool IsLookAlike(char32_t code, unsigned code_page)
{
    for (const LookAlike& look_alike : kLookAlikes)
        if (look_alike.code == code
            && (look_alike.code_page == 0 || code_page == 0 || look_alike.code_page == code_page))
            return true;
    return false;
}

// For a wide name (UTF-16): no look-alike is outside the basic plane.
inline bool HoldsLookAlike(std::wstring_view name, unsigned code_page)
{
    for (wchar_t c : name)
        if (IsLookAlike(static_cast<char32_t>(c), code_page))
            return true;
    return false;
}

// For a narrow name whose code page is not known: its UTF-8 sequences are
// read as the characters they encode (a manifest written in UTF-8 is read
// so on a system whose code page is UTF-8).
inline bool HoldsLookAlike(std::string_view name)
{
    for (size_t i = 0; i < name.size(); ++i) {
        const unsigned char lead = static_cast<unsigned char>(name[i]);
        size_t extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
        if (extra == 0 || i + extra >= name.size())
            continue;
        char32_t code = lead & (0x3F >> extra);
        bool well_formed = true;
        for (size_t k = 1; k <= extra; ++k) {
            const unsigned char next = static_cast<unsigned char>(name[i + k]);
            well_formed = well_formed && (next & 0xC0) == 0x80;
            code = code << 6 | (next & 0x3F);
        }
        if (well_formed && IsLookAlike(code, 0))
            return true;
    }
    return false;
}

} // namespace best_fit
