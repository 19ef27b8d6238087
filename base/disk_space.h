// What a set of files needs of a disk: each file takes whole clusters, and a
// margin of max(16 MiB, 1 %) is kept free for the system and for what the
// files themselves write later. The installer and Extract.dll judge free
// space by this one rule. Header only, without windows.h.
#pragma once

#include <cstdint>

namespace disk_space {

const std::uint64_t kMiB = std::uint64_t(1) << 20;
const std::uint64_t kLeastMargin = 16 * kMiB;

// a + b, held at the largest value instead of wrapping.
inline std::uint64_t SaturatingAdd(std::uint64_t a, std::uint64_t b)
{
    return a + b < a ? ~std::uint64_t(0) : a + b;
}

// The bytes a file of `size` bytes takes on a disk of `cluster`-byte clusters.
inline std::uint64_t OnDisk(std::uint64_t size, std::uint64_t cluster)
{
    if (cluster == 0 || size % cluster == 0)
        return size;
    return SaturatingAdd(size - size % cluster, cluster);
}

// The free space files taking `on_disk` bytes need: the files and the margin.
inline std::uint64_t Needed(std::uint64_t on_disk)
{
    const std::uint64_t percent = on_disk / 100;
    return SaturatingAdd(on_disk, percent > kLeastMargin ? percent : kLeastMargin);
}

// Whole MiB, rounded up, as the user is told.
inline std::uint64_t MiBRoundedUp(std::uint64_t bytes)
{
    return bytes / kMiB + (bytes % kMiB != 0 ? 1 : 0);
}

} // namespace disk_space
