// The temporary names beside a file while it is written: NAME.part holds the
// bytes until they are complete and verified, NAME.part.info what a later
// run needs to resume them. The installer and Extract.dll stage their files
// under the same names, and nothing from outside may be written under one.
// Header only, on string views, for the narrow installer and the wide
// archive wrapper (which carries no C++ runtime library).
#pragma once

#include <string_view>
#include <type_traits>

namespace staging {

const char kPartSuffix[] = ".part";
const wchar_t kWidePartSuffix[] = L".part";
const char kInfoSuffix[] = ".part.info";

template <typename Char>
bool EndsWithIgnoringCase(std::basic_string_view<Char> name, const char* ascii_suffix)
{
    const std::string_view suffix(ascii_suffix);
    if (name.size() < suffix.size())
        return false;
    name.remove_prefix(name.size() - suffix.size());
    for (size_t i = 0; i < suffix.size(); ++i) {
        unsigned c = static_cast<unsigned>(static_cast<typename std::make_unsigned<Char>::type>(name[i]));
        if (c >= 'A' && c <= 'Z')
            c += 'a' - 'A';
        if (c != static_cast<unsigned char>(suffix[i]))
            return false;
    }
    return true;
}

// True for a name that ends like a temporary one, in any letter case, as
// Windows compares names.
template <typename Char>
bool IsTemporaryName(std::basic_string_view<Char> name)
{
    return EndsWithIgnoringCase(name, kPartSuffix) || EndsWithIgnoringCase(name, kInfoSuffix);
}

} // namespace staging
