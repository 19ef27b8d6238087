#include "store/registry_key.h"

#include "base/failure_log.h"
#include "store/key_handle.h"

#include <shlwapi.h>

#include <cstring>
#include <vector>

namespace {

const char kParentKey[] = "Software";

bool ValueExists(HKEY key, const std::string& name)
{
    return RegQueryValueExA(key, name.c_str(), nullptr, nullptr, nullptr, nullptr)
        == ERROR_SUCCESS;
}

// Opens `name` below `parent`, creating it when it is missing, into `key`;
// the failure is logged with `path`, the key's full name. An empty name
// opens `parent` itself.
bool OpenOrCreateKey(KeyHandle& key, HKEY parent, const std::string& name, const std::string& path)
{
    if (OpenKey(key, parent, name.c_str(), KEY_ALL_ACCESS) == ERROR_SUCCESS)
        return true;
    HKEY created = nullptr;
    const LONG result = RegCreateKeyExA(parent, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &created,
                                        nullptr);
    if (result != ERROR_SUCCESS) {
        LogFailure("RegCreateKeyExA", path, result);
        return false;
    }
    key.Reset(created);
    return true;
}

} // namespace

RegistryKey::RegistryKey(bool current_user, const std::string& key_name)
    : mb_current_user(current_user), ms_key_name(key_name)
{
    KeyHandle software;
    if (OpenSoftware(software)) {
        KeyHandle key;
        OpenOrCreateKey(key, software.Get(), ms_key_name, KeyPath(std::string()));
    }
}

RegistryKey::~RegistryKey() = default;

HKEY RegistryKey::Hive() const
{
    return mb_current_user ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

std::string RegistryKey::KeyPath(const std::string& sub_key) const
{
    std::string path = std::string(mb_current_user ? "HKCU\\" : "HKLM\\") + kParentKey;
    if (!ms_key_name.empty())
        path += "\\" + ms_key_name;
    if (!sub_key.empty())
        path += "\\" + sub_key;
    return path;
}

bool RegistryKey::OpenSoftware(KeyHandle& software) const
{
    const LONG result = OpenKey(software, Hive(), kParentKey, KEY_ALL_ACCESS);
    if (result != ERROR_SUCCESS)
        LogFailure("RegOpenKeyExA", std::string(mb_current_user ? "HKCU\\" : "HKLM\\") + kParentKey, result);
    return result == ERROR_SUCCESS;
}

bool RegistryKey::OpenSubkey(KeyHandle& destination, const std::string& sub_key) const
{
    KeyHandle software;
    if (!OpenSoftware(software))
        return false;
    // The constructor created the key; one that is gone since is a failure.
    const LONG opened = OpenKey(destination, software.Get(), ms_key_name.c_str(), KEY_ALL_ACCESS);
    if (opened != ERROR_SUCCESS) {
        LogFailure("RegOpenKeyExA", KeyPath(std::string()), opened);
        return false;
    }
    if (sub_key.empty())
        return true;
    // A missing sub-key is created on first use.
    KeyHandle sub;
    if (!OpenOrCreateKey(sub, destination.Get(), sub_key, KeyPath(sub_key)))
        return false;
    destination = std::move(sub);
    return true;
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

// The design loses a failed write; the log keeps a line of it.
void RegistryKey::SetValue(const KeyHandle& key, const std::string& name, DWORD type, const BYTE* data,
                           DWORD size, const std::string& sub_key) const
{
    const LONG result = RegSetValueExA(key.Get(), name.c_str(), 0, type, data, size);
    if (result != ERROR_SUCCESS)
        LogFailure("RegSetValueExA", KeyPath(sub_key) + "\\" + name, result);
}

void RegistryKey::SetDword(const std::string& name, DWORD number, bool overwrite,
                           const std::string& sub_key)
{
    KeyHandle key;
    if (OpenForWrite(key, name, overwrite, sub_key))
        SetValue(key, name, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number, sub_key);
}

void RegistryKey::SetString(const std::string& name, const std::string& text, bool overwrite,
                            const std::string& sub_key)
{
    KeyHandle key;
    if (!OpenForWrite(key, name, overwrite, sub_key))
        return;
    const std::string stored = text.substr(0, kLongestText);
    SetValue(key, name, REG_SZ, reinterpret_cast<const BYTE*>(stored.c_str()), lstrlenA(stored.c_str()) + 1,
             sub_key);
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

bool DeleteSoftwareKey(const std::string& key_name)
{
    const std::string path = std::string(kParentKey) + "\\" + key_name;
    if (key_name.empty() || key_name[0] == '\\') {
        LogFailureText("SHDeleteKeyA", "HKCU\\" + path, "refused, it names HKCU\\Software itself");
        return false;
    }
    const LONG result = SHDeleteKeyA(HKEY_CURRENT_USER, path.c_str());
    if (result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND)
        return true;
    LogFailure("SHDeleteKeyA", "HKCU\\" + path, result);
    return false;
}

bool SoftwareKeyExists(const std::string& key_name)
{
    KeyHandle key;
    return !key_name.empty()
        && OpenKey(key, HKEY_CURRENT_USER, (std::string(kParentKey) + "\\" + key_name).c_str(), KEY_READ)
        == ERROR_SUCCESS;
}

std::string ReadSoftwareString(const std::string& key_name, const std::string& name)
{
    KeyHandle key;
    if (key_name.empty()
        || OpenKey(key, HKEY_CURRENT_USER, (std::string(kParentKey) + "\\" + key_name).c_str(), KEY_QUERY_VALUE)
            != ERROR_SUCCESS)
        return std::string();
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(key.Get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS
        || type != REG_SZ)
        return std::string();
    std::vector<char> data(size + 1, '\0');
    if (RegQueryValueExA(key.Get(), name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(data.data()), &size)
        != ERROR_SUCCESS)
        return std::string();
    return std::string(data.data(), strnlen(data.data(), data.size()));
}

bool DeleteSoftwareValue(const std::string& key_name, const std::string& name)
{
    const std::string path = std::string(kParentKey) + "\\" + key_name;
    if (key_name.empty() || key_name[0] == '\\') {
        LogFailureText("RegDeleteValueA", "HKCU\\" + path, "refused, it names HKCU\\Software itself");
        return false;
    }
    KeyHandle key;
    LONG result = OpenKey(key, HKEY_CURRENT_USER, path.c_str(), KEY_SET_VALUE);
    if (result == ERROR_SUCCESS)
        result = RegDeleteValueA(key.Get(), name.c_str());
    if (result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND)
        return true;
    LogFailure("RegDeleteValueA", "HKCU\\" + path + " " + name, result);
    return false;
}
