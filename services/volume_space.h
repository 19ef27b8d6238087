// What the disk of a folder offers: the free bytes the user may use and the
// size of its clusters, which every file takes whole.
#pragma once

#include <cstdint>
#include <string>

struct VolumeSpace {
    std::uint64_t free_bytes = 0;
    std::uint64_t cluster_bytes = 0;
};

// False, with its failure line, when the system cannot tell.
bool QueryVolumeSpace(const std::string& folder, VolumeSpace& space);
