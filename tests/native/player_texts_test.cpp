#include "base/player_texts.h"
#include "services/language_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using player_texts::kLanguageColumns;
using player_texts::kLanguages;

std::vector<TextId> AllTexts()
{
    std::vector<TextId> ids;
    for (int i = 0; i < static_cast<int>(TextId::kCount); ++i)
        ids.push_back(static_cast<TextId>(i));
    return ids;
}

// The argument places of a text, sorted ("%2 %1" and "%1 %2" take the same).
std::vector<char> Places(const std::string& text)
{
    std::vector<char> places;
    for (size_t i = 0; i + 1 < text.size(); ++i)
        if (text[i] == '%' && text[i + 1] >= '1' && text[i + 1] <= '9')
            places.push_back(text[++i]);
    std::sort(places.begin(), places.end());
    return places;
}

bool IsUtf8(const std::string& text)
{
    for (size_t i = 0; i < text.size();) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        const size_t length = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3 : (lead >> 3) == 30 ? 4 : 0;
        if (length == 0 || i + length > text.size())
            return false;
        for (size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        i += length;
    }
    return true;
}

size_t Count(const std::string& text, char c) { return static_cast<size_t>(std::count(text.begin(), text.end(), c)); }

} // namespace

TEST(PlayerTexts, EveryTextInEveryLanguageTakesTheSameArgumentsAndLines)
{
    for (TextId id : AllTexts()) {
        const std::string english = EnglishText(id);
        for (const auto& language : kLanguageColumns) {
            const std::string text = PlayerTextUtf8(id, language.id);
            const std::string where = "text " + std::to_string(static_cast<int>(id)) + ", language "
                + std::to_string(language.id) + ": " + text;
            EXPECT_FALSE(text.empty()) << where;
            EXPECT_TRUE(IsUtf8(text)) << where;
            EXPECT_EQ(Places(text), Places(english)) << where;
            // A box's lines stay its lines, and no stray control byte or
            // unfilled place shows.
            EXPECT_EQ(Count(text, '\n'), Count(english, '\n')) << where;
            EXPECT_EQ(Count(text, '\r'), Count(english, '\r')) << where;
            EXPECT_EQ(Count(text, '%'), Places(text).size()) << where;
            EXPECT_EQ(std::count_if(text.begin(), text.end(),
                                    [](char c) { return c != '\r' && c != '\n' && static_cast<unsigned char>(c) < 0x20; }),
                      0)
                << where;
            // The developer's names stay in the English boxes only.
            if (language.id != player_texts::kEnglish)
                EXPECT_EQ(text.find("Listener"), std::string::npos) << where;
        }
    }
}

TEST(PlayerTexts, OneColumnForEachFlagAndOnlyHebrewReadsRightToLeft)
{
    const char* flags[] = {"EN", "DE", "IT", "SP", "FR", "CH", "JP", "HE", "NL", "EL", "TR", "RU", "SV", "DK"};
    ASSERT_EQ(std::size(flags), static_cast<size_t>(kLanguages));
    for (int column = 0; column < kLanguages; ++column) {
        EXPECT_EQ(kLanguageColumns[column].id, LanguageIdFromCode(flags[column])) << flags[column];
        EXPECT_EQ(IsRightToLeft(kLanguageColumns[column].id), std::string(flags[column]) == "HE") << flags[column];
    }
    // Languages without a flag, and anything else, read English.
    for (int stranger : {-1, 4, 10, 16, 1000})
        for (TextId id : AllTexts())
            EXPECT_STREQ(PlayerTextUtf8(id, stranger), EnglishText(id)) << stranger;
    EXPECT_STREQ(PlayerTextUtf8(TextId::kYes, 13), "Да");
    EXPECT_STREQ(PlayerTextUtf8(TextId::kCancel, 8), "ביטול");
}

TEST(PlayerTexts, EnglishIsTheInstallersOwnWordingByteForByte)
{
    EXPECT_EQ(FillText(EnglishText(TextId::kCasinoInstallation), {}), "Casino Installation");
    EXPECT_EQ(FillText(EnglishText(TextId::kBrandInstallation), {"Karvelo Casino"}), "Karvelo Casino Installation");
    EXPECT_EQ(FillText(EnglishText(TextId::kDownloading), {"Roulette"}), "Downloading: Roulette");
    EXPECT_EQ(FillText(EnglishText(TextId::kDownloadedFiles), {"1", "2"}), "Downloaded 1 of 2 files");
    EXPECT_EQ(FillText(EnglishText(TextId::kDownloadedFiles), {"12345", "99999"}), "Downloaded 12345 of 99999 files");
    EXPECT_EQ(FillText(EnglishText(TextId::kExtracting), {"Games"}), "Extracting: Games");
    EXPECT_STREQ(EnglishText(TextId::kContinueQuestion), "Do you want to continue the installation? ");
    EXPECT_STREQ(EnglishText(TextId::kCancel), "Cancel");
    EXPECT_STREQ(EnglishText(TextId::kRetriesExhausted), "Error retry_count==5");
    EXPECT_STREQ(EnglishText(TextId::kManifestFailed), "IniFileDownloaderListener::OnError()");
    EXPECT_STREQ(EnglishText(TextId::kFileFailed), "ResourceFileDownloaderListener::OnError()");
    EXPECT_STREQ(EnglishText(TextId::kFileNotWritten), "Error in ResourceFileDownloaderListener::OnRecv()");
    EXPECT_STREQ(EnglishText(TextId::kNoExtractLibrary), "Can't load Extract dll");
    EXPECT_EQ(FillText(EnglishText(TextId::kArchiveFailed), {"C:\\a.7z", "Data error"}), "C:\\a.7z\nError:Data error");
    EXPECT_EQ(FillText(EnglishText(TextId::kPageFailed), {"CoCreateInstance"}), "CoCreateInstance failed");
    EXPECT_STREQ(EnglishText(TextId::kClientRunning), "Casino Program is running...\r\nPlease exit it before continue");
    EXPECT_STREQ(EnglishText(TextId::kClientRunningAbort), "Casino Program is running...\r\nInstalation Abort");
    EXPECT_EQ(FillText(EnglishText(TextId::kUninstallQuestion), {"Karvelo"}), "Remove Karvelo and all its files?");
}

TEST(PlayerTexts, FillingPutsEachArgumentInItsPlaceOnce)
{
    EXPECT_EQ(FillText("%2 before %1", {"one", "two"}), "two before one");
    // An argument is never read as a pattern: a file named "%1" stays so.
    EXPECT_EQ(FillText("Downloading: %1", {"%1%2"}), "Downloading: %1%2");
    EXPECT_EQ(FillText("%1 and %2", {"only"}), "only and ");
    EXPECT_EQ(FillText("100% sure, %", {"x"}), "100% sure, %");
    EXPECT_EQ(FillText("%1", {std::string("a\0b", 3)}), std::string("a\0b", 3));
}

TEST(PlayerTexts, ARefusalIsReadBackWithItsDetail)
{
    const std::initializer_list<TextId> refusals = {TextId::kUnsafePath, TextId::kUnsignedManifest,
                                                    TextId::kOutdatedManifest};
    TextId id = TextId::kCount;
    std::string detail;
    ASSERT_TRUE(ReadEnglishText("Unsafe path in manifest: a/../b,,x", refusals, id, detail));
    EXPECT_EQ(id, TextId::kUnsafePath);
    EXPECT_EQ(detail, "a/../b,,x");
    ASSERT_TRUE(ReadEnglishText("Unsigned manifest", refusals, id, detail));
    EXPECT_EQ(id, TextId::kUnsignedManifest);
    EXPECT_EQ(detail, "");
    ASSERT_TRUE(ReadEnglishText("Outdated manifest: ", refusals, id, detail));
    EXPECT_EQ(detail, "");
    for (const char* other : {"Unsigned manifest!", "Unsafe path in manifest", "unsafe path in manifest: x", ""})
        EXPECT_FALSE(ReadEnglishText(other, refusals, id, detail)) << other;
}

TEST(PlayerTexts, TheChosenLanguageIsKeptForTheProcess)
{
    EXPECT_EQ(PlayerLanguage(), player_texts::kEnglish);
    SetPlayerLanguage(13);
    EXPECT_EQ(PlayerLanguage(), 13);
    SetPlayerLanguage(player_texts::kEnglish);
}
