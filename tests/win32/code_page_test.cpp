// Device names as Windows converts them in the system's code page. Wine
// cannot switch its ANSI code page per test, so the code pages are passed.
#include "base/code_page.h"
#include "install/trust/manifest_rules.h"
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

TEST(CodePage, DoubleByteNamesAreSplitWhereWindowsSplitsThem)
{
    // In 932 the second byte of many characters is "\" or "|": the name is
    // one piece once converted, as Windows converts it whole.
    const EntryDemands none;
    EXPECT_EQ(ResourceEntryRefusal("URL_1", "games/\x95\x5C\x8E\xA6.txt", none, In(932)), "");
    EXPECT_EQ(ResourceEntryRefusal("URL_1", "r.dll,\x83\x5C\x83\x74\x83\x67", none, In(932)), "");
    IniFile manifest;
    manifest.Parse("[GENERAL]\nBRAND_NAME=\x83\x7C\x81\x5B\x83\x4A\x81\x5B\n");
    EXPECT_EQ(ManifestRefusal(manifest, none, In(932)), "");
    // A first byte without its second does not convert and is refused, and a
    // real separator after a whole character still splits.
    EXPECT_EQ(ResourceEntryRefusal("URL_1", "games/\x95", none, In(932)), "Unsafe path in manifest: games/\x95");
    EXPECT_EQ(ResourceEntryRefusal("URL_1", "r.dll,\x95\x5C\\..\\..", none, In(932)),
              "Unsafe path in manifest: r.dll,\x95\x5C\\..\\..");
    EXPECT_EQ(ResourceEntryRefusal("URL_1", "x/\x95\x5C\\CON", none, In(932)), "Unsafe path in manifest: x/\x95\x5C\\CON");
}
