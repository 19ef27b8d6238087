#include "store/registry_key.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <shlwapi.h>

#include <vector>

namespace {

// A key below HKCU\Software that each test owns, removed before and after.
class RegistryKeyTest : public testing::Test {
protected:
    void SetUp() override
    {
        ms_name = std::string("RegistryKeyTest_")
            + testing::UnitTest::GetInstance()->current_test_info()->name();
        Remove();
    }
    void TearDown() override { Remove(); }
    void Remove() { SHDeleteKeyA(HKEY_CURRENT_USER, Path().c_str()); }
    std::string Path(const std::string& sub_key = "") const
    {
        return "Software\\" + ms_name + (sub_key.empty() ? "" : "\\" + sub_key);
    }
    bool KeyExists(const std::string& sub_key = "") const
    {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, Path(sub_key).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        RegCloseKey(key);
        return true;
    }
    // The raw stored bytes and type, read with a buffer that fits anything.
    std::string Raw(const std::string& value, DWORD* type = nullptr,
                    const std::string& sub_key = "") const
    {
        std::vector<char> data(1 << 16);
        DWORD size = data.size();
        if (SHGetValueA(HKEY_CURRENT_USER, Path(sub_key).c_str(), value.c_str(), type,
                        data.data(), &size) != ERROR_SUCCESS)
            return "<missing>";
        return std::string(data.data(), size);
    }
    void WriteRaw(const std::string& value, DWORD type, const std::string& data) const
    {
        SHSetValueA(HKEY_CURRENT_USER, Path().c_str(), value.c_str(), type, data.data(), data.size());
    }

    std::string ms_name;
};

std::string WithNul(const std::string& text) { return text + std::string(1, '\0'); }

} // namespace

TEST_F(RegistryKeyTest, ConstructorCreatesTheKeyAndWritesWithoutOverwriteLandOnce)
{
    ASSERT_FALSE(KeyExists());
    RegistryKey key(true, ms_name);
    EXPECT_TRUE(KeyExists());

    key.SetDword("debug_level", 7, false);
    key.SetDword("debug_level", 9, false);
    DWORD type = 0;
    EXPECT_EQ(Raw("debug_level", &type), std::string("\x07\0\0\0", 4));
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    key.SetDword("debug_level", 9, true);
    EXPECT_EQ(key.GetDword("debug_level"), 9u);

    key.SetString("server", "dl.karvelo.example", false);
    key.SetString("server", "other.example", false);
    EXPECT_EQ(Raw("server", &type), WithNul("dl.karvelo.example"));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    key.SetString("server", "other.example", true);
    EXPECT_EQ(key.GetString("server", key.ms_value), "other.example");
}

TEST_F(RegistryKeyTest, MissingValuesReadAsZeroAndEmpty)
{
    RegistryKey key(true, ms_name);
    EXPECT_EQ(key.GetDword("nothing"), 0u);
    std::string text = "stale";
    EXPECT_EQ(key.GetString("nothing", text), "");
}

TEST_F(RegistryKeyTest, LongTextsAreCutAt1024AndReadBackWhole)
{
    RegistryKey key(true, ms_name);
    const std::string exact(1024, 'a');
    key.SetString("exact", exact, true);
    EXPECT_EQ(Raw("exact"), WithNul(exact));
    std::string read;
    EXPECT_EQ(key.GetString("exact", read), exact);

    std::string longer(2000, 'b');
    longer[1500] = 'c';
    key.SetString("longer", longer, true);
    EXPECT_EQ(Raw("longer"), WithNul(longer.substr(0, 1024)));
    EXPECT_EQ(key.GetString("longer", read), longer.substr(0, 1024));
}

TEST_F(RegistryKeyTest, ForeignValuesTooLargeReadAsMissingButAreKept)
{
    RegistryKey key(true, ms_name);
    const std::string foreign(1500, 'f');
    WriteRaw("text", REG_SZ, WithNul(foreign));
    WriteRaw("number", REG_BINARY, std::string("\x01\x02\x03\x04\x05\x06\x07\x08", 8));

    std::string read = "stale";
    EXPECT_EQ(key.GetString("text", read), "");
    EXPECT_EQ(key.GetDword("number"), 0u);

    key.SetString("text", "replacement", false);
    key.SetDword("number", 5, false);
    EXPECT_EQ(Raw("text"), WithNul(foreign));
    EXPECT_EQ(Raw("number").size(), 8u);
}

TEST_F(RegistryKeyTest, ShortNumbersReadAsLittleEndianWithZeroUpperBytes)
{
    RegistryKey key(true, ms_name);
    WriteRaw("short", REG_BINARY, std::string("\x34\x12", 2));
    EXPECT_EQ(key.GetDword("short"), 0x1234u);
}

TEST_F(RegistryKeyTest, TextStopsAtItsFirstNul)
{
    RegistryKey key(true, ms_name);
    key.SetString("nul", std::string("ab\0cd", 5), true);
    EXPECT_EQ(Raw("nul"), WithNul("ab"));
}

TEST_F(RegistryKeyTest, SubKeysAreCreatedOnFirstUse)
{
    RegistryKey key(true, ms_name);
    EXPECT_FALSE(KeyExists("Settings"));
    key.SetDword("Volume", 80, true, "Settings");
    EXPECT_TRUE(KeyExists("Settings"));
    EXPECT_EQ(key.GetDword("Volume", "Settings"), 80u);
    EXPECT_EQ(key.GetDword("Volume"), 0u);
    key.SetString("Skin", "blue", true, "Settings\\Look");
    EXPECT_EQ(Raw("Skin", nullptr, "Settings\\Look"), WithNul("blue"));
}

TEST_F(RegistryKeyTest, WritesToADeletedKeyAreLost)
{
    RegistryKey key(true, ms_name);
    Remove();
    key.SetDword("lost", 1, true);
    EXPECT_FALSE(KeyExists());
    EXPECT_EQ(key.GetDword("lost"), 0u);
}

TEST(RegistryKey, EmptyKeyNameWritesIntoSoftwareItself)
{
    const char kValue[] = "RegistryKeyTest_EmptyName";
    RegistryKey key(true, "");
    key.SetDword(kValue, 12, true);
    DWORD number = 0, size = sizeof number;
    EXPECT_EQ(SHGetValueA(HKEY_CURRENT_USER, "Software", kValue, nullptr, &number, &size),
              static_cast<LONG>(ERROR_SUCCESS));
    EXPECT_EQ(number, 12u);
    SHDeleteValueA(HKEY_CURRENT_USER, "Software", kValue);
}
