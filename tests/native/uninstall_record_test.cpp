#include "install/uninstall_record.h"
#include "store/ini_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

UninstallRecord Parsed(const std::string& text)
{
    UninstallRecord record;
    EXPECT_TRUE(ParseUninstallRecord(text, record)) << text;
    return record;
}

std::vector<std::string> PlacedFilesOf(const std::string& manifest_text)
{
    IniFile manifest;
    manifest.Parse(manifest_text);
    return PlacedFiles(manifest);
}

} // namespace

TEST(UninstallRecord, WrittenAndReadBack)
{
    UninstallRecord record;
    record.created = true;
    AddRecordedFile(record, "casino.exe");
    AddRecordedFile(record, "Data\\Bin\\two.bin");
    record.key_existed = false;
    AddRecordedValue(record, "Settings/volume");
    AddRecordedValue(record, "Settings/volume");
    const std::string text = FormatUninstallRecord(record);
    EXPECT_EQ(text, "[UNINSTALL]\nCREATED=1\nKEY_EXISTED=0\nENTRY=1\nLANGUAGE=0\n[VALUES]\nVALUE_1=Settings/volume\n"
                    "[FILES]\nFILE_1=casino.exe\nFILE_2=Data\\Bin\\two.bin\n");
    const UninstallRecord back = Parsed(text);
    EXPECT_TRUE(back.created);
    EXPECT_FALSE(back.key_existed);
    EXPECT_TRUE(back.entry);
    EXPECT_EQ(back.files, record.files);
    EXPECT_EQ(back.values, std::vector<std::string>{"Settings/volume"});
    EXPECT_FALSE(Parsed("[UNINSTALL]\r\nCREATED=0\r\nENTRY=0\r\n").entry);
    EXPECT_EQ(FormatUninstallRecord(UninstallRecord()),
              "[UNINSTALL]\nCREATED=0\nKEY_EXISTED=1\nENTRY=1\nLANGUAGE=0\n[VALUES]\n[FILES]\n");
}

// A record written before the installer noted what was there: the key
// counts as there before (only the installer's values go), the entry is
// judged by its command; a flag that is not 0 or 1 reads the same way.
TEST(UninstallRecord, AnOlderRecordClaimsNoKeyAsItsOwn)
{
    for (const char* text : {"[UNINSTALL]\nCREATED=1\n[FILES]\nFILE_1=casino.exe\n",
                             "[UNINSTALL]\nCREATED=1\nKEY_EXISTED=no\nENTRY=\n"}) {
        const UninstallRecord record = Parsed(text);
        EXPECT_TRUE(record.created) << text;
        EXPECT_TRUE(record.key_existed) << text;
        EXPECT_TRUE(record.entry) << text;
        EXPECT_TRUE(record.values.empty()) << text;
    }
    UninstallRecord record;
    AddRecordedValue(record, "");
    AddRecordedValue(record, "a\nFILE_9=x");
    EXPECT_TRUE(record.values.empty());
}

TEST(UninstallRecord, WithoutAPlainCreatedItIsNoRecord)
{
    UninstallRecord record;
    record.created = true;
    for (const char* text : {"", "[UNINSTALL]\nCREATED=yes\n", "[UNINSTALL]\nCREATED=2\n", "[UNINSTALL]\nCREATED= 1\n",
                             "[uninstall]\nCREATED=1\n", "CREATED=1\n[FILES]\nFILE_1=casino.exe\n",
                             "\xEF\xBB\xBF[UNINSTALL]\nCREATED=1\n"}) {
        EXPECT_FALSE(ParseUninstallRecord(text, record)) << text;
        EXPECT_FALSE(record.created);
        EXPECT_TRUE(record.files.empty());
    }
}

TEST(UninstallRecord, ReadsOnlyFileKeysOfItsSectionsAndTheFirstOfTwins)
{
    const UninstallRecord record = Parsed("[UNINSTALL]\nCREATED=1\nCREATED=0\nFILE_9=misplaced.txt\n[FILES]\n"
                                          "FILE_2=b.txt\nFILE_1=a.txt\nFILE_1=twin.txt\nOTHER=c.txt\nfile_3=d.txt\n"
                                          "FILE_=e.txt\n# FILE_4=f.txt\n[MORE]\nFILE_5=g.txt\n");
    EXPECT_TRUE(record.created);
    EXPECT_EQ(record.files, (std::vector<std::string>{"e.txt", "a.txt", "b.txt"}));
}

TEST(UninstallRecord, PathsThatLeaveTheFolderOrNameTheUninstallerAreRefused)
{
    const std::string record_text = "[UNINSTALL]\nCREATED=1\n[FILES]\n";
    const std::vector<std::string> refused = {
        "..\\Other Casino\\casino.exe", "Data\\..\\..\\x", "\\Windows\\win.ini", "/etc/x", "C:\\boot.ini",
        "C:x", "casino.exe:stream", "Data\\con", "NUL.txt", "\\\\server\\share\\x", "uninstall.exe",
        ".\\UNINSTALL.INI", "Uninstall.Exe", ".", "\\", "", "x.", "...\\x",
    };
    std::string text = record_text;
    for (size_t i = 0; i < refused.size(); ++i) {
        EXPECT_FALSE(IsRemovableRecordedPath(refused[i])) << refused[i];
        text += "FILE_" + std::to_string(i + 1) + "=" + refused[i] + "\n";
    }
    text += "FILE_99=Data\\uninstall.exe\n";
    const UninstallRecord record = Parsed(text);
    EXPECT_EQ(record.files, std::vector<std::string>{"Data\\uninstall.exe"});
    // The empty value drops its line before the record sees it.
    EXPECT_EQ(record.refused.size(), refused.size() - 1);
    EXPECT_FALSE(IsRemovableRecordedPath("trailing "));
    // A NUL ends the name the system sees: "..\0" would name the folder above.
    for (const std::string& cut : {std::string("..\0", 3), std::string("Data\\..\0", 8), std::string("a\tb")})
        EXPECT_FALSE(IsRemovableRecordedPath(cut)) << cut;
    for (const char* kept : {"casino.exe", "Data/Bin/two.bin", "a..b\\c", ".hidden", "uninstall.exe.old"})
        EXPECT_TRUE(IsRemovableRecordedPath(kept)) << kept;
}

TEST(UninstallRecord, EachFileOnceInItsPlainSpelling)
{
    UninstallRecord record;
    AddRecordedFile(record, "Data/Bin//two.bin");
    AddRecordedFile(record, "data\\bin\\TWO.BIN");
    AddRecordedFile(record, ".\\Data\\.\\Bin\\two.bin\\");
    AddRecordedFile(record, "casino.exe");
    AddRecordedFile(record, "CASINO.EXE");
    EXPECT_EQ(record.files, (std::vector<std::string>{"Data\\Bin\\two.bin", "casino.exe"}));
}

TEST(UninstallRecord, ARerunKeepsCreatedAndAddsWhatIsNew)
{
    UninstallRecord record = Parsed("[UNINSTALL]\nCREATED=0\n[FILES]\nFILE_1=casino.exe\nFILE_2=old.dll\n");
    for (const std::string& file : PlacedFilesOf("[URLS]\nURL_1=client/casino.exe\nURL_2=games/r.dll,Games\n"))
        AddRecordedFile(record, file);
    EXPECT_EQ(FormatUninstallRecord(record),
              "[UNINSTALL]\nCREATED=0\nKEY_EXISTED=1\nENTRY=1\nLANGUAGE=0\n[VALUES]\n[FILES]\nFILE_1=casino.exe\n"
              "FILE_2=old.dll\nFILE_3=Games\\r.dll\n");
}

TEST(UninstallRecord, PlacedFilesAreTheEntriesTargetsArchivesAsThemselves)
{
    EXPECT_EQ(PlacedFilesOf("[URLS]\nSERVER_ADDR=files.example\nURL_1=Extract.dll\nURL_2#Games=games/r.dll,Games\\Ro\n"
                            "URL_3=pictures.7z,,sha256:x\nURL_4=\nMY_URL=x.wav\n[OTHER]\nURL_5=y.wav\n"),
              (std::vector<std::string>{"Extract.dll", "Games\\Ro\\r.dll", "pictures.7z"}));
    EXPECT_TRUE(PlacedFilesOf("[GENERAL]\nBRAND_NAME=x\n").empty());
}

TEST(UninstallRecord, TheUninstallersNamesAndTheFolderItself)
{
    for (const char* name : {"uninstall.exe", "UNINSTALL.INI", "Uninstall.Ini"})
        EXPECT_TRUE(IsUninstallFileName(name)) << name;
    for (const char* name : {"uninstall", "uninstall.exe.part", "xuninstall.exe", ""})
        EXPECT_FALSE(IsUninstallFileName(name)) << name;
    for (const char* folder : {"", ".", ".\\", "/./", "\\\\.\\"})
        EXPECT_TRUE(IsUninstallPlace(std::string(folder) + "\\uninstall.exe")) << folder;
    for (const char* folder : {"Data", ".\\Data", "..", "...", "Data\\.."})
        EXPECT_FALSE(IsUninstallPlace(std::string(folder) + "\\uninstall.exe")) << folder;
}

TEST(UninstallRecord, KeepsTheChosenLanguageAndReadsAnyOtherAsEnglish)
{
    UninstallRecord record;
    record.language = 11;
    const std::string text = FormatUninstallRecord(record);
    EXPECT_NE(text.find("\nLANGUAGE=11\n"), std::string::npos);
    EXPECT_EQ(Parsed(text).language, 11);
    // A record of an older installer has none.
    EXPECT_EQ(Parsed("[UNINSTALL]\nCREATED=1\n").language, 0);
    for (const char* stranger : {"16", "-1", "8x", "", "999999999999", "0x8", "+8"})
        EXPECT_EQ(Parsed(std::string("[UNINSTALL]\nCREATED=1\nLANGUAGE=") + stranger + "\n").language, 0) << stranger;
    EXPECT_EQ(Parsed("[UNINSTALL]\nCREATED=1\nLANGUAGE=08\n").language, 8);
}
