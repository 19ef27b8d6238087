// Where a relative path from outside (a manifest's sub-folder and file name,
// an archive's entry name) may lead: below the folder it is joined to, never
// above it, never to another drive and never onto a device. Windows takes
// "\" and "/" alike as separators. Header only, on string views, so that the
// narrow manifest rules and the wide archive wrapper (which carries no C++
// runtime library) share one definition.
#pragma once

#include "base/device_name.h"

#include <cstddef>
#include <string_view>

namespace path_rules {

template <typename Char>
bool IsSeparator(Char c)
{
    return c == Char('\\') || c == Char('/');
}

// Turns every "/" of the text into "\".
template <typename Char>
void UseBackslashes(Char* text, size_t length)
{
    for (size_t i = 0; i < length; ++i)
        if (text[i] == Char('/'))
            text[i] = Char('\\');
}

// True when a piece between separators is ".." (it climbs out) or names a
// device by `is_device` (it writes to a device instead of a file).
template <typename Char, typename IsDevicePiece>
bool HasUnsafePiece(std::basic_string_view<Char> path, IsDevicePiece is_device)
{
    for (size_t start = 0; start <= path.size();) {
        size_t end = start;
        while (end < path.size() && !IsSeparator(path[end]))
            ++end;
        const std::basic_string_view<Char> piece(path.data() + start, end - start);
        if ((piece.size() == 2 && piece[0] == Char('.') && piece[1] == Char('.')) || is_device(piece))
            return true;
        start = end + 1;
    }
    return false;
}

// The same with the device rule of wide names.
template <typename Char>
bool HasUnsafePiece(std::basic_string_view<Char> path)
{
    return HasUnsafePiece(path, [](std::basic_string_view<Char> piece) { return device_name::IsDevice(piece); });
}

// True when the path names a drive or a stream (":") anywhere.
template <typename Char>
bool HasColon(std::basic_string_view<Char> path)
{
    return path.find(Char(':')) != std::basic_string_view<Char>::npos;
}

// True when the path stays below the folder it is joined to: not rooted, no
// ":", no unsafe piece. The empty path stays where it is.
template <typename Char, typename IsDevice>
bool IsContainedPath(std::basic_string_view<Char> path, IsDevice is_device)
{
    return (path.empty() || !IsSeparator(path[0])) && !HasColon(path) && !HasUnsafePiece(path, is_device);
}

// The same with the device rule of wide names.
template <typename Char>
bool IsContainedPath(std::basic_string_view<Char> path)
{
    return IsContainedPath(path, [](std::basic_string_view<Char> piece) { return device_name::IsDevice(piece); });
}

} // namespace path_rules
