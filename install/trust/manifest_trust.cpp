#include "install/trust/manifest_trust.h"

#include "install/trust/manifest_signature.h"
#include "services/rsa_signature.h"
#include "store/ini_file.h"
#include "store/registry_key.h"
#include "store/run_values.h"

#include <vector>

namespace {

const char kFloorPrefix[] = "ManifestSerial-";

CalendarDate TodayUtc()
{
    SYSTEMTIME now;
    GetSystemTime(&now);
    CalendarDate today;
    today.year = now.wYear;
    today.month = now.wMonth;
    today.day = now.wDay;
    return today;
}

} // namespace

std::string ManifestTrustRefusal(const std::string& text, const IniFile& manifest, const ManifestKeyList& keys)
{
    std::vector<RsaKeyBlob> blobs;
    for (size_t i = 0; i < keys.count; ++i)
        blobs.push_back(keys.keys[i].blob);
    const SignatureCheck verify = [&blobs](std::string_view covered, const std::string& signature) {
        return VerifyRsaSha256(blobs.data(), blobs.size(), covered, signature);
    };
    return KeyedManifestRefusal(text, manifest, verify, ManifestSerialFloor(keys), TodayUtc());
}

std::uint64_t ManifestSerialFloor(const ManifestKeyList& keys)
{
    RegistryKey settings(true, kSettingsKey);
    std::uint64_t floor = 0;
    for (size_t i = 0; i < keys.count; ++i) {
        std::uint64_t serial = 0;
        // A value that is no serial raises nothing.
        if (ReadSerial(settings.GetString(kFloorPrefix + std::string(keys.keys[i].id), settings.ms_value), serial)
            && serial > floor)
            floor = serial;
    }
    return floor;
}

void RecordManifestSerial(const IniFile& manifest, const ManifestKeyList& keys)
{
    const std::string serial = manifest.GetValue("GENERAL", "MANIFEST_SERIAL");
    RegistryKey settings(true, kSettingsKey);
    for (size_t i = 0; i < keys.count; ++i)
        settings.SetString(kFloorPrefix + std::string(keys.keys[i].id), serial, true);
}
