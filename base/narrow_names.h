// How a narrow name from a manifest becomes the wide name Windows opens: the
// system's ANSI code page decides which bytes are digits, so the device rule
// judges the converted name. The platform supplies the conversion; where it
// has none (the operators' checker on Linux), every byte above 0x7F after
// COM or LPT is taken for the digit it may be. Header only, without
// windows.h.
#pragma once

#include "base/best_fit.h"
#include "base/device_name.h"

#include <string_view>
#include <vector>

// A converted name. A vector rather than std::wstring: the installer has no
// other wide text, and the library's wide string would bring its whole
// instantiation into the program.
typedef std::vector<wchar_t> WideText;

// Converts `narrow` in `code_page` to UTF-16 into `wide`; false for bytes
// that are not a valid text in that code page.
typedef bool (*NarrowToWide)(unsigned code_page, std::string_view narrow, WideText& wide);

struct NarrowNames {
    unsigned code_page = 0;
    NarrowToWide to_wide = nullptr;
};

namespace device_name {

// COM or LPT, then anything that is not plain ASCII where the digit goes.
inline bool MayBeNumberedDevice(std::string_view piece)
{
    std::string_view stem = piece.substr(0, piece.find('.'));
    while (!stem.empty() && IsBlank(stem.back()))
        stem.remove_suffix(1);
    if (stem.size() < 4)
        return false;
    const std::string_view prefix = stem.substr(0, 3);
    if (!EqualsIgnoringCase(prefix, "COM") && !EqualsIgnoringCase(prefix, "LPT"))
        return false;
    for (char c : stem.substr(3))
        if (Code(c) >= 0x80)
            return true;
    return false;
}

} // namespace device_name

// Hands `judge` the name as Windows will open it, with the device rule that
// fits: the wide text converted whole in the code page, for in the
// double-byte code pages (932, 936, 950) "\\" and "|" are also the second
// byte of many characters, so the pieces exist only after conversion; where
// there is no conversion, the narrow bytes with the conservative rule. A name
// that does not convert is refused, and so is one with a character that the
// ANSI functions would read back as a separator, a dot or a colon.
template <typename Judge>
bool IsSafeAsOpened(std::string_view name, const NarrowNames& names, Judge judge)
{
    if (!names.to_wide)
        return !best_fit::HoldsLookAlike(name) && judge(name, [](std::string_view piece) {
            return IsDeviceName(piece) || device_name::MayBeNumberedDevice(piece);
        });
    WideText wide;
    if (!names.to_wide(names.code_page, name, wide)
        || best_fit::HoldsLookAlike(std::wstring_view(wide.data(), wide.size()), names.code_page))
        return false;
    return judge(std::wstring_view(wide.data(), wide.size()), [](std::wstring_view piece) { return IsDeviceName(piece); });
}

// True when the narrow piece names a device once Windows has converted it;
// a piece that does not convert is refused as one.
inline bool IsDeviceName(std::string_view piece, const NarrowNames& names)
{
    return !IsSafeAsOpened(piece, names, [](auto text, auto is_device) { return !is_device(text); });
}
