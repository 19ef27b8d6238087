#include "base/device_name.h"
#include "base/disk_space.h"
#include "base/staging_names.h"
#include "hostile_manifest_cases.h"
#include "install/manifest_rules.h"
#include "install/resource_entry.h"
#include "store/ini_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

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

TEST(ManifestRules, NoFileMayTakeTheUninstallersPlaceInTheInstallFolder)
{
    for (const char* value : {"uninstall.exe", "client/UNINSTALL.EXE", "files/Uninstall.ini,.", "uninstall.ini,.\\",
                              "uninstall.exe,/./,sha256:x", "\\uninstall.exe", "a/\\uninstall.ini"})
        EXPECT_EQ(Refusal(std::string("[URLS]\nURL_1=") + value + "\n"),
                  std::string("Unsafe path in manifest: ") + value) << value;
    EXPECT_EQ(Refusal("[URLS]\nURL_1=uninstall.exe,Tools\nURL_2=uninstall.exe.txt\nURL_3=uninstall/casino.exe\n"), "");
}

// "UNINST~1.EXE" may be the short name of uninstall.exe beside it; lower
// down a "~" and a digit name nothing of the uninstaller's.
TEST(ManifestRules, NoShortNameAtTheTopOfTheInstallFolder)
{
    for (const char* value : {"UNINST~1.EXE", "x/uninst~1.ini,.", "casino.exe,CASINO~2", "casino.exe,Data~1\\Bin"})
        EXPECT_EQ(Refusal(std::string("[URLS]\nURL_1=") + value + "\n"),
                  std::string("Unsafe path in manifest: ") + value) << value;
    EXPECT_EQ(Refusal("[URLS]\nURL_1=UNINST~1.EXE,Tools\nURL_2=casino~.exe\nURL_3=a~b1.dat\n"), "");
}

namespace {

// Narrow names read as UTF-8, under the code page the test names: the
// installer's conversion, without a Windows to convert.
bool Utf8ToWide(unsigned, std::string_view narrow, WideText& wide)
{
    wide.clear();
    for (size_t i = 0; i < narrow.size();) {
        const unsigned char lead = static_cast<unsigned char>(narrow[i]);
        const size_t extra = lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
        unsigned code = extra == 2 ? lead & 0x0F : extra == 1 ? lead & 0x1F : lead;
        for (size_t k = 1; k <= extra && i + k < narrow.size(); ++k)
            code = code << 6 | (static_cast<unsigned char>(narrow[i + k]) & 0x3F);
        wide.push_back(static_cast<wchar_t>(code));
        i += extra + 1;
    }
    return true;
}

} // namespace

// Characters the ANSI functions best-fit to a separator, a dot or a colon:
// one piece as written, "..\..\victim" as read back. Refused by the checker,
// which knows no code page, and where the code page makes them one.
TEST(ResourceEntry, NamesThatBestFitToASeparatorAreRefused)
{
    const struct {
        const char* name;
        unsigned code_page; // where the look-alike becomes a separator
    } look_alikes[] = {
        {"..\xEF\xBC\xBC..\xEF\xBC\xBCvictim.txt", 1252}, // U+FF3C
        {"..\xE2\x88\x96victim.txt", 1252},               // U+2216
        {"..\xEF\xB9\xA8victim.txt", 1252},               // U+FE68
        {"..\xEF\xBC\x8Fvictim.txt", 1252},               // U+FF0F
        {"c\xEF\xBC\x9A\\x.txt", 1252},                  // U+FF1A
        {"..\xC2\xA5victim.txt", 932},                      // U+00A5 under the Japanese code page
        {"..\xE2\x82\xA9victim.txt", 949},                 // U+20A9 under the Korean one
    };
    for (const auto& look_alike : look_alikes) {
        ResourceEntry entry;
        ASSERT_TRUE(ParseResourceEntry("URL_1", std::string("/f/a.txt,") + look_alike.name, entry));
        EXPECT_FALSE(IsContainedResource(entry)) << look_alike.name;
        EXPECT_FALSE(IsContainedResource(entry, NarrowNames{look_alike.code_page, Utf8ToWide})) << look_alike.name;
        ASSERT_TRUE(ParseResourceEntry("URL_1", std::string("/f/") + look_alike.name, entry));
        EXPECT_FALSE(IsContainedResource(entry)) << look_alike.name;
    }
    // The yen and won signs are plain characters under the other code pages.
    ResourceEntry entry;
    ASSERT_TRUE(ParseResourceEntry("URL_1", "/f/\xC2\xA5\xE2\x82\xA9.txt", entry));
    EXPECT_TRUE(IsContainedResource(entry, NarrowNames{1252, Utf8ToWide}));
    EXPECT_FALSE(IsContainedResource(entry, NarrowNames{932, Utf8ToWide}));
    EXPECT_FALSE(IsContainedResource(entry, NarrowNames{949, Utf8ToWide}));
    ASSERT_TRUE(ParseResourceEntry("URL_1", "/f/\xC3\x9Cn\xC3\xAF" "c\xC3\xB8" "d\xC3\xA9.txt,Daten", entry));
    EXPECT_TRUE(IsContainedResource(entry));
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
    EntryDemands strict;
    strict.hash = true;
    EXPECT_EQ(ManifestRefusal(manifest), "");
    EXPECT_EQ(ManifestRefusal(manifest, strict), "Missing checksum in manifest: a.wav,Sounds");
    EXPECT_EQ(ResourceEntryRefusal("URL_3", "b.wav,,other", strict), "Missing checksum in manifest: b.wav,,other");
    EXPECT_EQ(ResourceEntryRefusal("SERVER_ADDR", "files.example", strict), "");
}

TEST(ResourceEntry, SizeIsTheFourthPieceDecimalUpToTwoToTheSixtyThreeLessOne)
{
    struct Case {
        const char* piece;
        SizePiece expected;
        std::int64_t size;
    };
    for (const Case& c : std::vector<Case>{{"size:0", SizePiece::kBytes, 0},
                                           {"size:1048576", SizePiece::kBytes, 1048576},
                                           {"size:9223372036854775807", SizePiece::kBytes, INT64_MAX},
                                           {"size:0009", SizePiece::kBytes, 9},
                                           {"size:9223372036854775808", SizePiece::kMalformed, -1},
                                           {"size:99999999999999999999", SizePiece::kMalformed, -1},
                                           {"size:", SizePiece::kMalformed, -1},
                                           {"size:-1", SizePiece::kMalformed, -1},
                                           {"size:+1", SizePiece::kMalformed, -1},
                                           {"size:12 ", SizePiece::kMalformed, -1},
                                           {"size:0x10", SizePiece::kMalformed, -1},
                                           {"Size:10", SizePiece::kAbsent, -1},
                                           {"other", SizePiece::kAbsent, -1}}) {
        std::int64_t size = 7;
        EXPECT_EQ(ReadSizePiece(c.piece, size), c.expected) << c.piece;
        EXPECT_EQ(size, c.size) << c.piece;
    }
    const std::string hash = "sha256:" + std::string(64, 'a');
    ResourceEntry entry;
    ASSERT_TRUE(ParseResourceEntry("URL_1", "r.dll,," + hash + ",size:300", entry));
    EXPECT_EQ(entry.size_piece, SizePiece::kBytes);
    EXPECT_EQ(entry.size, 300);
    ASSERT_TRUE(ParseResourceEntry("URL_1", "r.dll,,,size:300", entry));
    EXPECT_EQ(entry.hash, HashPiece::kAbsent);
    EXPECT_EQ(entry.size, 300);
    // Only the fourth piece: a size where the hash goes is no size.
    ASSERT_TRUE(ParseResourceEntry("URL_1", "r.dll,,size:300", entry));
    EXPECT_EQ(entry.size_piece, SizePiece::kAbsent);
    EXPECT_EQ(Refusal("[URLS]\nURL_1=r.dll,," + hash + ",size:12x\n"),
              "Malformed size in manifest: r.dll,," + hash + ",size:12x");
    EXPECT_EQ(Refusal("[URLS]\nURL_1=r.dll,," + hash + ",size:12,more\n"), "");
}

TEST(ResourceEntry, TheTemporaryNamesOfStagedFilesAreRefused)
{
    for (const char* name : {"casino.exe.part", "casino.exe.PART", "Extract.dll.part.info", "x.Part.Info", ".part"})
        EXPECT_EQ(Refusal(std::string("[URLS]\nURL_1=files/") + name + "\n"),
                  std::string("Unsafe path in manifest: files/") + name)
            << name;
    for (const char* name : {"chapter.parts", "x.part1", "part", "x.info", "x.part.infos"})
        EXPECT_EQ(Refusal(std::string("[URLS]\nURL_1=files/") + name + "\n"), "") << name;
    EXPECT_TRUE(staging::IsTemporaryName(std::wstring_view(L"Data\\blob.bin.part")));
}

TEST(ManifestRules, MirrorsAreHostsAndNothingElse)
{
    for (const char* host : {"files.karvelo.example", "10.0.0.7", "a-b.example", "localhost", "x"})
        EXPECT_TRUE(IsSafeHost(host)) << host;
    for (const char* host : {"", "http://files.example", "files.example:8080", "files.example/path",
                             "user@files.example", "files example", "files.example\\x", "[::1]", "fil\xC3\xA9s"})
        EXPECT_FALSE(IsSafeHost(host)) << host;
    EXPECT_TRUE(IsSafeHost(std::string(253, 'a')));
    EXPECT_FALSE(IsSafeHost(std::string(254, 'a')));

    EXPECT_EQ(Refusal("[URLS]\nSERVER_ADDR=a.example\nSERVER_MIRRORS=b.example,10.1.2.3\nURL_1=x.wav\n"), "");
    EXPECT_EQ(Refusal("[URLS]\nSERVER_MIRRORS=b.example,evil.example:81\n"),
              "Unsafe host in manifest: b.example,evil.example:81");
    EXPECT_EQ(Refusal("[URLS]\nSERVER_MIRRORS=b.example,,c.example\n"),
              "Unsafe host in manifest: b.example,,c.example");
    // The mirrors come after the registry and before the files.
    EXPECT_EQ(Refusal("[URLS]\nSERVER_MIRRORS=x:1\nURL_1=con.wav\n[REG]\nClasses/x=D:1\n"),
              "Unsafe registry entry in manifest: Classes/x");
    EXPECT_EQ(Refusal("[URLS]\nSERVER_MIRRORS=x:1\nURL_1=con.wav\n"), "Unsafe host in manifest: x:1");
    IniFile manifest;
    manifest.Parse("[URLS]\nSERVER_MIRRORS=b.example,c.example\n");
    EXPECT_EQ(MirrorHosts(manifest), (std::vector<std::string>{"b.example", "c.example"}));
}

TEST(DiskSpace, WholeClustersAndAMarginOfSixteenMiBOrOnePercent)
{
    using namespace disk_space;
    EXPECT_EQ(OnDisk(0, 4096), 0u);
    EXPECT_EQ(OnDisk(1, 4096), 4096u);
    EXPECT_EQ(OnDisk(4096, 4096), 4096u);
    EXPECT_EQ(OnDisk(4097, 4096), 8192u);
    EXPECT_EQ(OnDisk(1000, 0), 1000u);
    // 100,000 entries of 1 KiB take about 400 MB of 4 KiB clusters.
    EXPECT_EQ(100000 * OnDisk(1024, 4096), 409600000u);
    EXPECT_EQ(Needed(0), 16 * kMiB);
    EXPECT_EQ(Needed(1000 * kMiB), 1000 * kMiB + 16 * kMiB);
    EXPECT_EQ(Needed(10000 * kMiB), 10000 * kMiB + 100 * kMiB);
    EXPECT_EQ(Needed(~std::uint64_t(0) - 5), ~std::uint64_t(0));
    EXPECT_EQ(OnDisk(~std::uint64_t(0) - 5, 4096), ~std::uint64_t(0));
    EXPECT_EQ(MiBRoundedUp(0), 0u);
    EXPECT_EQ(MiBRoundedUp(1), 1u);
    EXPECT_EQ(MiBRoundedUp(kMiB), 1u);
    EXPECT_EQ(MiBRoundedUp(kMiB + 1), 2u);
}

TEST(ManifestRules, HostileManifestsAreRefusedWithTheirBox)
{
    for (const HostileManifest& hostile : HostileManifests())
        EXPECT_EQ(Refusal(hostile.text), hostile.refusal) << hostile.what;
}

// The player reads each refusal in the chosen language with the same detail:
// every refusal the rules and the keys give must be one the box knows.
TEST(ManifestRules, EveryRefusalIsReadBackForThePlayersBox)
{
    std::vector<std::string> refusals = {"Unsigned manifest", "Invalid manifest signature", "Outdated manifest: 5",
                                         "Expired manifest: 2025-06-30", "Missing size in manifest: a.wav",
                                         "Unsafe host in manifest: a b", "Malformed size in manifest: a,,,x"};
    for (const HostileManifest& hostile : HostileManifests())
        if (!hostile.refusal.empty())
            refusals.push_back(hostile.refusal);
    for (const std::string& refusal : refusals) {
        TextId id = TextId::kCount;
        std::string detail;
        ASSERT_TRUE(ReadManifestRefusal(refusal, id, detail)) << refusal;
        EXPECT_EQ(FillText(EnglishText(id), {detail}), refusal);
    }
    TextId id;
    std::string detail;
    EXPECT_FALSE(ReadManifestRefusal("Not enough disk space: 1 MiB needed, 0 MiB free.", id, detail));
}
