#include "install/manifest_rules.h"

#include "base/player_texts.h"
#include "install/resource_entry.h"
#include "install/uninstall_record.h"
#include "services/registry_entry.h"
#include "services/text.h"
#include "store/ini_file.h"
#include "store/run_values.h"

#include <vector>

namespace {

const char kDefaultBrand[] = "Karvelo Casino";
// The longest DNS name.
const size_t kLongestHost = 253;

// Owned by the system, by other vendors, or by the installer's own settings.
const char* const kReservedKeys[] = {
    "Microsoft", "Classes", "Policies", "Wow6432Node", "Clients", "RegisteredApplications", "Wine", kSettingsKey,
};

// Folders under Program Files of the system and of other products; every
// name that begins with "Microsoft" is refused besides.
const char* const kReservedFolders[] = {
    "Common Files", "Internet Explorer", "Microsoft.NET", "MSBuild", "ModifiableWindowsApps",
    "Reference Assemblies", "Uninstall Information", "Windows Defender",
    "Windows Defender Advanced Threat Protection", "Windows Mail", "Windows Media Player",
    "Windows Multimedia Platform", "Windows NT", "Windows Photo Viewer", "Windows Portable Devices",
    "Windows Security", "Windows Sidebar", "WindowsApps", "WindowsPowerShell",
};

bool IsReservedFolder(const std::string& name)
{
    const std::string upper = AsciiUpper(name);
    if (upper.compare(0, 9, "MICROSOFT") == 0)
        return true;
    for (const char* reserved : kReservedFolders)
        if (upper == AsciiUpper(reserved))
            return true;
    // An 8.3 short name ("PROGRA~1") may stand for any folder beside it.
    return uninstall_names::MayBeShortName(std::string_view(upper));
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
    for (size_t i = 0; i < keys.size(); ++i) {
        const std::string refusal = RegistryEntryRefusal(brand, keys[i], values[i]);
        if (!refusal.empty())
            return refusal;
    }
    return std::string();
}

std::string ResourceRefusal(const IniFile& manifest, const EntryDemands& demands, const NarrowNames& names)
{
    std::vector<std::string> keys, values;
    manifest.GetSection("URLS", keys, values);
    for (size_t i = 0; i < keys.size(); ++i) {
        const std::string refusal = ResourceEntryRefusal(keys[i], values[i], demands, names);
        if (!refusal.empty())
            return refusal;
    }
    return std::string();
}

// The uninstaller and its record stand in the install folder itself: a file
// of the manifest under either name there, or under a short name that may
// be theirs, would take their place.
bool TakesAnUninstallPlace(const ResourceEntry& entry)
{
    const std::string placed = entry.sub_folder + "\\" + ResourceFileName(entry.path);
    return IsUninstallPlace(placed) || StartsWithShortName(placed);
}

} // namespace

std::string InstallBrandName(const IniFile& manifest)
{
    const std::string brand = manifest.GetValue("GENERAL", "BRAND_NAME");
    return brand.empty() ? kDefaultBrand : brand;
}

bool IsReservedRegistryKey(const std::string& name)
{
    const std::string upper = AsciiUpper(name);
    for (const char* reserved : kReservedKeys)
        if (upper == AsciiUpper(reserved))
            return true;
    return false;
}

bool IsSafeBrand(const std::string& brand, const NarrowNames& names)
{
    return IsSafeFolderName(brand, names) && !IsReservedRegistryKey(brand) && !IsReservedFolder(brand);
}

bool IsSafeRegistryEntry(const std::string& manifest_brand, const RegistryEntry& entry)
{
    return !manifest_brand.empty() || !IsReservedRegistryKey(FirstKeyPiece(entry.sub_key));
}

std::string BrandRefusal(const IniFile& manifest, const NarrowNames& names)
{
    const std::string brand = InstallBrandName(manifest);
    return IsSafeBrand(brand, names) ? std::string() : FillText(EnglishText(TextId::kUnsafeBrand), {brand});
}

std::string RegistryEntryRefusal(const std::string& manifest_brand, const std::string& key,
                                 const std::string& value)
{
    RegistryEntry entry;
    // Entries that do not parse are skipped by the run and write nothing.
    if (!ParseRegistryEntry(key, value, entry))
        return std::string();
    // The registry's narrow functions stop at a NUL: "Classes\0/x" would
    // open Classes. A text may hold tabs and the like, never a NUL.
    if (!IsSafeRegistryEntry(manifest_brand, entry) || HasControlByte(key) || value.find('\0') != std::string::npos)
        return FillText(EnglishText(TextId::kUnsafeRegistryEntry), {key});
    return std::string();
}

std::string ResourceEntryRefusal(const std::string& key, const std::string& value, const EntryDemands& demands,
                                 const NarrowNames& names)
{
    ResourceEntry entry;
    if (!IsResourceKey(key) || !ParseResourceEntry(key, value, entry))
        return std::string();
    if (!IsContainedResource(entry, names) || TakesAnUninstallPlace(entry)
        || value.find('\0') != std::string::npos)
        return FillText(EnglishText(TextId::kUnsafePath), {value});
    if (entry.hash == HashPiece::kMalformed)
        return FillText(EnglishText(TextId::kMalformedChecksum), {value});
    if (entry.size_piece == SizePiece::kMalformed)
        return FillText(EnglishText(TextId::kMalformedSize), {value});
    return demands.hash ? MissingChecksumRefusal(entry, value) : std::string();
}

bool IsSafeHost(const std::string& host)
{
    if (host.empty() || host.size() > kLongestHost)
        return false;
    for (char c : host)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.'))
            return false;
    return true;
}

bool ReadParallelDownloads(const std::string& value, int& count)
{
    if (value.empty() || value.size() > 2 || value.find_first_not_of("0123456789") != std::string::npos)
        return false;
    int read = 0;
    for (char digit : value)
        read = read * 10 + (digit - '0');
    if (read < 1 || read > kMostParallelDownloads)
        return false;
    count = read;
    return true;
}

std::vector<std::string> MirrorHosts(const IniFile& manifest)
{
    std::vector<std::string> hosts;
    Split(hosts, manifest.GetValue("URLS", "SERVER_MIRRORS"), ",", 0);
    return hosts;
}

std::string HostValueRefusal(const std::string& key, const std::string& value)
{
    const std::string refusal = FillText(EnglishText(TextId::kUnsafeHost), {value});
    if (key == "SERVER_MIRRORS") {
        std::vector<std::string> hosts;
        Split(hosts, value, ",", 0);
        for (const std::string& host : hosts)
            if (!IsSafeHost(host))
                return refusal;
        return std::string();
    }
    // SERVER_ADDR keeps its reading but for what would cut or bend it.
    if ((key == "SERVER_ADDR" || key == "SERVER_SCHEME") && HasControlByte(value))
        return refusal;
    return std::string();
}

std::string HostRefusal(const IniFile& manifest)
{
    for (const char* key : {"SERVER_ADDR", "SERVER_SCHEME", "SERVER_MIRRORS"}) {
        const std::string refusal = HostValueRefusal(key, manifest.GetValue("URLS", key));
        if (!refusal.empty())
            return refusal;
    }
    return std::string();
}

bool ReadManifestRefusal(const std::string& text, TextId& id, std::string& detail)
{
    return ReadEnglishText(text,
                           {TextId::kUnsafeBrand, TextId::kUnsafeRegistryEntry, TextId::kUnsafePath,
                            TextId::kMalformedChecksum, TextId::kMalformedSize, TextId::kMissingChecksum,
                            TextId::kMissingSize, TextId::kUnsafeHost, TextId::kUnsignedManifest,
                            TextId::kInvalidSignature, TextId::kOutdatedManifest, TextId::kExpiredManifest},
                           id, detail);
}

std::string ManifestRefusal(const IniFile& manifest, const EntryDemands& demands, const NarrowNames& names)
{
    std::string refusal = BrandRefusal(manifest, names);
    if (refusal.empty())
        refusal = RegistryRefusal(manifest);
    if (refusal.empty())
        refusal = HostRefusal(manifest);
    if (refusal.empty())
        refusal = ResourceRefusal(manifest, demands, names);
    return refusal;
}
