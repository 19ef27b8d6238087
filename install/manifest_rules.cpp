#include "install/manifest_rules.h"

#include "install/resource_entry.h"
#include "services/registry_entry.h"
#include "services/text.h"
#include "store/ini_file.h"

#include <vector>

namespace {

const char kDefaultBrand[] = "Karvelo Casino";

// Owned by the system, by other vendors, or by the installer's own settings.
const char* const kReservedKeys[] = {
    "Microsoft", "Classes", "Policies", "Wow6432Node", "Clients", "RegisteredApplications", "Wine", "InstallKVO",
};

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool EqualsIgnoringCase(const std::string& text, const std::string& other)
{
    if (text.size() != other.size())
        return false;
    for (size_t i = 0; i < text.size(); ++i)
        if (AsciiUpper(text[i]) != AsciiUpper(other[i]))
            return false;
    return true;
}

// The key a sub-key path opens first: its first piece that is not empty.
std::string FirstKeyPiece(const std::string& sub_key)
{
    std::vector<std::string> pieces;
    Split(pieces, sub_key, "\\", 0);
    for (const std::string& piece : pieces)
        if (!piece.empty())
            return piece;
    return std::string();
}

std::string RegistryRefusal(const IniFile& manifest)
{
    const std::string brand = manifest.GetValue("GENERAL", "BRAND_NAME");
    std::vector<std::string> keys, values;
    manifest.GetSection("REG", keys, values);
    RegistryEntry entry;
    for (size_t i = 0; i < keys.size(); ++i) {
        // Entries that do not parse are skipped by the run and write nothing.
        if (ParseRegistryEntry(keys[i], values[i], entry) && !IsSafeRegistryEntry(brand, entry))
            return "Unsafe registry entry in manifest: " + keys[i];
    }
    return std::string();
}

std::string ResourceRefusal(const IniFile& manifest)
{
    std::vector<std::string> keys, values;
    manifest.GetSection("URLS", keys, values);
    ResourceEntry entry;
    for (size_t i = 0; i < keys.size(); ++i) {
        if (IsResourceKey(keys[i]) && ParseResourceEntry(keys[i], values[i], entry)
            && !IsContainedResource(entry))
            return "Unsafe path in manifest: " + values[i];
    }
    return std::string();
}

} // namespace

std::string InstallBrandName(const IniFile& manifest)
{
    const std::string brand = manifest.GetValue("GENERAL", "BRAND_NAME");
    return brand.empty() ? kDefaultBrand : brand;
}

bool IsReservedRegistryKey(const std::string& name)
{
    for (const char* reserved : kReservedKeys)
        if (EqualsIgnoringCase(name, reserved))
            return true;
    return false;
}

bool IsSafeBrand(const std::string& brand) { return IsSafeFolderName(brand) && !IsReservedRegistryKey(brand); }

bool IsSafeRegistryEntry(const std::string& manifest_brand, const RegistryEntry& entry)
{
    return !manifest_brand.empty() || !IsReservedRegistryKey(FirstKeyPiece(entry.sub_key));
}

std::string ManifestRefusal(const IniFile& manifest)
{
    const std::string brand = InstallBrandName(manifest);
    if (!IsSafeBrand(brand))
        return "Unsafe brand name in manifest: " + brand;
    const std::string registry = RegistryRefusal(manifest);
    return registry.empty() ? ResourceRefusal(manifest) : registry;
}
