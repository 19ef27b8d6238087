#include "services/uninstall_entry.h"

#include "store/registry_key.h"

void WriteUninstallEntry(const std::string& key_name, const UninstallEntry& entry)
{
    DeleteSoftwareKey(key_name);
    RegistryKey key(true, key_name);
    key.SetString("DisplayName", entry.display_name, true);
    key.SetString("DisplayIcon", entry.display_icon, true);
    key.SetString("InstallLocation", entry.install_location, true);
    key.SetString("Publisher", entry.publisher, true);
    if (!entry.display_version.empty())
        key.SetString("DisplayVersion", entry.display_version, true);
    key.SetString("UninstallString", entry.uninstall_string, true);
    key.SetString("QuietUninstallString", entry.quiet_uninstall_string, true);
    key.SetString("InstallDate", entry.install_date, true);
    key.SetDword("EstimatedSize", entry.estimated_kib, true);
    key.SetDword("NoModify", 1, true);
    key.SetDword("NoRepair", 1, true);
}
