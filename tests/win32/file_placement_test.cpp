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

namespace {

// Holds a file open without sharing it, as another program may, and lets go
// after `ms`.
struct Holder {
    Holder(const std::string& path, DWORD ms) : ms_wait(ms)
    {
        mh_file = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        mh_thread = CreateThread(nullptr, 0, LetGo, this, 0, nullptr);
    }
    ~Holder()
    {
        WaitForSingleObject(mh_thread, INFINITE);
        CloseHandle(mh_thread);
    }
    static DWORD WINAPI LetGo(void* self)
    {
        Holder* holder = static_cast<Holder*>(self);
        Sleep(holder->ms_wait);
        CloseHandle(holder->mh_file);
        return 0;
    }
    DWORD ms_wait;
    HANDLE mh_file = INVALID_HANDLE_VALUE;
    HANDLE mh_thread = nullptr;
};

} // namespace

TEST(FilePlacement, AHeldTargetIsReplacedOnceItsHolderLetsGo)
{
    const std::string folder = ScratchFolder("placement");
    const std::string target = folder + "\\game.dat";
    WriteWhole(target, "old");
    WriteWhole(target + ".part", "new");
    {
        Holder holder(target, 1500);
        ASSERT_NE(holder.mh_file, INVALID_HANDLE_VALUE);
        EXPECT_EQ(MoveIntoPlaceWhenFree(target + ".part", target), Placement::kPlaced);
    }
    EXPECT_EQ(ReadWhole(Wide(target)), "new");
    EXPECT_FALSE(PathExists(target + ".part"));
}

// A folder in the file's place is no holder (a held one would end kHeld).
TEST(FilePlacement, WhatNoHolderCausesFailsWithoutWaiting)
{
    const std::string folder = ScratchFolder("placement");
    const std::string target = folder + "\\taken";
    CreateDirectoryA(target.c_str(), nullptr);
    WriteWhole(target + ".part", "new");
    EXPECT_EQ(MoveIntoPlaceWhenFree(target + ".part", target), Placement::kFailed);
    EXPECT_EQ(ReadWhole(Wide(target + ".part")), "new");
}
