// A manifest made from a release folder: its entries, their order and
// pieces, the template around them, and every refusal, which makes nothing.
#include "install/manifest_rules.h"
#include "install/manifest_signature.h"
#include "operator/code_page_names.h"
#include "operator/file_sha256.h"
#include "operator/manifest_maker.h"
#include "operator/manifest_signer.h"
#include "operator/release_folder.h"
#include "operator/rsa_keys.h"
#include "store/ini_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const std::string kHashOfAbc = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";

// A scratch release folder, removed with its files.
class ReleaseFolder {
public:
    ReleaseFolder()
    {
        char pattern[] = "/tmp/release-XXXXXX";
        ms_path = mkdtemp(pattern) ? pattern : "";
    }
    ~ReleaseFolder() { fs::remove_all(ms_path); }
    const std::string& Path() const { return ms_path; }
    void Add(const std::string& name, const std::string& bytes = "abc") const
    {
        const fs::path path = fs::path(ms_path) / name;
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
    }

private:
    std::string ms_path;
};

struct Made {
    bool made;
    std::string text;
    std::vector<std::string> refusals;
};

Made Make(const ReleaseFolder& folder, const std::string& template_text = "", const std::string& prefix = "",
          unsigned code_page = 1252)
{
    MakeOptions options;
    options.template_text = template_text;
    options.host = "files.example";
    options.prefix = prefix;
    options.names = CodePageNames(code_page);
    Made made{false, "", {}};
    std::vector<ReleaseFile> files;
    if (!ListReleaseFolder(folder.Path(), code_page, "", files, made.refusals))
        return made;
    const ReadFileHash hash = [](const std::string& path, ServedFile& file) {
        return FileSha256(path, file.sha256, file.size);
    };
    made.made = MakeManifest(files, options, hash, made.text, made.refusals);
    return made;
}

// The hash and size pieces of a file of "abc".
std::string Pieces() { return ",sha256:" + kHashOfAbc + ",size:3"; }

TEST(ManifestMaker, ListsEveryFileInTheOrderTheInstallerFetchesThem)
{
    ReleaseFolder folder;
    for (const char* name : {"casino.exe", "Extract.dll", "media/pictures.7z", "Sounds/big win.wav",
                             "Games/Table Games/roulette.dll", "readme.txt", "Games/casino.exe"})
        folder.Add(name);
    const Made made = Make(folder, "", "client/1.4/");
    ASSERT_TRUE(made.made) << testing::PrintToString(made.refusals);
    EXPECT_EQ(made.text, "[URLS]\n"
                         "SERVER_ADDR=files.example\n"
                         "URL_1#Extract.dll=client/1.4/Extract.dll," + Pieces() + "\n"
                         "URL_2#roulette.dll=client/1.4/Games/Table Games/roulette.dll,Games\\Table Games" + Pieces() + "\n"
                         "URL_3#casino.exe=client/1.4/Games/casino.exe,Games" + Pieces() + "\n"
                         "URL_4#big win.wav=client/1.4/Sounds/big win.wav,Sounds" + Pieces() + "\n"
                         "URL_5#pictures.7z=client/1.4/media/pictures.7z,media" + Pieces() + "\n"
                         "URL_6#readme.txt=client/1.4/readme.txt," + Pieces() + "\n"
                         "URL_7#casino.exe=client/1.4/casino.exe," + Pieces() + "\n");
}

TEST(ManifestMaker, KeysArePaddedSoThatTheirByteOrderIsTheFetchOrder)
{
    ReleaseFolder folder;
    folder.Add("Extract.dll");
    folder.Add("casino.exe");
    for (int i = 0; i < 10; ++i)
        folder.Add("data/" + std::string(1, static_cast<char>('a' + i)) + ".bin");
    folder.Add("data/==.bin");
    const Made made = Make(folder);
    ASSERT_TRUE(made.made) << testing::PrintToString(made.refusals);
    IniFile document;
    document.Parse(made.text);
    std::vector<std::string> keys, values;
    document.GetSection("URLS", keys, values);
    ASSERT_EQ(keys.size(), 14u);
    EXPECT_EQ(keys[0], "SERVER_ADDR");
    EXPECT_EQ(keys[1], "URL_01#Extract.dll");
    EXPECT_EQ(keys[2], "URL_02#.bin"); // "=" would end the key
    EXPECT_EQ(values[2], "data/==.bin,data" + Pieces());
    EXPECT_EQ(keys[3], "URL_03#a.bin");
    EXPECT_EQ(keys[12], "URL_12#j.bin");
    EXPECT_EQ(keys[13], "URL_13#casino.exe");
    EXPECT_EQ(EntryKey(7, 800, "x.dll"), "URL_007#x.dll");
    EXPECT_EQ(EntryKey(800, 800, "=="), "URL_800");
}

TEST(ManifestMaker, FillsTheTemplateAndKeepsEveryOtherByte)
{
    ReleaseFolder folder;
    folder.Add("a.dll");
    const std::string general = "# Karvelo\r\n[GENERAL]\r\nBRAND_NAME=Karvelo Casino\r\n";
    const std::string reg = "[REG]\r\nVolume=D:80\r\n";
    // SERVER_ADDR replaced where it stands, the rest of [URLS] kept.
    EXPECT_EQ(Make(folder, general + "[URLS]\r\nSERVER_SCHEME=https\r\n SERVER_ADDR=old.example \r\n"
                                     "PARALLEL_DOWNLOADS=3\r\n# end of files\r\n" + reg).text,
              general + "[URLS]\r\nSERVER_SCHEME=https\r\n SERVER_ADDR=files.example \r\nPARALLEL_DOWNLOADS=3\r\n"
                        "URL_1#a.dll=a.dll," + Pieces() + "\r\n# end of files\r\n" + reg);
    // SERVER_ADDR added under the last [URLS] header; an old signature goes.
    EXPECT_EQ(Make(folder, "[URLS]\nSERVER_SCHEME=https\n[REG]\nA=S:1\n[URLS]\n#signature=rsa-sha256:QUJD\n").text,
              "[URLS]\nSERVER_SCHEME=https\n[REG]\nA=S:1\n[URLS]\nSERVER_ADDR=files.example\n"
              "URL_1#a.dll=a.dll," + Pieces() + "\n");
    // No [URLS]: one at the end, after a last line without its line break.
    EXPECT_EQ(Make(folder, "[GENERAL]\nBRAND_NAME=B").text,
              "[GENERAL]\nBRAND_NAME=B\n[URLS]\nSERVER_ADDR=files.example\nURL_1#a.dll=a.dll," + Pieces() + "\n");
}

TEST(ManifestMaker, RefusesWhatTheInstallerRefusesWithTheCheckersTextAndMakesNothing)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"aux.wav", "aux.wav: Unsafe path in manifest: aux.wav,"},
        {"Sounds/COM\xC2\xB9.txt", "Sounds/COM\xC2\xB9.txt: Unsafe path in manifest: Sounds/COM\xB9.txt,Sounds"},
        {"con/a.txt", "con/a.txt: Unsafe path in manifest: con/a.txt,con"},
        {"x.dll.part", "x.dll.part: Unsafe path in manifest: x.dll.part,"},
        {"PROGRA~1", "PROGRA~1: Unsafe path in manifest: PROGRA~1,"},
        {"Uninstall.EXE", "Uninstall.EXE: Unsafe path in manifest: Uninstall.EXE,"},
        {"dot./a.txt", "dot./a.txt: Unsafe path in manifest: dot./a.txt,dot."},
        {"\xE4\xB8\xAD.txt", "\xE4\xB8\xAD.txt: a name outside code page 1252, which the installer's system cannot hold"},
        {"a,b.txt", "a,b.txt: \",\", \"?\", \"#\" and \"%\" cannot stand in a manifest's request path: a,b.txt"},
        {"what?.txt", "what?.txt: \",\", \"?\", \"#\" and \"%\" cannot stand in a manifest's request path: what?.txt"},
        {"a|b.txt", "a|b.txt: Windows cannot name a file with * \" < > | or \\: a|b.txt"},
        {"a\\b.txt", "a\\b.txt: Windows cannot name a file with * \" < > | or \\: a\\b.txt"},
    };
    for (const auto& [name, refusal] : cases) {
        ReleaseFolder folder;
        folder.Add("Extract.dll");
        folder.Add(name);
        const Made made = Make(folder);
        EXPECT_FALSE(made.made) << name;
        EXPECT_EQ(made.text, "") << name;
        EXPECT_EQ(made.refusals, std::vector<std::string>{refusal}) << name;
    }
}

TEST(ManifestMaker, JudgesNamesInTheCodePageTheOperatorNames)
{
    ReleaseFolder folder;
    folder.Add("\xE4\xB8\xAD.txt"); // U+4E2D, in code page 936 but not in 1252
    folder.Add("Sounds/sub/uninstall.exe"); // the uninstaller's place is the top only
    const Made made = Make(folder, "", "", 936);
    ASSERT_TRUE(made.made) << testing::PrintToString(made.refusals);
    EXPECT_NE(made.text.find("=\xD6\xD0.txt,,"), std::string::npos) << made.text;
    EXPECT_NE(made.text.find("=Sounds/sub/uninstall.exe,Sounds\\sub,"), std::string::npos) << made.text;
    // In code page 932 the second byte of U+30BD is "\\": a name, not a separator.
    ReleaseFolder japanese;
    japanese.Add("\xE3\x82\xBD/\xE3\x82\xBD.txt");
    const Made made_932 = Make(japanese, "", "", 932);
    ASSERT_TRUE(made_932.made) << testing::PrintToString(made_932.refusals);
    EXPECT_NE(made_932.text.find("=\x83\x5C/\x83\x5C.txt,\x83\x5C,"), std::string::npos) << made_932.text;
}

TEST(ManifestMaker, RefusesAWholeThatTheCheckerWouldRefuse)
{
    ReleaseFolder folder;
    folder.Add("pictures.7z");
    EXPECT_EQ(Make(folder).refusals,
              std::vector<std::string>{"line 3 of the made manifest: URL_1#pictures.7z fetches an archive before "
                                       "Extract.dll, which unpacks it (keys are fetched in byte order: URL_10 before "
                                       "URL_2)"});
    folder.Add("Extract.dll");
    EXPECT_EQ(Make(folder, "[GENERAL]\nBRAND_NAME=Microsoft\n").refusals,
              std::vector<std::string>{"line 2 of the made manifest: Unsafe brand name in manifest: Microsoft"});
    EXPECT_EQ(Make(folder, "[URLS]\nURL_9=old.dll\n").refusals,
              std::vector<std::string>{"the template lists a file already: URL_9"});
    ReleaseFolder empty;
    EXPECT_EQ(Make(empty).refusals, std::vector<std::string>{"the release folder holds no file"});
}

TEST(ManifestMaker, RefusesLinksToFoldersAndLeavesOutTheManifestItself)
{
    ReleaseFolder folder;
    folder.Add("a.dll");
    folder.Add("manifest.ini");
    fs::create_directory_symlink("/tmp", fs::path(folder.Path()) / "linked");
    std::vector<ReleaseFile> files;
    std::vector<std::string> refusals;
    EXPECT_FALSE(ListReleaseFolder(folder.Path(), 1252, folder.Path() + "/./manifest.ini", files, refusals));
    EXPECT_EQ(refusals, std::vector<std::string>{"linked: a link to a folder, which servers follow or not as they are"
                                                 " set up"});
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].path, "a.dll");
}

TEST(ManifestMaker, WhatItMakesPassesTheStrictCheckOnceSigned)
{
    ReleaseFolder folder;
    folder.Add("Extract.dll", "library");
    folder.Add("casino.exe", "client");
    folder.Add("Games/big win.wav", std::string(5000, 'x'));
    folder.Add("media/pictures.7z", "archive");
    const Made made = Make(folder, "[GENERAL]\nBRAND_NAME=Made Casino\n[URLS]\nSERVER_SCHEME=https\n", "client");
    ASSERT_TRUE(made.made) << testing::PrintToString(made.refusals);
    std::string error;
    const RsaKey key = ReadPrivateKey(std::string(DEMO_KEYS_DIR) + "/demo.key.pem", error);
    const RsaKey public_key = ReadPublicKey(std::string(DEMO_KEYS_DIR) + "/demo.pub.pem", error);
    ASSERT_TRUE(key && public_key) << error;
    std::string signed_text;
    ASSERT_TRUE(SignManifest(made.text, Freshness{"5", "2025-12-31"},
                             [&key](std::string_view covered, std::string& signature) {
                                 return SignSha256(key.get(), covered, signature);
                             },
                             signed_text, error)) << error;
    const std::string root = folder.Path();
    const ServedFiles files = [root](const std::string& path, ServedFile& file) {
        return path.compare(0, 7, "client/") == 0 && FileSha256(root + "/" + path.substr(7), file.sha256, file.size);
    };
    CheckOptions options;
    options.files = &files;
    options.strict = true;
    ReadDate("2025-06-15", options.today);
    options.verify = [&public_key](std::string_view covered, const std::string& signature) {
        return VerifySha256(public_key.get(), covered, signature);
    };
    const std::vector<Finding> findings = CheckManifest(signed_text, options);
    for (const Finding& finding : findings)
        ADD_FAILURE() << finding.line << ": " << finding.text;
}

} // namespace
