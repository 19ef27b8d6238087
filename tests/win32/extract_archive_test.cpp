// Extract.dll against archives that tests/win32/make_archives.py packed with
// Debian's 7zz from the folder "tree".
#include "test_files.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>

namespace {

typedef int(__stdcall* ExtractArchiveFunction)(const char*, const char*, char*);

const std::string kArchives = TEST_ARCHIVE_DIR;

class ExtractArchiveTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        library = LoadLibraryA(TEST_PRODUCT_DIR "/Extract.dll");
        extract = reinterpret_cast<ExtractArchiveFunction>(
            reinterpret_cast<void*>(GetProcAddress(library, "ExtractArchive")));
    }

    void SetUp() override { ASSERT_NE(extract, nullptr) << "Extract.dll or its export is missing"; }

    // Extracts into `destination`; returns the result and leaves the message.
    int Extract(const std::string& archive, const std::string& destination)
    {
        std::memset(error, 0, sizeof error);
        return extract(archive.c_str(), destination.c_str(), error);
    }

    static HMODULE library;
    static ExtractArchiveFunction extract;
    char error[400];
};

HMODULE ExtractArchiveTest::library = nullptr;
ExtractArchiveFunction ExtractArchiveTest::extract = nullptr;

FILETIME LastWriteTime(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
}

bool HasPartialFiles(const std::wstring& root)
{
    for (const auto& entry : ReadTree(root)) {
        if (entry.first.find(L".part") != std::wstring::npos)
            return true;
    }
    return false;
}

} // namespace

TEST_F(ExtractArchiveTest, EveryMethodGivesTheTreeByteForByte)
{
    const auto expected = ReadTree(Wide(kArchives + "/tree"));
    ASSERT_EQ(expected.count(L"empty_folder"), 1u);
    ASSERT_EQ(expected.count(L"\xdc" L"n\xef" L"c\xf8" L"d\xe9 \xf1" L"ame.txt"), 1u);
    for (const char* method : {"lzma", "lzma2", "ppmd", "bcj", "bcj2", "delta", "copy"}) {
        const std::string destination = ScratchFolder(method);
        ASSERT_EQ(Extract(kArchives + "/" + method + ".7z", destination), 0) << method << ": " << error;
        EXPECT_STREQ(error, "");
        EXPECT_TRUE(ReadTree(Wide(destination)) == expected) << method;
    }
}

TEST_F(ExtractArchiveTest, KeepsFileTimesAndCreatesMissingParents)
{
    const std::string destination = ScratchFolder("times") + "\\a\\b\\c";
    ASSERT_EQ(Extract(kArchives + "/lzma2.7z", destination + "\\"), 0) << error;
    const FILETIME original = LastWriteTime(Wide(kArchives + "/tree/readme.txt"));
    const FILETIME extracted = LastWriteTime(Wide(destination + "\\readme.txt"));
    EXPECT_EQ(CompareFileTime(&original, &extracted), 0);
}

TEST_F(ExtractArchiveTest, ReplacesExistingAndReadOnlyFiles)
{
    const std::string destination = ScratchFolder("replace");
    WriteWhole(destination + "\\readme.txt", "old");
    SetFileAttributesA((destination + "\\readme.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    ASSERT_EQ(Extract(kArchives + "/copy.7z", destination), 0) << error;
    EXPECT_EQ(ReadWhole(Wide(destination + "\\readme.txt")),
              ReadWhole(Wide(kArchives + "/tree/readme.txt")));
}

// A folder where the archive has a file: no move replaces it, and it keeps
// what it had.
TEST_F(ExtractArchiveTest, ACopyThatCannotBeReplacedKeepsItsAttributes)
{
    const std::string destination = ScratchFolder("kept");
    const std::string target = destination + "\\readme.txt";
    ASSERT_TRUE(CreateDirectoryA(target.c_str(), nullptr));
    ASSERT_TRUE(SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_HIDDEN));
    const DWORD before = GetFileAttributesA(target.c_str());
    EXPECT_NE(Extract(kArchives + "/copy.7z", destination), 0);
    EXPECT_NE(std::strstr(error, "cannot replace readme.txt"), nullptr) << error;
    EXPECT_EQ(GetFileAttributesA(target.c_str()), before);
    EXPECT_FALSE(HasPartialFiles(Wide(destination)));
}

TEST_F(ExtractArchiveTest, DamagedArchivesFailWithAMessageAndNoPartialFiles)
{
    for (const char* name : {"corrupt.7z", "truncated.7z", "missing.7z"}) {
        const std::string destination = ScratchFolder("damaged");
        EXPECT_NE(Extract(kArchives + "/" + name, destination), 0) << name;
        EXPECT_GT(std::strlen(error), 0u) << name;
        EXPECT_FALSE(PathExists(destination + "\\data\\blob.bin")) << name;
        EXPECT_FALSE(HasPartialFiles(Wide(destination))) << name;
    }
}

TEST_F(ExtractArchiveTest, RefusesEntriesOutsideTheDestination)
{
    for (const char* name : {"escape.7z", "absolute.7z", "drive.7z"}) {
        const std::string parent = ScratchFolder("unsafe");
        const std::string destination = parent + "\\inside";
        EXPECT_NE(Extract(kArchives + "/" + name, destination), 0) << name;
        EXPECT_NE(std::strstr(error, "refused"), nullptr) << name << ": " << error;
        EXPECT_FALSE(PathExists(parent + "\\evil.txt")) << name;
        EXPECT_FALSE(PathExists("C:\\evil.txt")) << name;
        EXPECT_FALSE(PathExists(destination + "\\evil.txt")) << name;
    }
}

// A device name writes to a device; the name of a staged file could stand
// in for bytes the installer is still checking.
TEST_F(ExtractArchiveTest, RefusesEntriesThatNameADeviceAStagedFileOrTheUninstallersBeforeWritingAnything)
{
    for (const char* name : {"device.7z", "devfolder.7z", "dotted.7z", "staged.7z", "uninstaller.7z"}) {
        const std::string destination = ScratchFolder("devices");
        EXPECT_NE(Extract(kArchives + "/" + name, destination), 0) << name;
        EXPECT_NE(std::strstr(error, "refused"), nullptr) << name << ": " << error;
        EXPECT_TRUE(ReadTree(Wide(destination)).empty()) << name;
    }
}

// The installer and the uninstaller meet entry names through the ANSI
// functions: "..", U+FF3C, ".." comes back from them as "..\..", a Japanese
// name under code page 1252 as "???". Such an entry is refused whole.
TEST_F(ExtractArchiveTest, RefusesNamesTheCodePageCannotSpellExactly)
{
    for (const char* name : {"fullwidth.7z", "setminus.7z", "smallsolidus.7z", "outside.7z"}) {
        const std::string parent = ScratchFolder("lookalike");
        const std::string destination = parent + "\\a\\inside";
        CreateDirectoryA((parent + "\\victim").c_str(), nullptr);
        EXPECT_NE(Extract(kArchives + "/" + name, destination), 0) << name;
        EXPECT_NE(std::strstr(error, "refused"), nullptr) << name << ": " << error;
        EXPECT_FALSE(PathExists(destination)) << name;
        EXPECT_TRUE(ReadTree(Wide(parent + "\\victim")).empty()) << name;
    }
}

TEST_F(ExtractArchiveTest, RefusesWhatWouldExhaustMemoryOrDiskBeforeWritingAnything)
{
    const struct {
        const char* archive;
        std::string destination;
    } cases[] = {
        {"bigblock.7z", ScratchFolder("big") + "\\inside"},
        {"bigmodel.7z", ScratchFolder("model") + "\\inside"},
        {"crowded.7z", ScratchFolder("crowded") + "\\inside"},
        {"filler.7z", TEST_SMALL_DISK "\\inside"},
        // Fits by its bytes, not by its clusters and the margin.
        {"confetti.7z", TEST_SMALL_DISK "\\inside"},
    };
    for (const auto& refused : cases) {
        EXPECT_NE(Extract(kArchives + "/" + refused.archive, refused.destination), 0) << refused.archive;
        EXPECT_NE(std::strstr(error, "refused"), nullptr) << refused.archive << ": " << error;
        EXPECT_FALSE(PathExists(refused.destination)) << refused.archive;
    }
    const std::string roomy = ScratchFolder("roomy");
    EXPECT_EQ(Extract(kArchives + "/filler.7z", roomy), 0) << error;
    EXPECT_EQ(Extract(kArchives + "/confetti.7z", ScratchFolder("confetti")), 0) << error;
}

// A header of a few kilobytes may declare millions of entries, which the
// decoder would take hundreds of MiB for before the entry count is checked.
TEST_F(ExtractArchiveTest, RefusesAHeaderThatWouldTakeMoreMemoryThanAnyAdmissibleOne)
{
    const std::string destination = ScratchFolder("swarm") + "\\inside";
    EXPECT_NE(Extract(kArchives + "/swarm.7z", destination), 0);
    EXPECT_NE(std::strstr(error, "out of memory"), nullptr) << error;
    EXPECT_FALSE(PathExists(destination));
}

TEST_F(ExtractArchiveTest, LongMessagesAreCutTo399Characters)
{
    const std::string missing = kArchives + "/" + std::string(600, 'x') + ".7z";
    EXPECT_NE(Extract(missing, ScratchFolder("long")), 0);
    EXPECT_EQ(std::strlen(error), 399u);
}
