#include "services/registry_entries.h"
#include "store/installer.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <shlwapi.h>

namespace {

const char kBrandPath[] = "Software\\RegEntries Casino";

std::string Value(const std::string& key_path, const std::string& name, DWORD* type = nullptr)
{
    char data[2048];
    DWORD size = sizeof data;
    if (SHGetValueA(HKEY_CURRENT_USER, key_path.c_str(), name.c_str(), type, data, &size)
        != ERROR_SUCCESS)
        return "<missing>";
    return std::string(data, size);
}

std::string Number(DWORD number) { return std::string(reinterpret_cast<char*>(&number), 4); }
std::string Text(const std::string& text) { return text + std::string(1, '\0'); }

} // namespace

TEST(WriteRegistryEntries, WritesEachWellFormedEntryUnderTheBrandKey)
{
    SHDeleteKeyA(HKEY_CURRENT_USER, kBrandPath);
    Installer installer;
    installer.m_manifest.Parse(
        "[GENERAL]\nBRAND_NAME=RegEntries Casino\n"
        "[REG]\nA=D:1\nB=S:x\nC=D:12abc\nN=D:-1\nE=D:\nF=S:\nG= D:5\nh=d:1\n"
        "Sub/V=D:3\n/Top=D:4\nDir/=S:default\ndeep/b/c=D:9\nP=S:C:\\x\nQ=X:1\nR=text\n");
    WriteRegistryEntries(installer);

    DWORD type = 0;
    EXPECT_EQ(Value(kBrandPath, "A", &type), Number(1));
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(Value(kBrandPath, "B", &type), Text("x"));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(Value(kBrandPath, "C"), Number(12));
    EXPECT_EQ(Value(kBrandPath, "N"), Number(0xFFFFFFFF));
    EXPECT_EQ(Value(kBrandPath, "E"), Number(0));
    EXPECT_EQ(Value(kBrandPath, "F"), Text(""));
    EXPECT_EQ(Value(kBrandPath, "Top"), Number(4));
    EXPECT_EQ(Value(kBrandPath, "deep"), Number(9));
    EXPECT_EQ(Value(std::string(kBrandPath) + "\\Sub", "V"), Number(3));
    EXPECT_EQ(Value(std::string(kBrandPath) + "\\Dir", ""), Text("default"));
    for (const char* skipped : {"G", "h", "P", "Q", "R", "Sub/V"})
        EXPECT_EQ(Value(kBrandPath, skipped), "<missing>") << skipped;
    SHDeleteKeyA(HKEY_CURRENT_USER, kBrandPath);
}

TEST(WriteRegistryEntries, OverwritesAndCreatesTheBrandKeyWithoutEntries)
{
    SHDeleteKeyA(HKEY_CURRENT_USER, kBrandPath);
    SHSetValueA(HKEY_CURRENT_USER, kBrandPath, "A", REG_SZ, "old", 4);
    Installer with_entry;
    with_entry.m_manifest.Parse("[GENERAL]\nBRAND_NAME=RegEntries Casino\n[REG]\nA=D:2\n");
    WriteRegistryEntries(with_entry);
    EXPECT_EQ(Value(kBrandPath, "A"), Number(2));

    SHDeleteKeyA(HKEY_CURRENT_USER, kBrandPath);
    Installer without_section;
    without_section.m_manifest.Parse("[GENERAL]\nBRAND_NAME=RegEntries Casino\n");
    WriteRegistryEntries(without_section);
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kBrandPath, 0, KEY_READ, &key),
              static_cast<LONG>(ERROR_SUCCESS));
    RegCloseKey(key);
    SHDeleteKeyA(HKEY_CURRENT_USER, kBrandPath);
}

TEST(WriteRegistryEntries, WithoutBrandNameEntriesLandInSoftware)
{
    Installer installer;
    installer.m_manifest.Parse("[REG]\nRegEntriesNoBrand=D:6\n");
    WriteRegistryEntries(installer);
    EXPECT_EQ(Value("Software", "RegEntriesNoBrand"), Number(6));
    SHDeleteValueA(HKEY_CURRENT_USER, "Software", "RegEntriesNoBrand");
}
