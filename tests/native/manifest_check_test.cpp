// The operators' checker: one broken manifest per finding, each named with its
// line, and the hash filling that leaves every other byte alone.
#include "operator/manifest_check.h"
#include "operator/manifest_hashes.h"

#include "hostile_manifest_cases.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

const std::string kHashA(64, 'a');
const std::string kHashB(64, 'b');
const std::string kHeader = "[GENERAL]\nBRAND_NAME=Checked\n[URLS]\nSERVER_ADDR=files.example\n";

// Files served by request path, with their hashes and sizes.
ServedFiles Served(std::map<std::string, ServedFile> files)
{
    return [files](const std::string& path, ServedFile& file) {
        const auto found = files.find(path);
        if (found == files.end())
            return false;
        file = found->second;
        return true;
    };
}

// "LINE error|warning: TEXT" for every finding.
std::vector<std::string> Check(const std::string& text, const ServedFiles* files = nullptr)
{
    CheckOptions options;
    options.files = files;
    ReadDate("2025-06-15", options.today);
    std::vector<std::string> lines;
    for (const Finding& finding : CheckManifest(text, options))
        lines.push_back(std::to_string(finding.line) + (finding.error ? " error: " : " warning: ") + finding.text);
    return lines;
}

std::vector<std::string> One(const std::string& finding) { return {finding}; }

} // namespace

TEST(ManifestCheck, ACleanManifestHasNoFinding)
{
    EXPECT_EQ(Check(kHeader + "URL_1=Extract.dll,,sha256:" + kHashA + "\nURL_2=p.7z,Data,sha256:" + kHashB
                    + "\n[REG]\nVolume=D:80\n"),
              std::vector<std::string>());
}

// The installer shows no skin page whose whole address holds a control
// byte, whichever value brought it.
TEST(ManifestCheck, ASkinPageWithAControlByteAnywhereIsWarnedOnTheSkinLine)
{
    const std::string warning = "warning: the skin page's address holds a control byte: the installer shows no skin page";
    EXPECT_EQ(Check("[GENERAL]\nSKIN_URL=https://s/\x01\n"), One("2 " + warning));
    EXPECT_EQ(Check("[GENERAL]\nSKIN_URL=https://s/\nLOGO_FILENAME=a\tb.png\n"), One("2 " + warning));
    EXPECT_EQ(Check("[GENERAL]\nSKIN_URL=https://s/\nLOGO_FILENAME=a b.png\n"), std::vector<std::string>());
}

TEST(ManifestCheck, WhatTheInstallerRefusesIsAnErrorOnItsLine)
{
    EXPECT_EQ(Check("# brand\n[GENERAL]\nBRAND_NAME=..\\Windows\n"),
              One("3 error: Unsafe brand name in manifest: ..\\Windows"));
    EXPECT_EQ(Check("[REG]\nMicrosoft\\Run/x=S:evil\n"),
              One("2 error: Unsafe registry entry in manifest: Microsoft\\Run/x"));
    EXPECT_EQ(Check(kHeader + "URL_1=r.dll,..\\..\\Windows,sha256:" + kHashA + "\n"),
              One("5 error: Unsafe path in manifest: r.dll,..\\..\\Windows,sha256:" + kHashA));
    EXPECT_EQ(Check(kHeader + "URL_1=con.wav,,sha256:" + kHashA + "\n"),
              One("5 error: Unsafe path in manifest: con.wav,,sha256:" + kHashA));
    EXPECT_EQ(Check(kHeader + "URL_1=r.dll,,sha256:abc\n"),
              One("5 error: Malformed checksum in manifest: r.dll,,sha256:abc"));
    EXPECT_EQ(Check(std::string(1 << 20, '#')), std::vector<std::string>());
    EXPECT_EQ(Check(std::string(1 << 20, '#') + "\n"),
              One("0 error: the manifest is longer than 1 MiB: the installer refuses it"));
}

TEST(ManifestCheck, AnArchiveBeforeTheExtractionLibraryInByteOrder)
{
    const std::string hashes = ",,sha256:" + kHashA;
    EXPECT_EQ(Check(kHeader + "URL_2=Extract.dll" + hashes + "\nURL_10=pack.7z" + hashes + "\n"),
              One("6 error: URL_10 fetches an archive before Extract.dll, which unpacks it"
                  " (keys are fetched in byte order: URL_10 before URL_2)"));
    EXPECT_EQ(Check(kHeader + "URL_1=pack.7z" + hashes + "\n").size(), 1u);
    // A library in a sub-folder is not where the archive is unpacked from.
    EXPECT_EQ(Check(kHeader + "URL_1=Extract.dll,Bin,sha256:" + kHashA + "\nURL_2=pack.7z" + hashes + "\n").size(),
              1u);
    EXPECT_EQ(Check(kHeader + "URL_1=extract.DLL" + hashes + "\nURL_2=pack.7z" + hashes + "\n").size(), 0u);
}

TEST(ManifestCheck, WithFilesAMissingFileOrAnotherHashOrSizeIsAnError)
{
    const std::string text = kHeader + "URL_1=/games/r.dll,,sha256:" + kHashA + ",size:3000\nURL_2=a.wav,Sounds\n";
    const ServedFiles files = Served({{"/games/r.dll", {kHashB, 2999}}});
    EXPECT_EQ(Check(text, &files),
              (std::vector<std::string>{"5 error: hash mismatch for /games/r.dll: the manifest says " + kHashA
                                            + ", the file has " + kHashB,
                                        "5 error: size mismatch for /games/r.dll: the manifest says 3000 bytes,"
                                        " the file has 2999",
                                        "6 warning: no hash: the installer cannot check a.wav",
                                        "6 error: file missing: a.wav"}));
    const ServedFiles matching = Served({{"/games/r.dll", {kHashA, 3000}}, {"a.wav", {kHashB, 7}}});
    EXPECT_EQ(Check(text, &matching), One("6 warning: no hash: the installer cannot check a.wav"));
    // A size is compared on its own, with or without a hash.
    EXPECT_EQ(Check(kHeader + "URL_1=e.bin,,,size:0\n", &matching),
              (std::vector<std::string>{"5 warning: the third piece is not a hash and is ignored: e.bin,,,size:0",
                                        "5 error: file missing: e.bin"}));
    const ServedFiles empty = Served({{"e.bin", {kHashA, 1}}});
    EXPECT_EQ(Check(kHeader + "URL_1=e.bin,,sha256:" + kHashA + ",size:0\n", &empty),
              One("5 error: size mismatch for e.bin: the manifest says 0 bytes, the file has 1"));
}

TEST(ManifestCheck, SizesAndMirrorsFollowTheInstallersRules)
{
    const std::string hash = ",,sha256:" + kHashA;
    EXPECT_EQ(Check(kHeader + "URL_1=r.dll" + hash + ",size:12\n"), std::vector<std::string>());
    EXPECT_EQ(Check(kHeader + "URL_1=r.dll" + hash + ",size:-1\n"),
              One("5 error: Malformed size in manifest: r.dll" + hash + ",size:-1"));
    EXPECT_EQ(Check(kHeader + "URL_1=r.dll" + hash + ",size:9223372036854775808\n"),
              One("5 error: Malformed size in manifest: r.dll" + hash + ",size:9223372036854775808"));
    EXPECT_EQ(Check(kHeader + "URL_1=r.dll" + hash + ",bytes:12\n"),
              One("5 warning: the fourth piece is not a size and is ignored: r.dll" + hash + ",bytes:12"));
    EXPECT_EQ(Check(kHeader + "SERVER_MIRRORS=m1.example,10.0.0.7\n"), std::vector<std::string>());
    EXPECT_EQ(Check(kHeader + "SERVER_MIRRORS=m1.example,evil.example:8080/x\n"),
              One("5 error: Unsafe host in manifest: m1.example,evil.example:8080/x"));
    // SERVER_ADDR keeps its reading, so a host outside the grammar is a warning.
    EXPECT_EQ(Check("[URLS]\nSERVER_ADDR=files.example:8080\n"),
              One("2 warning: SERVER_ADDR files.example:8080 is not a plain host name (letters, digits, \"-\""
                  " and \".\", at most 253 bytes): the installer connects to it as written, but such a host in"
                  " SERVER_MIRRORS is refused"));
}

TEST(ManifestCheck, ParallelDownloadsFrom1To16OnlyElseRefused)
{
    for (const char* value : {"1", "6", "16", "09"})
        EXPECT_EQ(Check(kHeader + "PARALLEL_DOWNLOADS=" + value + "\n"), std::vector<std::string>()) << value;
    for (const char* value : {"0", "17", "-3", "+4", "4x", "100", "99999999999"})
        EXPECT_EQ(Check(kHeader + "PARALLEL_DOWNLOADS=" + value + "\n"),
                  One("5 error: PARALLEL_DOWNLOADS " + std::string(value)
                      + " is not a whole number from 1 to 16: the installer ignores it and fetches 6 files at once"))
            << value;
}

TEST(ManifestCheck, WhatTheInstallerIgnoresOrMisreadsIsAWarning)
{
    const std::string hash = ",,sha256:" + kHashA;
    EXPECT_EQ(Check(kHeader + "url_1=r.dll\n"),
              One("5 warning: url_1 is not read: file keys begin with URL_ in capitals"));
    EXPECT_EQ(Check(kHeader + "URL_1=r.dll" + hash + "\nURL_1=s.dll" + hash + "\n"),
              One("6 warning: duplicate key URL_1: the installer keeps the value of line 5"));
    EXPECT_EQ(Check("\xEF\xBB\xBF[GENERAL]\nBRAND_NAME=B\n"),
              (std::vector<std::string>{
                  "1 warning: a byte-order mark starts the manifest: the installer reads it as part of the first line",
                  "1 warning: line ignored, neither [section] nor key=value: \xEF\xBB\xBF[GENERAL]"}));
    EXPECT_EQ(Check("[GENERAL]\nBRAND_NAME = B\n"),
              One("2 warning: blanks around \"=\": the key is read as \"BRAND_NAME \" and the value as \" B\""));
    EXPECT_EQ(Check("[ GENERAL ]\n"), One("1 warning: [ GENERAL ] is not [GENERAL]: names are read exactly,"
                                          " so the installer ignores it"));
    EXPECT_EQ(Check("[Urls]\n"), One("1 warning: [Urls] is not [URLS]: names are read exactly,"
                                     " so the installer ignores it"));
    EXPECT_EQ(Check("[REG]\nVolume=d:80\n"),
              One("2 warning: lower-case type in Volume: the installer skips it (types are D: and S:)"));
    EXPECT_EQ(Check(kHeader + "URL_1=r.dll" + hash + ",size:1,more\n"),
              One("5 warning: pieces past the fourth are ignored: r.dll" + hash + ",size:1,more"));
    EXPECT_EQ(Check(kHeader + "URL_1=r.dll,,md5:00\n"),
              One("5 warning: the third piece is not a hash and is ignored: r.dll,,md5:00"));
    EXPECT_EQ(Check(kHeader + "URL_1=r.dll\n"), One("5 warning: no hash: the installer cannot check r.dll"));
    EXPECT_EQ(Check("[GENERAL]\nSHORTCUTS=Desktop,taskbar\n"),
              One("2 warning: SHORTCUTS word \"taskbar\" is neither startmenu, desktop nor none:"
                  " the installer ignores it"));
    EXPECT_TRUE(Check("[GENERAL]\nSHORTCUTS=none\nUNINSTALL_ENTRY=0\nPUBLISHER=P\nVERSION=1\n").empty());
    EXPECT_FALSE(HasError(CheckManifest(kHeader + "URL_1=r.dll\n", CheckOptions())));
}

TEST(ManifestCheck, FilesWithoutAServerAreAnError)
{
    EXPECT_EQ(Check("[URLS]\nURL_1=r.dll,,sha256:" + kHashA + "\n"),
              One("0 error: no SERVER_ADDR in [URLS]: every file would fail"));
}

TEST(ManifestCheck, AFileInTheUninstallersPlaceIsAnError)
{
    EXPECT_EQ(Check(kHeader + "URL_1=tools/uninstall.exe,,sha256:" + kHashA + "\n"),
              One("5 error: Unsafe path in manifest: tools/uninstall.exe,,sha256:" + kHashA));
}

TEST(ManifestHashes, EveryFetchedEntryGetsItsHashAndSizeAndNothingElseChanges)
{
    const std::string text = "\xEF\xBB\xBF# demo\r\n[URLS]\r\nSERVER_ADDR=files.example\r\n"
                             "  URL_1#Game=games/r.dll\t\r\nURL_2=a.wav,Sounds,sha256:" + kHashB + ",size:9,x\r\n"
                             "URL_3=b.wav,,sha256:" + kHashB + "\r\n"
                             "URL_1#Game=again.dll\r\nurl_3=lower.dll\r\nURL_4*x=unlisted.dll\r\n[OTHER]\r\n"
                             "URL_1=other.dll";
    const ServedFiles files = Served({{"games/r.dll", {kHashA, 3000}}, {"a.wav", {kHashA, 0}}, {"b.wav", {kHashB, 5}}});
    std::string output;
    std::vector<Finding> missing;
    ASSERT_TRUE(FillHashes(text, files, output, missing)) << (missing.empty() ? "" : missing[0].text);
    EXPECT_EQ(output, "\xEF\xBB\xBF# demo\r\n[URLS]\r\nSERVER_ADDR=files.example\r\n"
                      "  URL_1#Game=games/r.dll,,sha256:" + kHashA + ",size:3000\t\r\nURL_2=a.wav,Sounds,sha256:"
                          + kHashA + ",size:0,x\r\nURL_3=b.wav,,sha256:" + kHashB + ",size:5\r\n"
                          "URL_1#Game=again.dll\r\nurl_3=lower.dll\r\nURL_4*x=unlisted.dll\r\n[OTHER]\r\n"
                            "URL_1=other.dll");
    EXPECT_TRUE(missing.empty());

    ASSERT_FALSE(FillHashes(text, Served({}), output, missing));
    ASSERT_EQ(missing.size(), 3u);
    EXPECT_EQ(missing[0].line, 4);
    EXPECT_EQ(missing[0].text, "file missing: games/r.dll");
}

// The checker refuses what the installer refuses, as an error, and passes
// what the installer passes without one.
TEST(ManifestCheck, HostileManifestsAreErrorsAsTheInstallerRefusesThem)
{
    for (const HostileManifest& hostile : HostileManifests()) {
        CheckOptions options;
        ReadDate("2025-06-15", options.today);
        const std::vector<Finding> findings = CheckManifest(hostile.text, options);
        bool named = false;
        for (const Finding& finding : findings)
            named = named || (finding.error && finding.text == hostile.refusal);
        if (hostile.refusal.empty())
            EXPECT_FALSE(HasError(findings)) << hostile.what;
        else
            EXPECT_TRUE(named) << hostile.what;
    }
}

// With --strict every rule of the strict build is an error, keys or not.
TEST(ManifestCheck, StrictChecksAreTheStrictBuildsRules)
{
    CheckOptions strict;
    strict.strict = true;
    ReadDate("2025-06-15", strict.today);
    const auto errors = [&strict](const std::string& text) {
        std::vector<std::string> lines;
        for (const Finding& finding : CheckManifest(text, strict))
            if (finding.error)
                lines.push_back(std::to_string(finding.line) + " " + finding.text);
        return lines;
    };
    const std::string unhashed = kHeader + "URL_1=r.dll\n";
    EXPECT_FALSE(HasError(CheckManifest(unhashed, CheckOptions())));
    EXPECT_EQ(errors(unhashed),
              (std::vector<std::string>{"0 Unsigned manifest", "5 Missing checksum in manifest: r.dll"}));
    EXPECT_EQ(errors("[GENERAL]\nSKIN_URL=http://skins.example/\n"),
              (std::vector<std::string>{"0 Unsigned manifest",
                                        "2 SKIN_URL http://skins.example/ is not https: a strict build shows no skin page"}));
    const std::vector<std::string> sized = errors(kHeader + "URL_1=r.dll,,sha256:" + kHashA + "\n");
    EXPECT_NE(std::find(sized.begin(), sized.end(), "5 Missing size in manifest: r.dll,,sha256:" + kHashA), sized.end());
}
