#include "install/refusal_box.h"

#include "base/disk_space.h"
#include "base/player_box.h"

void ShowRefusal(const std::string& refusal)
{
    TextId id;
    std::string detail;
    if (ReadEnglishText(refusal,
                        {TextId::kUnsafeBrand, TextId::kUnsafeRegistryEntry, TextId::kUnsafePath,
                         TextId::kMalformedChecksum, TextId::kMalformedSize, TextId::kMissingChecksum,
                         TextId::kMissingSize, TextId::kUnsafeHost, TextId::kUnsignedManifest,
                         TextId::kInvalidSignature, TextId::kOutdatedManifest, TextId::kExpiredManifest},
                        id, detail))
        ShowPlayerMessage(id, {detail});
    else
        ShowPlayerMessage(AnsiToWide(refusal));
}

void ShowDiskSpaceRefusal(std::uint64_t needed, std::uint64_t free_bytes)
{
    ShowPlayerMessage(TextId::kDiskSpace, {std::to_string(disk_space::MiBRoundedUp(needed)),
                                           std::to_string(disk_space::MiBRoundedUp(free_bytes))});
}
