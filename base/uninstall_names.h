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

} // namespace uninstall_names
