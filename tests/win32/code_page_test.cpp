// Device names as Windows converts them in the system's code page. Wine
// cannot switch its ANSI code page per test, so the code pages are passed.
#include "base/code_page.h"
#include "install/manifest_rules.h"
#include "store/ini_file.h"

#include <gtest/gtest.h>

namespace {

NarrowNames In(unsigned code_page)
{
    NarrowNames names;
    names.code_page = code_page;
    names.to_wide = CodePageToWide;
    return names;
}

} // namespace

TEST(CodePage, DeviceNamesAreJudgedAsTheCodePageConvertsThem)
{
    // A9 F6 is the superscript one in 949: Korean Windows opens COM1.
    EXPECT_TRUE(IsDeviceName("COM\xA9\xF6", In(949)));
    EXPECT_TRUE(IsDeviceName("lpt\xA9\xF8.txt", In(949)));
    // 0xB9 is the superscript one in 1252, a Greek letter in 1253.
    EXPECT_TRUE(IsDeviceName("COM\xB9", In(1252)));
    EXPECT_FALSE(IsDeviceName("COM\xB9", In(1253)));
    // What does not convert is refused.
    EXPECT_TRUE(IsDeviceName("COM\xA9", In(949)));
    EXPECT_TRUE(IsDeviceName("CON.txt", In(1253)));
    EXPECT_FALSE(IsDeviceName("COMa", In(949)));
    EXPECT_FALSE(IsDeviceName("\xC7\xD1\xB1\xDB", In(949)));

    const EntryDemands none;
    EXPECT_EQ(ResourceEntryRefusal("URL_1", "x/COM\xB9.wav", none, In(1253)), "");
    EXPECT_EQ(ResourceEntryRefusal("URL_1", "x/COM\xB9.wav", none, In(1252)), "Unsafe path in manifest: x/COM\xB9.wav");
    IniFile manifest;
    manifest.Parse("[GENERAL]\nBRAND_NAME=LPT\xA9\xF7\n");
    EXPECT_EQ(ManifestRefusal(manifest, none, In(949)), "Unsafe brand name in manifest: LPT\xA9\xF7");
    EXPECT_EQ(ManifestRefusal(manifest, none, In(1252)), "");
}
