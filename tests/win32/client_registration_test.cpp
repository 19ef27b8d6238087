#include "install/client_registration.h"

#include "base/unique_handle.h"
#include "services/pending_deletions.h"
#include "services/text.h"
#include "store/ini_file.h"
#include "store/registry_key.h"
#include "test_files.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>

namespace {

const char kBrand[] = "Registration Test Casino";

const IniFile& Manifest()
{
    static IniFile manifest;
    manifest.Parse("[GENERAL]\nBRAND_NAME=Registration Test Casino\n[URLS]\nURL_1=/f/casino.exe\nURL_2=/f/a.dat,Data\n");
    return manifest;
}

bool IsPending(const std::string& path)
{
    const std::vector<std::string> pending = PendingDeletions();
    return std::any_of(pending.begin(), pending.end(),
                       [&path](const std::string& p) { return AsciiUpper(p) == AsciiUpper(path); });
}

// Takes out the deletions a test left at the restart below `dir`.
void ForgetPendingIn(const std::string& dir)
{
    CancelPendingDeletions([&dir](const std::string& path) { return AsciiUpper(path).find(AsciiUpper(dir)) == 0; });
}

} // namespace

TEST(UninstallRecordOnDisk, AFolderTheRunCreatesIsRecordedAtOnce)
{
    const std::string dir = ScratchFolder("record") + "\\Casino";
    const RegistrationStart first = StartRegistration(dir, kBrand, Manifest());
    EXPECT_TRUE(first.record.created);
    CreateDirectoryA(dir.c_str(), nullptr);
    KeepCreatedFolder(dir, first);
    UninstallRecord read;
    ASSERT_TRUE(ReadUninstallRecord(dir, read));
    EXPECT_TRUE(read.created);

    // A run that failed after that: the next one still knows.
    EXPECT_TRUE(StartRegistration(dir, kBrand, Manifest()).record.created);
    UninstallRecord listed = first.record;
    AddRecordedFile(listed, "casino.exe");
    WriteWhole(dir + "\\uninstall.ini", FormatUninstallRecord(listed));
    KeepCreatedFolder(dir, first);
    ASSERT_TRUE(ReadUninstallRecord(dir, read));
    EXPECT_EQ(read.files, std::vector<std::string>{"casino.exe"});
}

TEST(UninstallRecordOnDisk, AFolderThatWasThereWithoutARecordIsNotTheRunsOwn)
{
    const std::string dir = ScratchFolder("record");
    WriteWhole(dir + "\\casino.exe", "theirs");
    const RegistrationStart start = StartRegistration(dir, kBrand, Manifest());
    EXPECT_FALSE(start.record.created);
    EXPECT_FALSE(start.foreign_folder);
    // Kept from before the first run: never this installer's to remove.
    EXPECT_EQ(start.there_before, std::set<std::string>{"CASINO.EXE"});
    KeepCreatedFolder(dir, start);
    EXPECT_FALSE(PathExists(dir + "\\uninstall.ini"));
    WriteWhole(dir + "\\uninstall.ini", "[UNINSTALL]\nCREATED=maybe\n");
    EXPECT_FALSE(StartRegistration(dir, kBrand, Manifest()).record.created);
    UninstallRecord read;
    EXPECT_FALSE(ReadUninstallRecord(dir, read));
}

TEST(UninstallRecordOnDisk, AnotherProgramsUninstallerMakesTheFolderForeign)
{
    for (const char* theirs : {"\\uninstall.exe", "\\UNINSTALL.INI"}) {
        const std::string dir = ScratchFolder("foreign");
        WriteWhole(dir + theirs, "theirs");
        EXPECT_TRUE(StartRegistration(dir, kBrand, Manifest()).foreign_folder) << theirs;
    }
}

TEST(UninstallRecordOnDisk, TheBrandsKeyIsNotedAsItWasBeforeTheFirstRun)
{
    DeleteSoftwareKey(kBrand);
    const std::string dir = ScratchFolder("key") + "\\Casino";
    EXPECT_FALSE(StartRegistration(dir, kBrand, Manifest()).record.key_existed);
    RegistryKey(true, kBrand).SetString("theirs", "value", true);
    EXPECT_TRUE(StartRegistration(dir, kBrand, Manifest()).record.key_existed);
    DeleteSoftwareKey(kBrand);
}

// An uninstall leaves the folder and what is in it to the next restart; a
// reinstall before it takes the folder for its own again and takes out the
// deletions that would remove what it places, as Windows keeps them.
TEST(UninstallRecordOnDisk, AFolderAnUninstallLeftToTheRestartCountsAsCreated)
{
    const std::string dir = ScratchFolder("leftover");
    WriteWhole(dir + "\\uninstall.exe", "old uninstaller");
    WriteWhole(dir + "\\uninstall-0001.old", "moved uninstaller");
    for (const std::string& path : {dir + "\\uninstall.exe", dir + "\\uninstall-0001.old", dir})
        ASSERT_TRUE(MoveFileExA(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) << path;
    ASSERT_TRUE(IsPending(dir + "\\uninstall.exe"));

    const RegistrationStart start = StartRegistration(dir, kBrand, Manifest());
    EXPECT_TRUE(start.record.created);
    EXPECT_FALSE(start.foreign_folder);
    // Until the run makes the folder its own it may still stop: the
    // deletions the uninstall left stay until then.
    EXPECT_TRUE(IsPending(dir));
    EXPECT_TRUE(IsPending(dir + "\\uninstall.exe"));
    KeepCreatedFolder(dir, start);
    EXPECT_FALSE(IsPending(dir + "\\uninstall.exe"));
    EXPECT_FALSE(IsPending(dir));
    EXPECT_TRUE(IsPending(dir + "\\uninstall-0001.old"));
    ForgetPendingIn(dir);
}

TEST(UninstallRecordOnDisk, AFolderWithAFileNotPendingIsNoLeftover)
{
    const std::string dir = ScratchFolder("leftover");
    WriteWhole(dir + "\\uninstall-0002.old", "moved uninstaller");
    WriteWhole(dir + "\\theirs.txt", "theirs");
    for (const std::string& path : {dir + "\\uninstall-0002.old", dir})
        ASSERT_TRUE(MoveFileExA(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) << path;
    EXPECT_FALSE(StartRegistration(dir, kBrand, Manifest()).record.created);
    ForgetPendingIn(dir);
}

// U+FF0E, a full-width full stop, best-fits to "." in the code page: a file
// of that name beside the moved uninstaller is not the uninstaller's, and
// the folder is not a leftover.
TEST(UninstallRecordOnDisk, ALookAlikeOfAPendingNameIsNoLeftover)
{
    const std::string dir = ScratchFolder("leftover");
    WriteWhole(dir + "\\uninstall-0003.old", "moved uninstaller");
    FileHandle theirs(CreateFileW((Wide(dir) + L"\\uninstall-0003\xff0eold").c_str(), GENERIC_WRITE, 0, nullptr,
                                  CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(theirs.Valid());
    theirs.Reset();
    for (const std::string& path : {dir + "\\uninstall-0003.old", dir})
        ASSERT_TRUE(MoveFileExA(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) << path;
    EXPECT_FALSE(StartRegistration(dir, kBrand, Manifest()).record.created);
    ForgetPendingIn(dir);
}

// The second run reads the record of the first: a file that was in the
// folder before the first run, and that the first left out, stays out.
TEST(UninstallRecordOnDisk, AFileThatWasThereBeforeTheFirstRunStaysUnlisted)
{
    const std::string dir = ScratchFolder("rerun");
    CreateDirectoryA((dir + "\\Data").c_str(), nullptr);
    WriteWhole(dir + "\\casino.exe", "theirs");
    WriteWhole(dir + "\\Data\\a.dat", "placed by the first run");
    WriteWhole(dir + "\\uninstall.ini", "[UNINSTALL]\nCREATED=0\n[FILES]\nFILE_1=data/A.DAT\n");
    const RegistrationStart start = StartRegistration(dir, kBrand, Manifest());
    EXPECT_FALSE(start.record.created);
    EXPECT_EQ(start.there_before, std::set<std::string>{"CASINO.EXE"});
}

// Another program's uninstaller, left to the restart in a folder that holds
// more: none of ours is placed there, so its deletion is not ours to take.
TEST(UninstallRecordOnDisk, AForeignUninstallersDeletionStays)
{
    const std::string dir = ScratchFolder("foreign");
    WriteWhole(dir + "\\uninstall.exe", "their uninstaller");
    WriteWhole(dir + "\\theirs.txt", "theirs");
    ASSERT_TRUE(MoveFileExA((dir + "\\uninstall.exe").c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT));
    const RegistrationStart start = StartRegistration(dir, kBrand, Manifest());
    EXPECT_TRUE(start.foreign_folder);
    KeepCreatedFolder(dir, start);
    EXPECT_TRUE(IsPending(dir + "\\uninstall.exe"));
    ForgetPendingIn(dir);
}
