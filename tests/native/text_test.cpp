#include "services/text.h"

#include <gtest/gtest.h>

#include <limits>

using Pieces = std::vector<std::string>;

static Pieces SplitOf(const std::string& text, const std::string& delimiter, int max_splits = 0)
{
    Pieces pieces{"stale"};
    Split(pieces, text, delimiter, max_splits);
    return pieces;
}

TEST(Split, KeepsEmptyPiecesBetweenAndAfterDelimiters)
{
    EXPECT_EQ(SplitOf("a,b,,c", ","), (Pieces{"a", "b", "", "c"}));
    EXPECT_EQ(SplitOf("a,b,", ","), (Pieces{"a", "b", ""}));
    EXPECT_EQ(SplitOf(",", ","), (Pieces{"", ""}));
    EXPECT_EQ(SplitOf("abc", ","), (Pieces{"abc"}));
}

TEST(Split, EmptyTextOrDelimiterGivesNoPieces)
{
    EXPECT_TRUE(SplitOf("", ",").empty());
    EXPECT_TRUE(SplitOf("a,b", "").empty());
}

TEST(Split, MaximumLimitsTheNumberOfCuts)
{
    EXPECT_EQ(SplitOf("k=v=w", "=", 1), (Pieces{"k", "v=w"}));
    EXPECT_EQ(SplitOf("a|b|c|d", "|", 2), (Pieces{"a", "b", "c|d"}));
    EXPECT_EQ(SplitOf("a|b", "|", -1), (Pieces{"a|b"}));
}

TEST(Split, MultiCharacterDelimiterMatchesOnlyTheWholePair)
{
    EXPECT_EQ(SplitOf("a:b::c:", "::"), (Pieces{"a:b", "c:"}));
    EXPECT_EQ(SplitOf(":::", "::"), (Pieces{"", ":"}));
}

static std::string TrimOf(const std::string& text)
{
    std::string out = "stale";
    return Trim(text, out);
}

TEST(Trim, RemovesTheSixWhiteSpaceCharactersAtBothEnds)
{
    std::string out;
    EXPECT_EQ(&Trim(" a ", out), &out);
    EXPECT_EQ(TrimOf("  key \t"), "key");
    EXPECT_EQ(TrimOf("\v\fvalue\r\n"), "value");
    EXPECT_EQ(TrimOf("a b"), "a b");
    EXPECT_EQ(TrimOf("x"), "x");
}

TEST(Trim, WhiteSpaceOnlyOrEmptyGivesEmpty)
{
    EXPECT_EQ(TrimOf("   \r\n "), "");
    EXPECT_EQ(TrimOf(""), "");
}

TEST(Trim, HighBytesAndOtherControlsAreNotWhiteSpace)
{
    EXPECT_EQ(TrimOf("\xA0name\xA0"), "\xA0name\xA0");
    EXPECT_EQ(TrimOf(" \x85x\x85 "), "\x85x\x85");
    EXPECT_EQ(TrimOf(std::string("\0a\0", 3)), std::string("\0a\0", 3));
}

TEST(EndsWith, ComparesTheWholeSuffixCaseSensitively)
{
    EXPECT_TRUE(EndsWith("sounds.7z", ".7z"));
    EXPECT_TRUE(EndsWith(".7z", ".7z"));
    EXPECT_FALSE(EndsWith("sounds.7Z", ".7z"));
    EXPECT_FALSE(EndsWith("readme.7z.txt", ".7z"));
    EXPECT_FALSE(EndsWith("7z", ".7z"));
    EXPECT_TRUE(EndsWith("anything", ""));
}

TEST(LeadingNumber, ReadsLikeAtoiButSixtyFourBitsWide)
{
    EXPECT_EQ(LeadingNumber("12345abc"), 12345);
    EXPECT_EQ(LeadingNumber(" \t+77"), 77);
    EXPECT_EQ(LeadingNumber("-5"), -5);
    EXPECT_EQ(LeadingNumber(""), 0);
    EXPECT_EQ(LeadingNumber("abc"), 0);
    EXPECT_EQ(LeadingNumber("- 5"), 0);
    EXPECT_EQ(LeadingNumber("3000000000"), 3000000000LL);
    EXPECT_EQ(LeadingNumber("000000000000000000000000000000000000042"), 42);
}

TEST(LeadingNumber, HoldsAtTheLimitsInsteadOfOverflowing)
{
    EXPECT_EQ(LeadingNumber("9223372036854775807"), std::numeric_limits<long long>::max());
    EXPECT_EQ(LeadingNumber("9223372036854775808"), std::numeric_limits<long long>::max());
    EXPECT_EQ(LeadingNumber("99999999999999999999999"), std::numeric_limits<long long>::max());
    EXPECT_EQ(LeadingNumber("-99999999999999999999999"), std::numeric_limits<long long>::min());
}

TEST(ClampToInt, HoldsBarPositionsWithinInt)
{
    EXPECT_EQ(ClampToInt(3000000000LL / 1024), 2929687);
    EXPECT_EQ(ClampToInt(1LL << 45), std::numeric_limits<int>::max());
    EXPECT_EQ(ClampToInt(-(1LL << 45)), std::numeric_limits<int>::min());
    EXPECT_EQ(ClampToInt(-1), -1);
}

TEST(AsciiUpper, OnlyTheAsciiLettersChange)
{
    EXPECT_EQ(AsciiUpper("Wow6432Node https:x_z@[`{"), "WOW6432NODE HTTPS:X_Z@[`{");
    EXPECT_EQ(AsciiUpper("caf\xE9 \xC2\xB9\xFF"), "CAF\xE9 \xC2\xB9\xFF");
}
