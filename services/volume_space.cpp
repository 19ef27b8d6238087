#include "services/volume_space.h"

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

// A run asks of one folder for every file; its clusters do not change.
std::uint64_t ClusterBytes(const std::string& folder)
{
    static std::string asked_folder;
    static std::uint64_t cluster_bytes = 0;
    if (cluster_bytes == 0 || folder != asked_folder) {
        cluster_bytes = AskClusterBytes(folder);
        asked_folder = folder;
    }
    return cluster_bytes;
}

} // namespace

bool QueryVolumeSpace(const std::string& folder, VolumeSpace& space)
{
    ULARGE_INTEGER available;
    if (!GetDiskFreeSpaceExA(folder.c_str(), &available, nullptr, nullptr)) {
        LogFailure("GetDiskFreeSpaceExA", folder, GetLastError());
        return false;
    }
    space.free_bytes = available.QuadPart;
    space.cluster_bytes = ClusterBytes(folder);
    return true;
}
