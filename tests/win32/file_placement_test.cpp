#include "services/file_placement.h"

#include "test_files.h"

#include <gtest/gtest.h>
#include <windows.h>

TEST(FilePlacement, TextAndCopiesArriveWholeWithNothingStagedLeft)
{
    const std::string folder = ScratchFolder("placement");
    const std::string record = folder + "\\uninstall.ini";
    ASSERT_TRUE(PlaceText(record, "[UNINSTALL]\nCREATED=1\n"));
    EXPECT_EQ(ReadWhole(Wide(record)), "[UNINSTALL]\nCREATED=1\n");
    // A read-only target is replaced all the same.
    SetFileAttributesA(record.c_str(), FILE_ATTRIBUTE_READONLY);
    ASSERT_TRUE(PlaceText(record, "new"));
    EXPECT_EQ(ReadWhole(Wide(record)), "new");
    ASSERT_TRUE(PlaceCopy(record, folder + "\\uninstall.exe"));
    EXPECT_EQ(ReadWhole(Wide(folder + "\\uninstall.exe")), "new");
    EXPECT_FALSE(PathExists(record + ".part"));
    EXPECT_FALSE(PathExists(folder + "\\uninstall.exe.part"));
}

TEST(FilePlacement, AFailedPlacementLeavesTheTargetAsItWas)
{
    const std::string folder = ScratchFolder("placement");
    const std::string target = folder + "\\uninstall.exe";
    WriteWhole(target, "old");
    EXPECT_FALSE(PlaceCopy(folder + "\\missing.exe", target));
    EXPECT_FALSE(PlaceText(folder + "\\missing\\uninstall.ini", "x"));
    EXPECT_EQ(ReadWhole(Wide(target)), "old");
    // A folder where the file must go cannot be replaced.
    CreateDirectoryA((folder + "\\taken").c_str(), nullptr);
    EXPECT_FALSE(PlaceText(folder + "\\taken", "x"));
    EXPECT_FALSE(PathExists(folder + "\\taken.part"));
}
