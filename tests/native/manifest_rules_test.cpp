#include "base/device_name.h"
#include "install/manifest_rules.h"
#include "install/resource_entry.h"
#include "store/ini_file.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Refusal(const std::string& manifest_text)
{
    IniFile manifest;
    manifest.Parse(manifest_text);
    return ManifestRefusal(manifest);
}

} // namespace

TEST(DeviceName, ReservedNamesWhateverTheirCaseExtensionAndTrailingBlanks)
{
    for (const char* device : {"CON", "prn", "Aux", "nul", "COM0", "com9", "LPT1", "lpt0", "CONIN$", "conout$",
                               "con.txt", "NUL.tar.gz", "aux .wav", "COM1  .log", "COM\xB9", "lpt\xB2.x",
                               "COM\xC2\xB3", "readme.", "readme ", "a.b.", ".", ".."})
        EXPECT_TRUE(IsDeviceName(std::string(device))) << device;
    for (const char* file : {"console", "CONS", "COM", "COM10", "LPT", "LPTX", "COMA", "nul_file", "a.con",
                             "CONIN", "CONOUT", "COM\xB4", "xCOM1", "Blackjack.wav", "", ".hidden"})
        EXPECT_FALSE(IsDeviceName(std::string(file))) << file;
}

TEST(DeviceName, WideNamesOfArchiveEntries)
{
    EXPECT_TRUE(IsDeviceName(std::wstring(L"LPT\u00B3.bin")));
    EXPECT_TRUE(IsDeviceName(std::wstring(L"Con")));
    EXPECT_TRUE(IsDeviceName(std::wstring(L"name ")));
    EXPECT_FALSE(IsDeviceName(std::wstring(L"COM\u2074")));
    EXPECT_FALSE(IsDeviceName(std::wstring(L"\u65e5\u672c\u8a9e")));
}

TEST(ResourceEntry, DeviceNamesAreRefusedWhereTheyReachTheDisk)
{
    auto contained = [](const std::string& path, const std::string& folder) {
        return IsContainedResource(ResourceEntry{path, folder, "x", HashPiece::kAbsent, ""});
    };
    EXPECT_TRUE(contained("games/aux/x.wav", ""));  // folders of the server path stay on the server
    EXPECT_FALSE(contained("games/COM1", ""));
    EXPECT_FALSE(contained("con.wav", ""));
    EXPECT_FALSE(contained("x.wav", "Sounds\\NUL"));
    EXPECT_FALSE(contained("x.wav", "LPT1/Sounds"));
    EXPECT_FALSE(contained("x.wav", "Sounds."));
    EXPECT_FALSE(IsSafeFolderName("PRN"));
    EXPECT_FALSE(IsSafeFolderName("Karvelo Casino "));
}

TEST(ManifestRules, BrandsThatNameAKeyOfTheSystemOrOfTheInstallerAreRefused)
{
    for (const char* reserved : {"Microsoft", "CLASSES", "policies", "Wow6432Node", "Clients",
                                 "RegisteredApplications", "wine", "InstallKVO"}) {
        EXPECT_TRUE(IsReservedRegistryKey(reserved)) << reserved;
        EXPECT_EQ(Refusal(std::string("[GENERAL]\nBRAND_NAME=") + reserved + "\n"),
                  std::string("Unsafe brand name in manifest: ") + reserved);
    }
    EXPECT_FALSE(IsReservedRegistryKey("Microsoft Games"));
    EXPECT_TRUE(IsSafeBrand("Karvelo Casino"));
    EXPECT_EQ(Refusal("[GENERAL]\nBRAND_NAME=COM1\n"), "Unsafe brand name in manifest: COM1");
    EXPECT_EQ(Refusal(""), "");  // the default brand
}

TEST(ManifestRules, UnderTheEmptyBrandTheFirstSubKeyMustBeOurs)
{
    EXPECT_EQ(Refusal("[REG]\nMicrosoft\\Windows\\CurrentVersion\\Run/Evil=S:evil.exe\n"),
              "Unsafe registry entry in manifest: Microsoft\\Windows\\CurrentVersion\\Run/Evil");
    EXPECT_EQ(Refusal("[REG]\nclasses\\exefile\\shell\\open\\command/=S:evil\n"),
              "Unsafe registry entry in manifest: classes\\exefile\\shell\\open\\command/");
    EXPECT_EQ(Refusal("[REG]\n\\Wine\\Drives/x=D:1\n"), "Unsafe registry entry in manifest: \\Wine\\Drives/x");
    EXPECT_EQ(Refusal("[REG]\nInstallKVO/server=S:evil.example\n"),
              "Unsafe registry entry in manifest: InstallKVO/server");
    // What stored manifests rely on keeps working.
    EXPECT_EQ(Refusal("[REG]\nA=D:1\nCasino\\Microsoft/B=S:x\nMicrosoft/C=X:skipped\n"), "");
    EXPECT_EQ(Refusal("[GENERAL]\nBRAND_NAME=Karvelo\n[REG]\nMicrosoft\\Windows/A=D:1\n"), "");
}

TEST(ManifestRules, FirstRefusalInTheFixedOrderBrandRegistryThenFilesInFetchOrder)
{
    const std::string files = "[URLS]\nURL_2=x.wav,..\\up\nURL_10=con.wav\nURL_3=ok.wav\n";
    const std::string registry = "[REG]\nClasses\\x/y=D:1\n";
    EXPECT_EQ(Refusal(files), "Unsafe path in manifest: con.wav");
    EXPECT_EQ(Refusal(files + registry), "Unsafe registry entry in manifest: Classes\\x/y");
    EXPECT_EQ(Refusal("[GENERAL]\nBRAND_NAME=..\n" + files + registry), "Unsafe brand name in manifest: ..");
    EXPECT_EQ(Refusal("[URLS]\nURL_1=ok.wav\nURL_2=\nMY_URL_1=con.wav\n"), "");
}

TEST(ManifestRules, MalformedHashesAreRefusedAndStrictBuildsRequireOne)
{
    const std::string hash = "sha256:" + std::string(64, 'e');
    EXPECT_EQ(Refusal("[URLS]\nURL_1=r.dll,," + hash + "\nURL_2=a.wav,Sounds,ignored\n"), "");
    EXPECT_EQ(Refusal("[URLS]\nURL_1=r.dll,,sha256:e3b0\n"), "Malformed checksum in manifest: r.dll,,sha256:e3b0");
    // An unsafe path is named first, whatever its hash.
    EXPECT_EQ(Refusal("[URLS]\nURL_1=con.wav,,sha256:x\n"), "Unsafe path in manifest: con.wav,,sha256:x");

    IniFile manifest;
    manifest.Parse("[URLS]\nURL_1=r.dll,," + hash + "\nURL_2=a.wav,Sounds\nMY_URL=x.wav\n");
    EXPECT_EQ(ManifestRefusal(manifest), "");
    EXPECT_EQ(ManifestRefusal(manifest, true), "Missing checksum in manifest: a.wav,Sounds");
    EXPECT_EQ(ResourceEntryRefusal("URL_3", "b.wav,,other", true), "Missing checksum in manifest: b.wav,,other");
    EXPECT_EQ(ResourceEntryRefusal("SERVER_ADDR", "files.example", true), "");
}
