#include "services/install_folders.h"
#include "test_files.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

void CreateDeepDirectoryW(const std::string& path)
{
    const std::wstring wide = L"\\\\?\\" + std::wstring(path.begin(), path.end());
    ASSERT_TRUE(CreateDirectoryW(wide.c_str(), nullptr)) << GetLastError();
}

} // namespace

TEST(MakeInstallDirectory, CreatesTheBrandFolderUnderProgramFiles)
{
    std::string install_dir = "stale";
    MakeInstallDirectory("Karvelo Casino", install_dir);
    EXPECT_EQ(install_dir, "C:\\Program Files\\Karvelo Casino");
    EXPECT_TRUE(DirectoryExists(install_dir.c_str()));

    MakeInstallDirectory("Karvelo Casino", install_dir);
    EXPECT_EQ(install_dir, "C:\\Program Files\\Karvelo Casino");
}

TEST(MakeInstallDirectory, EmptyNameGivesProgramFilesWithOneBackslash)
{
    std::string install_dir;
    MakeInstallDirectory("", install_dir);
    EXPECT_EQ(install_dir, "C:\\Program Files\\");
}

TEST(MakeInstallDirectory, CreatesOnlyTheLastLevel)
{
    std::string install_dir;
    MakeInstallDirectory("No Such Parent\\Casino", install_dir);
    EXPECT_EQ(install_dir, "C:\\Program Files\\No Such Parent\\Casino");
    EXPECT_FALSE(DirectoryExists("C:\\Program Files\\No Such Parent"));
}

TEST(UsableProgramFilesFolder, DropsOneTrailingBackslashAndFallsBack)
{
    EXPECT_EQ(UsableProgramFilesFolder("C:\\Program Files\\"), "C:\\Program Files");
    EXPECT_EQ(UsableProgramFilesFolder("D:\\Apps"), "D:\\Apps");
    EXPECT_EQ(UsableProgramFilesFolder(""), "c:\\Program Files");
}

TEST(DirectoryExists, TrueOnlyForExistingDirectories)
{
    const std::string folder = ScratchFolder("exists");
    const std::string file = folder + "\\file.txt";
    CloseHandle(CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    EXPECT_TRUE(DirectoryExists(folder.c_str()));
    EXPECT_TRUE(DirectoryExists((folder + "\\").c_str()));
    EXPECT_FALSE(DirectoryExists(file.c_str()));
    EXPECT_FALSE(DirectoryExists((folder + "\\missing").c_str()));
    EXPECT_FALSE(DirectoryExists(""));
}

TEST(DirectoryExists, PathsOverMaxPathAreNeverAsked)
{
    const std::string folder = ScratchFolder("long");
    const std::string at_limit = folder + "\\" + std::string(MAX_PATH - folder.size() - 1, 'a');
    const std::string over_limit = folder + "\\" + std::string(MAX_PATH - folder.size(), 'b');
    ASSERT_EQ(at_limit.size(), 260u);
    ASSERT_EQ(over_limit.size(), 261u);
    CreateDeepDirectoryW(at_limit);
    CreateDeepDirectoryW(over_limit);

    EXPECT_TRUE(DirectoryExists(at_limit.c_str()));
    EXPECT_FALSE(DirectoryExists(over_limit.c_str()));
}

TEST(CreateDirectories, CreatesEachLevelBelowTheBase)
{
    const std::string base = ScratchFolder("chain");
    CreateDirectories(base, "sounds\\fx");
    EXPECT_TRUE(DirectoryExists((base + "\\sounds").c_str()));
    EXPECT_TRUE(DirectoryExists((base + "\\sounds\\fx").c_str()));

    CreateDirectories(base, "sounds\\fx\\deeper");
    EXPECT_TRUE(DirectoryExists((base + "\\sounds\\fx\\deeper").c_str()));

    // Slashes separate too, as the manifest rules take them.
    CreateDirectories(base, "music/loops//slow");
    EXPECT_TRUE(DirectoryExists((base + "\\music\\loops\\slow").c_str()));
}

TEST(CreateDirectories, EmptyRelativePathCreatesNothing)
{
    const std::string parent = ScratchFolder("empty");
    const std::string base = parent + "\\base";
    CreateDirectories(base, "");
    EXPECT_FALSE(PathExists(base));
}
