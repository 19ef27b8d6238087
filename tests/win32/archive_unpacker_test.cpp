#include "services/archive_unpacker.h"
#include "services/sha256_hash.h"

#include "box_answering.h"
#include "test_files.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

const std::string kArchives = TEST_ARCHIVE_DIR;

// An install folder holding one archive and, when given, a library as
// "Extract.dll".
struct InstallFolder {
    InstallFolder(const std::string& archive, const std::string& archive_name,
                  const std::string& library)
        : path(ScratchFolder("unpack")), archive_path(path + "\\" + archive_name)
    {
        CopyInto(archive, archive_path);
        if (!library.empty())
            CopyInto(library, path + "\\Extract.dll");
    }
    std::string path;
    std::string archive_path;
};

const std::string kRealLibrary = TEST_PRODUCT_DIR "/Extract.dll";

std::vector<std::string> Unpack(const OwnerWindow& owner, const InstallFolder& folder)
{
    return RunAnsweringBoxes(owner.Get(), [&] {
        UnpackArchive(folder.archive_path, folder.path, folder.path);
    });
}

} // namespace

TEST(UnpackArchive, UnpacksIntoTheFolderAndDeletesTheArchive)
{
    OwnerWindow owner;
    InstallFolder folder(kArchives + "/lzma.7z", "sounds.7z", kRealLibrary);
    EXPECT_TRUE(Unpack(owner, folder).empty());
    EXPECT_FALSE(PathExists(folder.archive_path));
    EXPECT_EQ(ReadWhole(Wide(folder.path + "\\data\\blob.bin")),
              ReadWhole(Wide(kArchives + "/tree/data/blob.bin")));
}

TEST(UnpackArchive, DeletesAReadOnlyArchiveToo)
{
    OwnerWindow owner;
    InstallFolder folder(kArchives + "/copy.7z", "pack.7z", kRealLibrary);
    SetFileAttributesA(folder.archive_path.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(Unpack(owner, folder).empty());
    EXPECT_FALSE(PathExists(folder.archive_path));
    EXPECT_TRUE(PathExists(folder.path + "\\readme.txt"));
}

TEST(UnpackArchive, LeavesOtherFilesAlone)
{
    OwnerWindow owner;
    for (const char* name : {"sounds.7Z", "table.wav", "pack.gz", "x.7z.bak"}) {
        InstallFolder folder(kArchives + "/lzma.7z", name, "");
        EXPECT_TRUE(Unpack(owner, folder).empty()) << name;
        EXPECT_TRUE(PathExists(folder.archive_path)) << name;
        EXPECT_FALSE(PathExists(folder.path + "\\readme.txt")) << name;
    }
}

// The boxes are the design's; the log names the call, the library and the
// error code.
TEST(UnpackArchive, ReportsAMissingLibraryOrExport)
{
    OwnerWindow owner;
    InstallFolder without(kArchives + "/lzma.7z", "sounds.7z", "");
    testing::internal::CaptureStdout();
    EXPECT_EQ(Unpack(owner, without), std::vector<std::string>{"Can't load Extract dll"});
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("LoadLibraryA \"" + without.path + "/Extract.dll\" failed: 126"), std::string::npos) << log;
    EXPECT_TRUE(PathExists(without.archive_path));

    InstallFolder no_export(kArchives + "/lzma.7z", "sounds.7z",
                            TestProgramFolder() + "no_export.dll");
    testing::internal::CaptureStdout();
    EXPECT_EQ(Unpack(owner, no_export),
              std::vector<std::string>{"Can't find ExtractArchive function"});
    const std::string lookup = testing::internal::GetCapturedStdout();
    EXPECT_NE(lookup.find("GetProcAddress \"" + no_export.path + "/Extract.dll!ExtractArchive\" failed: 127"),
              std::string::npos)
        << lookup;
    EXPECT_TRUE(PathExists(no_export.archive_path));
}

TEST(UnpackArchive, ShowsThePathAndTheLibrarysMessageOnFailure)
{
    OwnerWindow owner;
    InstallFolder corrupt(kArchives + "/corrupt.7z", "sounds.7z", kRealLibrary);
    const std::vector<std::string> texts = Unpack(owner, corrupt);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].rfind(corrupt.archive_path + "\nError:", 0), 0u) << texts[0];
    EXPECT_GT(texts[0].size(), corrupt.archive_path.size() + 7);
    EXPECT_TRUE(PathExists(corrupt.archive_path));

    InstallFolder silent(kArchives + "/lzma.7z", "sounds.7z",
                         TestProgramFolder() + "failing_extract.dll");
    EXPECT_EQ(Unpack(owner, silent), std::vector<std::string>{silent.archive_path + "\nError:"});
}

// A library in place is loaded only when it matches its entry's hash.
TEST(UnpackArchive, LoadsTheLibraryOnlyWhenItMatchesItsEntrysHash)
{
    OwnerWindow owner;
    std::string real_hash;
    ASSERT_TRUE(HashFile(kRealLibrary, real_hash));
    InstallFolder matching(kArchives + "/lzma.7z", "sounds.7z", kRealLibrary);
    EXPECT_TRUE(RunAnsweringBoxes(owner.Get(), [&] {
                    UnpackArchive(matching.archive_path, matching.path, matching.path, real_hash);
                }).empty());
    EXPECT_TRUE(PathExists(matching.path + "\\data\\blob.bin"));

    InstallFolder planted(kArchives + "/lzma.7z", "sounds.7z", kRealLibrary);
    testing::internal::CaptureStdout();
    EXPECT_EQ(RunAnsweringBoxes(owner.Get(),
                                [&] {
                                    UnpackArchive(planted.archive_path, planted.path, planted.path,
                                                  std::string(64, 'a'));
                                }),
              std::vector<std::string>{"Can't load Extract dll"});
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("Checksum mismatch: " + planted.path + "/Extract.dll"), std::string::npos) << log;
    EXPECT_TRUE(PathExists(planted.archive_path));
    EXPECT_FALSE(PathExists(planted.path + "\\data\\blob.bin"));
}
