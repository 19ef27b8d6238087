#include "install/client_registration.h"

#include "test_files.h"

#include <gtest/gtest.h>
#include <windows.h>

TEST(UninstallRecordOnDisk, AFolderTheRunCreatesIsRecordedAtOnce)
{
    const std::string dir = ScratchFolder("record") + "\\Casino";
    const UninstallRecord first = StartUninstallRecord(dir);
    EXPECT_TRUE(first.created);
    CreateDirectoryA(dir.c_str(), nullptr);
    KeepCreatedFolder(dir, first);
    EXPECT_EQ(ReadWhole(Wide(dir + "\\uninstall.ini")), "[UNINSTALL]\nCREATED=1\n[FILES]\n");

    // A run that failed after that: the next one still knows.
    EXPECT_TRUE(StartUninstallRecord(dir).created);
    UninstallRecord listed = first;
    AddRecordedFile(listed, "casino.exe");
    WriteWhole(dir + "\\uninstall.ini", FormatUninstallRecord(listed));
    KeepCreatedFolder(dir, first);
    UninstallRecord read;
    ASSERT_TRUE(ReadUninstallRecord(dir, read));
    EXPECT_EQ(read.files, std::vector<std::string>{"casino.exe"});
}

TEST(UninstallRecordOnDisk, AFolderThatWasThereWithoutARecordIsNotTheRunsOwn)
{
    const std::string dir = ScratchFolder("record");
    const UninstallRecord record = StartUninstallRecord(dir);
    EXPECT_FALSE(record.created);
    KeepCreatedFolder(dir, record);
    EXPECT_FALSE(PathExists(dir + "\\uninstall.ini"));
    WriteWhole(dir + "\\uninstall.ini", "[UNINSTALL]\nCREATED=maybe\n");
    EXPECT_FALSE(StartUninstallRecord(dir).created);
    UninstallRecord read;
    EXPECT_FALSE(ReadUninstallRecord(dir, read));
}
