#include "services/folder_tree.h"

#include "base/unique_handle.h"
#include "services/text.h"
#include "test_files.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace {

// A client folder: files at the top and two levels down, one of them
// read-only as archives leave theirs, in a read-only sub-folder.
std::string ClientFolder()
{
    const std::string folder = ScratchFolder("tree");
    CreateDirectoryA((folder + "\\Games").c_str(), nullptr);
    CreateDirectoryA((folder + "\\Games\\Tables").c_str(), nullptr);
    CreateDirectoryA((folder + "\\Empty").c_str(), nullptr);
    WriteWhole(folder + "\\casino.exe", std::string(1000, 'c'));
    WriteWhole(folder + "\\uninstall.exe", std::string(300, 'u'));
    WriteWhole(folder + "\\Games\\roulette.dll", std::string(2000, 'r'));
    WriteWhole(folder + "\\Games\\Tables\\blackjack.png", std::string(25, 'b'));
    SetFileAttributesA((folder + "\\Games\\Tables\\blackjack.png").c_str(),
                       FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesA((folder + "\\Games\\Tables").c_str(), FILE_ATTRIBUTE_READONLY);
    return folder;
}

std::vector<std::string> Listing(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : ReadTree(Wide(folder)))
        names.push_back(std::string(entry.first.begin(), entry.first.end()));
    return names;
}

} // namespace

TEST(FolderTree, BytesOfEveryFileBelow)
{
    const std::string folder = ClientFolder();
    EXPECT_EQ(FolderTreeBytes(folder), 3325u);
    EXPECT_EQ(FolderTreeBytes(folder + "\\Empty"), 0u);
    EXPECT_EQ(FolderTreeBytes(folder + "\\missing"), 0u);
}

TEST(FolderTree, EmptiedButForTheKeptFileReadOnlyOnesToo)
{
    const std::string folder = ClientFolder();
    std::vector<std::string> left;
    EmptyFolder(folder, AsciiUpper(folder + "\\uninstall.exe"), left);
    EXPECT_TRUE(left.empty()) << left.front();
    EXPECT_EQ(Listing(folder), std::vector<std::string>{"uninstall.exe"});
}

TEST(FolderTree, WhatCannotGoIsNamedOnceAndTheRestGoes)
{
    const std::string folder = ClientFolder();
    const std::string held = folder + "\\Games\\roulette.dll";
    FileHandle open(CreateFileA(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(open.Valid());
    std::vector<std::string> left;
    EmptyFolder(folder, folder + "\\uninstall.exe", left);
    EXPECT_EQ(left, std::vector<std::string>{held});
    EXPECT_EQ(Listing(folder), (std::vector<std::string>{"Games", "Games\\roulette.dll", "uninstall.exe"}));
}

TEST(FolderTree, RemovingWhatIsNotThereIsNoFailure)
{
    const std::string folder = ScratchFolder("gone");
    EXPECT_TRUE(RemoveFile(folder + "\\missing.txt"));
    EXPECT_TRUE(RemoveFile(folder + "\\missing\\x.txt"));
    EXPECT_TRUE(RemoveEmptyFolder(folder + "\\missing"));
    WriteWhole(folder + "\\a.txt", "a");
    EXPECT_FALSE(RemoveEmptyFolder(folder));
    EXPECT_TRUE(RemoveFile(folder + "\\a.txt"));
    EXPECT_TRUE(RemoveEmptyFolder(folder));
    EXPECT_FALSE(PathExists(folder));
}

// "..", U+FF3C, "..", U+FF3C, "victim" is one name to the wide functions; the
// ANSI ones best-fit it to "..\..\victim", which led the walk two folders up.
// Measured and emptied, the folder is left with the victim beside it whole.
TEST(FolderTree, ANameThatBestFitsToASeparatorNeverLeadsOut)
{
    const std::string top = ScratchFolder("climb");
    const std::string folder = top + "\\a\\client";
    CreateDirectoryA((top + "\\a").c_str(), nullptr);
    CreateDirectoryA(folder.c_str(), nullptr);
    CreateDirectoryA((top + "\\victim").c_str(), nullptr);
    WriteWhole(top + "\\victim\\keep.txt", "keep");
    const std::wstring look_alike = Wide(folder) + L"\\..\xff3c..\xff3cvictim";
    ASSERT_TRUE(CreateDirectoryW(look_alike.c_str(), nullptr));
    FileHandle inside(CreateFileW((look_alike + L"\\x.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(inside.Valid());
    DWORD written = 0;
    WriteFile(inside.Get(), "twelve bytes", 12, &written, nullptr);
    inside.Reset();

    EXPECT_EQ(FolderTreeBytes(folder), 12u);
    std::vector<std::string> left;
    EmptyFolder(folder, folder + "\\uninstall.exe", left);
    EXPECT_TRUE(left.empty()) << left.front();
    EXPECT_TRUE(ReadTree(Wide(folder)).empty());
    EXPECT_EQ(ReadWhole(Wide(top + "\\victim\\keep.txt")), "keep");
}
