#include "install/refusal_box.h"

#include "base/disk_space.h"
#include "base/player_box.h"
#include "install/manifest_rules.h"

void ShowRefusal(const std::string& refusal)
{
    TextId id;
    std::string detail;
    if (ReadManifestRefusal(refusal, id, detail))
        ShowPlayerMessage(id, {detail});
    else
        ShowPlayerMessage(AnsiToWide(refusal));
}

void ShowDiskSpaceRefusal(std::uint64_t needed, std::uint64_t free_bytes)
{
    ShowPlayerMessage(TextId::kDiskSpace, {std::to_string(disk_space::MiBRoundedUp(needed)),
                                           std::to_string(disk_space::MiBRoundedUp(free_bytes))});
}
