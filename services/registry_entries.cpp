#include "services/registry_entries.h"

#include "services/registry_entry.h"
#include "store/installer.h"
#include "store/registry_key.h"

#include <vector>

void WriteRegistryEntries(Installer& installer)
{
    RegistryKey brand_key(true, installer.m_manifest.GetValue("GENERAL", "BRAND_NAME"));
    std::vector<std::string> keys, values;
    installer.m_manifest.GetSection("REG", keys, values);

    RegistryEntry entry;
    for (size_t i = 0; i < keys.size(); ++i) {
        if (!ParseRegistryEntry(keys[i], values[i], entry))
            continue;
        if (entry.type == RegistryEntry::kNumber)
            brand_key.SetDword(entry.value_name, entry.number, true, entry.sub_key);
        else
            brand_key.SetString(entry.value_name, entry.text, true, entry.sub_key);
    }
}
