#include "services/shortcut_file.h"

#include "test_files.h"

#include <gtest/gtest.h>
#include <objbase.h>
#include <windows.h>

namespace {

class ShortcutFileTest : public testing::Test {
protected:
    void SetUp() override
    {
        CoInitialize(nullptr);
        ms_folder = ScratchFolder("shortcuts");
        ms_link = ms_folder + "\\Karvelo Casino.lnk";
    }
    void TearDown() override { CoUninitialize(); }

    std::string ms_folder;
    std::string ms_link;
};

const char kClient[] = "C:\\Program Files\\Karvelo Casino\\casino.exe";
const char kFolder[] = "C:\\Program Files\\Karvelo Casino";

} // namespace

TEST_F(ShortcutFileTest, WrittenAndReadBackThenReplaced)
{
    ASSERT_TRUE(WriteShortcut(ms_link, kClient, kFolder));
    EXPECT_EQ(ShortcutTarget(ms_link), kClient);
    ASSERT_TRUE(WriteShortcut(ms_link, "C:\\Program Files\\Other\\casino.exe", "C:\\Program Files\\Other"));
    EXPECT_EQ(ShortcutTarget(ms_link), "C:\\Program Files\\Other\\casino.exe");
    EXPECT_FALSE(WriteShortcut(ms_folder + "\\missing\\x.lnk", kClient, kFolder));
    EXPECT_FALSE(PathExists(ms_folder + "\\missing"));
}

TEST_F(ShortcutFileTest, NoTargetForAMissingFileOrOneThatIsNoShortcut)
{
    EXPECT_EQ(ShortcutTarget(ms_link), "");
    WriteWhole(ms_link, "no shortcut at all");
    EXPECT_EQ(ShortcutTarget(ms_link), "");
    EXPECT_TRUE(RemoveShortcutTo(ms_link, ""));
    EXPECT_TRUE(PathExists(ms_link));
}

TEST_F(ShortcutFileTest, OnlyAShortcutToTheClientIsRemoved)
{
    EXPECT_TRUE(RemoveShortcutTo(ms_link, kClient));
    ASSERT_TRUE(WriteShortcut(ms_link, "C:\\Program Files\\Other\\casino.exe", "C:\\Program Files\\Other"));
    EXPECT_TRUE(RemoveShortcutTo(ms_link, kClient));
    EXPECT_TRUE(PathExists(ms_link));
    ASSERT_TRUE(WriteShortcut(ms_link, kClient, kFolder));
    EXPECT_TRUE(RemoveShortcutTo(ms_link, "c:\\program files\\KARVELO CASINO\\Casino.exe"));
    EXPECT_FALSE(PathExists(ms_link));
}
