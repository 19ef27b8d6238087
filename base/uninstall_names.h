// The uninstaller's two files in the install folder itself: "uninstall.ini",
// the record of what the installer placed, and "uninstall.exe". Only the
// installer writes them; neither a manifest entry nor an archive entry may
// name them there. Header only, on string views, for the narrow installer
// and the wide archive wrapper.
#pragma once

#include "base/staging_names.h"

#include <cstddef>
#include <string_view>

namespace uninstall_names {

const char kRecordName[] = "uninstall.ini";
const char kUninstallerName[] = "uninstall.exe";

template <typename Char, size_t N>
bool EqualsIgnoringCase(std::basic_string_view<Char> name, const char (&ascii)[N])
{
    return name.size() == N - 1 && staging::EndsWithIgnoringCase(name, ascii);
}

// True for the uninstaller's or the record's name, in any letter case, as
// Windows compares names.
template <typename Char>
bool IsUninstallFileName(std::basic_string_view<Char> name)
{
    return EqualsIgnoringCase(name, kRecordName) || EqualsIgnoringCase(name, kUninstallerName);
}

// The first piece of a "\\"-separated path: what stands at the top of the
// folder it is joined to.
template <typename Char>
std::basic_string_view<Char> FirstPiece(std::basic_string_view<Char> path)
{
    return path.substr(0, path.find(Char('\\')));
}

// True when the name holds "~" and a digit: on a volume that makes 8.3 names
// it may be the short name of another entry beside it ("UNINST~1.EXE" for
// "uninstall.exe", "PROGRA~1" for "Program Files").
template <typename Char>
bool MayBeShortName(std::basic_string_view<Char> name)
{
    for (size_t i = 0; i + 1 < name.size(); ++i)
        if (name[i] == Char('~') && name[i + 1] >= Char('0') && name[i + 1] <= Char('9'))
            return true;
    return false;
}

} // namespace uninstall_names
