#include "install/addresses.h"
#include "install/resource_entry.h"

#include <gtest/gtest.h>

TEST(ManifestRequestTarget, FollowsThePrefixWithoutALimit)
{
    EXPECT_EQ(ManifestRequestTarget("dl", 5279, 0, 1),
              "dl/ClientResourcesManager.asp?action=QDL&did=5279&tag=0&langId=1");
    EXPECT_EQ(ManifestRequestTarget("/cgi", -3, 7, 15),
              "/cgi/ClientResourcesManager.asp?action=QDL&did=-3&tag=7&langId=15");
    const std::string long_prefix(300, 'p');
    EXPECT_EQ(ManifestRequestTarget(long_prefix, 1, 2, 3).substr(0, 301), long_prefix + "/");
}

TEST(SkinPageAddress, AppendsEveryValueByteForByte)
{
    EXPECT_EQ(SkinPageAddress("U", "S", "I", "L", "G"), "U?serverName=S&brandId=I&langShortStr=L&logo=G");
    EXPECT_EQ(SkinPageAddress("http://x/a?b=1", "a b&c", "", "en", ""),
              "http://x/a?b=1?serverName=a b&c&brandId=&langShortStr=en&logo=");
    EXPECT_EQ(SkinPageAddress("", "", "", "", ""), "?serverName=&brandId=&langShortStr=&logo=");
}

TEST(ReportAddress, OnlyForActionsOneAndTwo)
{
    EXPECT_EQ(ReportAddress("stats.karvelo.example", 5279, 1),
              "https://stats.karvelo.example/players_downloads.asp?distId=5279&dlAction=1");
    EXPECT_EQ(ReportAddress("h", -12, 2), "https://h/players_downloads.asp?distId=-12&dlAction=2");
    EXPECT_EQ(ReportAddress("h", 5279, 0), "");
    EXPECT_EQ(ReportAddress("h", 5279, 3), "");
}

TEST(IsWebAddress, OnlyHttpAndHttpsWhateverTheirCase)
{
    for (const char* web : {"http://skins.example/a", "HTTPS://x", "hTtP:x"})
        EXPECT_TRUE(IsWebAddress(web)) << web;
    for (const char* other : {"file://host/share", "\\\\host\\share", "FILE:///c:/x", "javascript:alert(1)",
                              " http://x", "httpx://x", "https", "", "?serverName=&brandId=", "c:\\skin.html"})
        EXPECT_FALSE(IsWebAddress(other)) << other;
}

TEST(InstallerLocation, TakesThePathBeforeTheFirstExe)
{
    EXPECT_EQ(InstallerLocation("\"C:\\Users\\me\\Downloads\\setup.exe\" /silent"),
              "C:\\Users\\me\\Downloads\\setup.exe");
    EXPECT_EQ(InstallerLocation("C:\\setup.exe"), "C:\\setup.exe");
    EXPECT_EQ(InstallerLocation("\"C:\\SETUP.EXE\" /x"), "C:\\SETUP.EXE\" /x.exe");
    EXPECT_EQ(InstallerLocation(""), ".exe");
}

TEST(ResourceEntry, KeysMustStartWithUrlUnderscore)
{
    EXPECT_TRUE(IsResourceKey("URL_1"));
    EXPECT_TRUE(IsResourceKey("URL_10#Roulette"));
    EXPECT_TRUE(IsResourceKey("URL_"));
    EXPECT_FALSE(IsResourceKey("url_1"));
    EXPECT_FALSE(IsResourceKey("MY_URL_1"));
    EXPECT_FALSE(IsResourceKey("SERVER_ADDR"));
    EXPECT_FALSE(IsResourceKey("URL"));
}

TEST(ResourceEntry, DisplayNamePathAndSubFolder)
{
    ResourceEntry entry;
    ASSERT_TRUE(ParseResourceEntry("URL_1#Roulette", "games/r.dll", entry));
    EXPECT_EQ(entry.display_name, "Roulette");
    EXPECT_EQ(entry.path, "games/r.dll");
    EXPECT_EQ(entry.sub_folder, "");

    ASSERT_TRUE(ParseResourceEntry("URL_2", "sounds/a.wav,Sounds,ignored", entry));
    EXPECT_EQ(entry.display_name, "Blackjack.wav");
    EXPECT_EQ(entry.path, "sounds/a.wav");
    EXPECT_EQ(entry.sub_folder, "Sounds");

    ASSERT_TRUE(ParseResourceEntry("URL_3#A#B", ",Data", entry));
    EXPECT_EQ(entry.display_name, "A");
    EXPECT_EQ(entry.path, "");
    EXPECT_FALSE(ParseResourceEntry("URL_4", "", entry));
}

TEST(ResourceEntry, FileNameIsTheLastPathPiece)
{
    EXPECT_EQ(ResourceFileName("games/bin/r.dll"), "r.dll");
    EXPECT_EQ(ResourceFileName("r.dll"), "r.dll");
    EXPECT_EQ(ResourceFileName("games/"), "");
}

TEST(ResourceEntry, OnlyFilesInsideTheInstallFolderAreContained)
{
    auto contained = [](const std::string& path, const std::string& folder) {
        return IsContainedResource(ResourceEntry{path, folder, "x", HashPiece::kAbsent, ""});
    };
    EXPECT_TRUE(contained("games/r.dll", ""));
    EXPECT_TRUE(contained("../r.dll", ""));  // the path's folders stay on the server
    EXPECT_TRUE(contained("r.dll", "Data\\Bin"));
    EXPECT_TRUE(contained("r..dll", "a..b"));
    EXPECT_FALSE(contained("games/..", ""));
    EXPECT_FALSE(contained("games/..\\..\\evil.dll", ""));
    EXPECT_FALSE(contained("r.dll", "..\\Windows"));
    EXPECT_FALSE(contained("r.dll", "Data/../.."));
    EXPECT_FALSE(contained("r.dll", "\\Windows"));
    EXPECT_FALSE(contained("r.dll", "/etc"));
    EXPECT_FALSE(contained("r.dll", "C:\\Windows"));
    EXPECT_FALSE(contained("c:evil.dll", ""));
    EXPECT_FALSE(contained("r.dll:stream", ""));
}

TEST(ResourceEntry, BrandMustBeOneSafeFolderName)
{
    EXPECT_TRUE(IsSafeFolderName("Karvelo Casino"));
    EXPECT_TRUE(IsSafeFolderName("Casino.de"));
    for (const char* bad : {"", ".", "..", "a\\b", "a/b", "C:", "a*b", "a?b", "a|b", "a<b", "a>b", "a\"b", "a\tb"})
        EXPECT_FALSE(IsSafeFolderName(bad)) << bad;
}

TEST(ResourceEntry, HashPieceIsSha256AndSixtyFourHexDigitsInEitherCase)
{
    const std::string digits = "0123456789abcdefABCDEF0123456789abcdef0123456789ABCDEF0123456789";
    std::string sha256 = "stale";
    EXPECT_EQ(ReadHashPiece("sha256:" + digits, sha256), HashPiece::kSha256);
    EXPECT_EQ(sha256, "0123456789abcdefabcdef0123456789abcdef0123456789abcdef0123456789");

    for (const std::string& malformed :
         {std::string("sha256:"), "sha256:" + digits.substr(1), "sha256:" + digits + "0",
          "sha256:" + digits.substr(1) + "g", "sha256: " + digits.substr(1), "sha256:" + digits + " "}) {
        EXPECT_EQ(ReadHashPiece(malformed, sha256), HashPiece::kMalformed) << malformed;
        EXPECT_EQ(sha256, "") << malformed;
    }
    // Any other third piece is ignored, as older installers ignore it.
    for (const std::string& other : {std::string(""), std::string("ignored"), "SHA256:" + digits, std::string("md5:00"), std::string("sha256")})
        EXPECT_EQ(ReadHashPiece(other, sha256), HashPiece::kAbsent) << other;
}

TEST(ResourceEntry, HashIsTheThirdPieceOnly)
{
    const std::string hash = std::string(64, 'A');
    ResourceEntry entry;
    ASSERT_TRUE(ParseResourceEntry("URL_1", "games/r.dll,Games,sha256:" + hash, entry));
    EXPECT_EQ(entry.sub_folder, "Games");
    EXPECT_EQ(entry.hash, HashPiece::kSha256);
    EXPECT_EQ(entry.sha256, std::string(64, 'a'));

    ASSERT_TRUE(ParseResourceEntry("URL_1", "games/r.dll,,sha256:" + hash + ",more", entry));
    EXPECT_EQ(entry.sub_folder, "");
    EXPECT_EQ(entry.hash, HashPiece::kSha256);

    ASSERT_TRUE(ParseResourceEntry("URL_1", "games/r.dll,sha256:" + hash, entry));
    EXPECT_EQ(entry.sub_folder, "sha256:" + hash);  // the second piece is always the sub-folder
    EXPECT_EQ(entry.hash, HashPiece::kAbsent);
    EXPECT_EQ(entry.sha256, "");

    ASSERT_TRUE(ParseResourceEntry("URL_1", "games/r.dll,Games,other,sha256:" + hash, entry));
    EXPECT_EQ(entry.hash, HashPiece::kAbsent);
}

TEST(ResourceEntry, FilePathJoinsInstallFolderSubFolderAndFileName)
{
    EXPECT_EQ(ResourceFilePath("C:\\Casino", ResourceEntry{"games/r.dll", "", "x", HashPiece::kAbsent, ""}), "C:\\Casino\\r.dll");
    EXPECT_EQ(ResourceFilePath("C:\\Casino", ResourceEntry{"r.dll", "Data\\Bin", "x", HashPiece::kAbsent, ""}),
              "C:\\Casino\\Data\\Bin\\r.dll");
}

TEST(IsHttpsScheme, OnlyHttpsInAnyCaseTurnsTlsOn)
{
    for (const char* https : {"https", "HTTPS", "Https"})
        EXPECT_TRUE(IsHttpsScheme(https)) << https;
    for (const char* plain : {"", "http", "https ", " https", "https:", "https:x", "ftp", "tls"})
        EXPECT_FALSE(IsHttpsScheme(plain)) << plain;
    EXPECT_TRUE(IsHttpsAddress("HTTPS://skins.example/"));
    EXPECT_FALSE(IsHttpsAddress("http://skins.example/"));
    EXPECT_FALSE(IsHttpsAddress("?serverName=x"));
}
