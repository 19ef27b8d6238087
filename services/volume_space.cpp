#include "services/volume_space.h"

#include "base/disk_space.h"
#include "base/failure_log.h"

#include <windows.h>

#include <vector>

namespace {

// The cluster size is asked of the volume's root; the free space of the
// folder itself, which quotas may make less than the volume's.
std::uint64_t AskClusterBytes(const std::string& folder)
{
    std::vector<char> root(folder.size() + 2, '\0');
    if (!GetVolumePathNameA(folder.c_str(), root.data(), static_cast<DWORD>(root.size()))) {
        LogFailure("GetVolumePathNameA", folder, GetLastError());
        return 0;
    }
    DWORD sectors_per_cluster = 0, bytes_per_sector = 0, free_clusters = 0, clusters = 0;
    if (!GetDiskFreeSpaceA(root.data(), &sectors_per_cluster, &bytes_per_sector, &free_clusters, &clusters)) {
        LogFailure("GetDiskFreeSpaceA", root.data(), GetLastError());
        return 0;
    }
    return static_cast<std::uint64_t>(sectors_per_cluster) * bytes_per_sector;
}

// A run asks of one folder for every file; its clusters do not change, and
// a volume that cannot tell is asked (and logged) once.
std::uint64_t ClusterBytes(const std::string& folder)
{
    static bool asked = false;
    static std::string asked_folder;
    static std::uint64_t cluster_bytes = 0;
    if (!asked || folder != asked_folder) {
        cluster_bytes = AskClusterBytes(folder);
        asked_folder = folder;
        asked = true;
    }
    return cluster_bytes;
}

// The last reading of the free space, and what the files asked for since.
struct Reading {
    std::string folder;
    std::uint64_t free_bytes = 0;
    std::uint64_t promised = 0;
    DWORD tick = 0;
};

const DWORD kReadingLifeMs = 1000;
Reading g_reading;

// The free bytes of a recent reading of `folder` less what was promised
// since, or 0 without one.
std::uint64_t RecentlyFree(const std::string& folder)
{
    if (g_reading.folder != folder || GetTickCount() - g_reading.tick >= kReadingLifeMs)
        return 0;
    return g_reading.free_bytes > g_reading.promised ? g_reading.free_bytes - g_reading.promised : 0;
}

} // namespace

bool QueryVolumeSpace(const std::string& folder, VolumeSpace& space)
{
    ULARGE_INTEGER available;
    if (!GetDiskFreeSpaceExA(folder.c_str(), &available, nullptr, nullptr)) {
        LogFailure("GetDiskFreeSpaceExA", folder, GetLastError());
        g_reading = Reading();
        return false;
    }
    space.free_bytes = available.QuadPart;
    space.cluster_bytes = ClusterBytes(folder);
    g_reading = Reading{folder, space.free_bytes, 0, GetTickCount()};
    return true;
}

bool QueryVolumeSpaceFor(const std::string& folder, std::uint64_t bytes, VolumeSpace& space)
{
    const std::uint64_t cluster_bytes = ClusterBytes(folder);
    const std::uint64_t on_disk = disk_space::OnDisk(bytes, cluster_bytes);
    const std::uint64_t free_bytes = RecentlyFree(folder);
    if (free_bytes / 2 >= disk_space::Needed(on_disk)) {
        space.free_bytes = free_bytes;
        space.cluster_bytes = cluster_bytes;
    } else if (!QueryVolumeSpace(folder, space)) {
        return false;
    }
    g_reading.promised = disk_space::SaturatingAdd(g_reading.promised, on_disk);
    return true;
}
