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

// The space for `bytes` more in `folder`, which each file of a run asks
// before its body: the free bytes of a reading less than a second old, less
// what the files since may take, as long as that leaves twice what these
// bytes need with the margin; otherwise a new reading. A file that may not
// fit is always judged by a new reading. The worker's alone.
bool QueryVolumeSpaceFor(const std::string& folder, std::uint64_t bytes, VolumeSpace& space);
