#include "services/uninstall_entry.h"

#include "store/registry_key.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <shlwapi.h>

#include <string>
#include <vector>

namespace {

// A scratch key below HKCU\Software stands in for the Uninstall key.
class UninstallEntryTest : public testing::Test {
protected:
    void SetUp() override
    {
        ms_name = std::string("UninstallEntryTest_") + testing::UnitTest::GetInstance()->current_test_info()->name();
        SHDeleteKeyA(HKEY_CURRENT_USER, ("Software\\" + ms_name).c_str());
    }
    void TearDown() override { SHDeleteKeyA(HKEY_CURRENT_USER, ("Software\\" + ms_name).c_str()); }

    // "TYPE:data" of a value: "SZ:text", "DWORD:number", or "missing".
    std::string Value(const std::string& name, const std::string& sub_key = "") const
    {
        const std::string path = "Software\\" + ms_name + (sub_key.empty() ? "" : "\\" + sub_key);
        std::vector<char> data(4096);
        DWORD type = 0, size = data.size();
        if (SHGetValueA(HKEY_CURRENT_USER, path.c_str(), name.c_str(), &type, data.data(), &size) != ERROR_SUCCESS)
            return "missing";
        if (type == REG_DWORD)
            return "DWORD:" + std::to_string(*reinterpret_cast<DWORD*>(data.data()));
        return (type == REG_SZ ? "SZ:" : "other:") + std::string(data.data());
    }
    DWORD ValueCount() const
    {
        HKEY key = nullptr;
        DWORD count = 0;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, ("Software\\" + ms_name).c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS) {
            RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr, nullptr,
                             nullptr, nullptr);
            RegCloseKey(key);
        }
        return count;
    }

    std::string ms_name;
};

UninstallEntry FullEntry()
{
    UninstallEntry entry;
    entry.display_name = "Karvelo Casino";
    entry.display_icon = "C:\\Program Files\\Karvelo Casino\\casino.exe,0";
    entry.install_location = "C:\\Program Files\\Karvelo Casino";
    entry.publisher = "Karvelo Games";
    entry.display_version = "2.4.1";
    entry.uninstall_string = "\"C:\\Program Files\\Karvelo Casino\\uninstall.exe\" /uninstall";
    entry.quiet_uninstall_string = "\"C:\\Program Files\\Karvelo Casino\\uninstall.exe\" /uninstall /quiet";
    entry.install_date = "20261209";
    entry.estimated_kib = 4321;
    return entry;
}

} // namespace

TEST_F(UninstallEntryTest, EveryValueWithItsType)
{
    WriteUninstallEntry(ms_name, FullEntry());
    EXPECT_EQ(Value("DisplayName"), "SZ:Karvelo Casino");
    EXPECT_EQ(Value("DisplayIcon"), "SZ:C:\\Program Files\\Karvelo Casino\\casino.exe,0");
    EXPECT_EQ(Value("InstallLocation"), "SZ:C:\\Program Files\\Karvelo Casino");
    EXPECT_EQ(Value("Publisher"), "SZ:Karvelo Games");
    EXPECT_EQ(Value("DisplayVersion"), "SZ:2.4.1");
    EXPECT_EQ(Value("UninstallString"), "SZ:\"C:\\Program Files\\Karvelo Casino\\uninstall.exe\" /uninstall");
    EXPECT_EQ(Value("QuietUninstallString"),
              "SZ:\"C:\\Program Files\\Karvelo Casino\\uninstall.exe\" /uninstall /quiet");
    EXPECT_EQ(Value("InstallDate"), "SZ:20261209");
    EXPECT_EQ(Value("EstimatedSize"), "DWORD:4321");
    EXPECT_EQ(Value("NoModify"), "DWORD:1");
    EXPECT_EQ(Value("NoRepair"), "DWORD:1");
    EXPECT_EQ(ValueCount(), 11u);
}

TEST_F(UninstallEntryTest, ARewriteLeavesNothingOfTheEarlierEntry)
{
    WriteUninstallEntry(ms_name, FullEntry());
    RegistryKey(true, ms_name).SetString("Stray", "x", true, "Sub");
    UninstallEntry later = FullEntry();
    later.display_version.clear();
    later.estimated_kib = 7;
    WriteUninstallEntry(ms_name, later);
    EXPECT_EQ(Value("DisplayVersion"), "missing");
    EXPECT_EQ(Value("Stray", "Sub"), "missing");
    EXPECT_EQ(Value("EstimatedSize"), "DWORD:7");
    EXPECT_EQ(ValueCount(), 10u);
}

TEST_F(UninstallEntryTest, DeleteSoftwareKeyTakesTheTreeButNeverSoftwareItself)
{
    RegistryKey(true, ms_name).SetString("Skin", "blue", true, "Settings\\Deep");
    ASSERT_EQ(Value("Skin", "Settings\\Deep"), "SZ:blue");
    EXPECT_FALSE(DeleteSoftwareKey(""));
    EXPECT_FALSE(DeleteSoftwareKey("\\" + ms_name));
    EXPECT_EQ(Value("Skin", "Settings\\Deep"), "SZ:blue");
    EXPECT_TRUE(DeleteSoftwareKey(ms_name));
    EXPECT_EQ(Value("Skin", "Settings\\Deep"), "missing");
    EXPECT_TRUE(DeleteSoftwareKey(ms_name)); // gone already
}
