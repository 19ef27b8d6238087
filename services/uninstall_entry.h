// The client's line in the system's list of programs: one key below
// HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall, written by the
// installer itself (the manifest's REG entries never reach it).
#pragma once

#include <cstdint>
#include <string>

struct UninstallEntry {
    std::string display_name;
    std::string display_icon;
    std::string install_location;
    std::string publisher;
    // Not written when empty.
    std::string display_version;
    std::string uninstall_string;
    std::string quiet_uninstall_string;
    std::string install_date; // YYYYMMDD
    std::uint32_t estimated_kib = 0;
};

// Replaces the key HKCU\Software\<key_name> with exactly the entry's values
// (texts as REG_SZ; EstimatedSize, NoModify and NoRepair as REG_DWORD), so
// that nothing of an earlier entry stays. Failures are logged.
void WriteUninstallEntry(const std::string& key_name, const UninstallEntry& entry);
