#include "services/language_table.h"

#include <gtest/gtest.h>

TEST(LanguageTable, HoldsSixteenEntriesInTheServersOrder)
{
    const char* codes[] = {"EN", "DE", "IT", "SP", "PT", "FR", "CH", "JP",
                           "HE", "NL", "??", "EL", "TR", "RU", "SV", "DK"};
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(LanguageTable[i].id, i);
        EXPECT_STREQ(LanguageTable[i].code, codes[i]);
        EXPECT_EQ(LanguageIdFromCode(codes[i]), i) << codes[i];
    }
}

TEST(LanguageIdFromCode, OnlyExactCodesMatch)
{
    for (const char* code : {"en", "Dk", " EN", "EN ", "ENG", "E", "", "XX", "English"})
        EXPECT_EQ(LanguageIdFromCode(code), -1) << '"' << code << '"';
    EXPECT_EQ(LanguageIdFromCode(std::string("EN\0", 3)), -1);
}

TEST(IsEqual, ComparesLengthAndEveryByte)
{
    EXPECT_TRUE(IsEqual("", ""));
    EXPECT_TRUE(IsEqual("abc", "abc"));
    EXPECT_FALSE(IsEqual("abc", "abd"));
    EXPECT_FALSE(IsEqual("ab", "abc"));
    EXPECT_FALSE(IsEqual("abc", "ab"));
    EXPECT_FALSE(IsEqual("ABC", "abc"));
}
