#include "base/disk_space.h"
#include "services/volume_space.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <windows.h>

// Each file of a run asks for its space: a recent reading serves, less what
// was promised since, and only a file that may not fit pays for a new one.
TEST(VolumeSpace, ARecentReadingServesLessWhatWasPromisedAndATightFitIsReadAgain)
{
    const std::string folder = ScratchFolder("space");
    const std::uint64_t mib = disk_space::kMiB;
    const DWORD start = GetTickCount();
    VolumeSpace fresh, first, second, tight;
    ASSERT_TRUE(QueryVolumeSpace(folder, fresh));
    ASSERT_GT(fresh.free_bytes / 2, disk_space::Needed(8 * mib)) << "the test wants a disk with room";
    ASSERT_TRUE(QueryVolumeSpaceFor(folder, mib, first));
    ASSERT_TRUE(QueryVolumeSpaceFor(folder, mib, second));
    ASSERT_TRUE(QueryVolumeSpaceFor(folder, fresh.free_bytes / 2, tight));
    if (GetTickCount() - start >= 1000)
        GTEST_SKIP() << "the machine stalled for a second: the reading aged";

    const std::uint64_t one_file = disk_space::OnDisk(mib, fresh.cluster_bytes);
    EXPECT_EQ(first.free_bytes, fresh.free_bytes);
    EXPECT_EQ(second.free_bytes, fresh.free_bytes - one_file);
    EXPECT_EQ(second.cluster_bytes, fresh.cluster_bytes);
    // Half the disk for one file: judged by what the system says now.
    EXPECT_NE(tight.free_bytes, fresh.free_bytes - 2 * one_file);
}
