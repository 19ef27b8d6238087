#include "store/registry_key.h"

#include "store/key_handle.h"

#include <cstring>
#include <vector>

namespace {

const char kParentKey[] = "Software";

bool ValueExists(HKEY key, const std::string& name)
{
    return RegQueryValueExA(key, name.c_str(), nullptr, nullptr, nullptr, nullptr)
        == ERROR_SUCCESS;
}

} // namespace

RegistryKey::RegistryKey(bool current_user, const std::string& key_name)
    : mb_current_user(current_user), ms_key_name(key_name)
{
    KeyHandle software;
    software.Open(Hive(), kParentKey, KEY_ALL_ACCESS);
    KeyHandle key;
    if (key.Open(software.Get(), ms_key_name.c_str(), KEY_ALL_ACCESS) == ERROR_SUCCESS)
        return;
    HKEY created = nullptr;
    if (RegCreateKeyExA(software.Get(), ms_key_name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                        nullptr, &created, nullptr) == ERROR_SUCCESS)
        key.Reset(created);
}

RegistryKey::~RegistryKey() = default;

HKEY RegistryKey::Hive() const
{
    return mb_current_user ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

bool RegistryKey::OpenSubkey(KeyHandle& destination, const std::string& sub_key) const
{
    KeyHandle temporary;
    temporary.Open(Hive(), kParentKey, KEY_ALL_ACCESS);
    if (destination.Open(temporary.Get(), ms_key_name.c_str(), KEY_ALL_ACCESS) != ERROR_SUCCESS)
        return false;
    if (sub_key.empty())
        return true;

    temporary.Open(destination.Get(), sub_key.c_str(), KEY_ALL_ACCESS);
    HKEY created = nullptr;
    if (RegCreateKeyExA(destination.Get(), sub_key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                        nullptr, &created, nullptr) == ERROR_SUCCESS)
        temporary.Reset(created);
    return destination.Open(destination.Get(), sub_key.c_str(), KEY_ALL_ACCESS) == ERROR_SUCCESS;
}

bool RegistryKey::OpenForWrite(KeyHandle& key, const std::string& name, bool overwrite,
                               const std::string& sub_key) const
{
    if (!OpenSubkey(key, sub_key))
        return false;
    // Only existence counts: a value of any size that a user or an earlier
    // run set stays as it is.
    return overwrite || !ValueExists(key.Get(), name);
}

void RegistryKey::SetDword(const std::string& name, DWORD number, bool overwrite,
                           const std::string& sub_key)
{
    KeyHandle key;
    if (OpenForWrite(key, name, overwrite, sub_key))
        RegSetValueExA(key.Get(), name.c_str(), 0, REG_DWORD,
                       reinterpret_cast<const BYTE*>(&number), sizeof number);
}

void RegistryKey::SetString(const std::string& name, const std::string& text, bool overwrite,
                            const std::string& sub_key)
{
    KeyHandle key;
    if (!OpenForWrite(key, name, overwrite, sub_key))
        return;
    const std::string stored = text.substr(0, kLongestText);
    RegSetValueExA(key.Get(), name.c_str(), 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(stored.c_str()), lstrlenA(stored.c_str()) + 1);
}

DWORD RegistryKey::GetDword(const std::string& name, const std::string& sub_key)
{
    KeyHandle key;
    if (!OpenSubkey(key, sub_key))
        return 0;
    BYTE data[4] = {0, 0, 0, 0};
    DWORD size = sizeof data;
    if (RegQueryValueExA(key.Get(), name.c_str(), nullptr, nullptr, data, &size) != ERROR_SUCCESS)
        return 0;
    return data[0] | data[1] << 8 | data[2] << 16 | static_cast<DWORD>(data[3]) << 24;
}

std::string& RegistryKey::GetString(const std::string& name, std::string& destination,
                                    const std::string& sub_key)
{
    destination.clear();
    KeyHandle key;
    if (!OpenSubkey(key, sub_key))
        return destination;
    // Room for the longest text SetString writes, with its NUL.
    std::vector<char> data(kLongestText + 1, '\0');
    DWORD size = data.size();
    if (RegQueryValueExA(key.Get(), name.c_str(), nullptr, nullptr,
                         reinterpret_cast<BYTE*>(data.data()), &size) == ERROR_SUCCESS)
        destination.assign(data.data(), strnlen(data.data(), data.size()));
    return destination;
}
