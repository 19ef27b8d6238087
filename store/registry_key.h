// One key HKEY_CURRENT_USER (or HKEY_LOCAL_MACHINE)\Software\<name>. Every
// access opens the key, and an optional sub-key, afresh and closes it again;
// failures are silent (writes are lost, reads give 0 or the empty text).
#pragma once

#include <windows.h>

#include <string>

#include "store/key_handle.h"

class RegistryKey {
public:
    // Texts longer than this are cut on write.
    static const size_t kLongestText = 1024;

    // Creates the key when it does not exist yet.
    RegistryKey(bool current_user, const std::string& key_name);
    virtual ~RegistryKey();

    // Without `overwrite`, an existing value is left alone. A non-empty
    // `sub_key` is created below the key on first use.
    void SetDword(const std::string& name, DWORD number, bool overwrite,
                  const std::string& sub_key = std::string());
    void SetString(const std::string& name, const std::string& text, bool overwrite,
                   const std::string& sub_key = std::string());
    // 0 when the value cannot be read or holds more than 4 bytes.
    DWORD GetDword(const std::string& name, const std::string& sub_key = std::string());
    // The value's text, or the empty text when it cannot be read or is longer
    // than any text this class writes.
    std::string& GetString(const std::string& name, std::string& destination,
                           const std::string& sub_key = std::string());

    // A spare destination for GetString.
    std::string ms_value;

private:
    bool OpenSoftware(KeyHandle& software) const;
    bool OpenSubkey(KeyHandle& destination, const std::string& sub_key) const;
    // Opens the key for writing `name`; false when there is nothing to write.
    bool OpenForWrite(KeyHandle& key, const std::string& name, bool overwrite,
                      const std::string& sub_key) const;
    void SetValue(const KeyHandle& key, const std::string& name, DWORD type, const BYTE* data, DWORD size,
                  const std::string& sub_key) const;
    HKEY Hive() const;
    // "HKCU\Software\<name>[\<sub_key>]", as the failure lines name it.
    std::string KeyPath(const std::string& sub_key) const;

    bool mb_current_user;
    std::string ms_key_name;
};

// Deletes HKCU\Software\<key_name> with every sub-key and value (a key that is
// not there is no failure). Refuses an empty name, or one that starts with
// "\", which would name HKCU\Software itself. False when the key may remain;
// failures are logged.
bool DeleteSoftwareKey(const std::string& key_name);

// True when HKCU\Software\<key_name> is there (opened for reading, never
// created).
bool SoftwareKeyExists(const std::string& key_name);

// The REG_SZ value `name` of HKCU\Software\<key_name>, read without creating
// the key; the empty text when there is none.
std::string ReadSoftwareString(const std::string& key_name, const std::string& name);

// Deletes the value `name` of HKCU\Software\<key_name> (a key or value that
// is not there is no failure). False when it may remain; failures are logged.
bool DeleteSoftwareValue(const std::string& key_name, const std::string& name);
