#include "services/registry_entry.h"

#include <gtest/gtest.h>

namespace {

RegistryEntry Parsed(const std::string& key, const std::string& value)
{
    RegistryEntry entry{RegistryEntry::kText, "stale", "stale", 99, "stale"};
    EXPECT_TRUE(ParseRegistryEntry(key, value, entry)) << key << "=" << value;
    return entry;
}

bool Skipped(const std::string& key, const std::string& value)
{
    RegistryEntry entry;
    return !ParseRegistryEntry(key, value, entry);
}

} // namespace

TEST(DecimalLow32, ReadsLikeAtoiAndKeepsTheLow32Bits)
{
    EXPECT_EQ(DecimalLow32("3"), 3u);
    EXPECT_EQ(DecimalLow32("12abc"), 12u);
    EXPECT_EQ(DecimalLow32("-1"), 0xFFFFFFFFu);
    EXPECT_EQ(DecimalLow32(" \t+42"), 42u);
    EXPECT_EQ(DecimalLow32("abc"), 0u);
    EXPECT_EQ(DecimalLow32(""), 0u);
    EXPECT_EQ(DecimalLow32("- 5"), 0u);
    EXPECT_EQ(DecimalLow32("4294967295"), 0xFFFFFFFFu);
    EXPECT_EQ(DecimalLow32("4294967296"), 0u);
    EXPECT_EQ(DecimalLow32("99999999999999999999999"), 4135583743u);
}

TEST(ParseRegistryEntry, NumbersAndTextsDirectlyOrInSubKeys)
{
    RegistryEntry a = Parsed("A", "D:3");
    EXPECT_EQ(a.type, RegistryEntry::kNumber);
    EXPECT_EQ(a.sub_key, "");
    EXPECT_EQ(a.value_name, "A");
    EXPECT_EQ(a.number, 3u);

    RegistryEntry sub = Parsed("Sub/A", "D:-1");
    EXPECT_EQ(sub.sub_key, "Sub");
    EXPECT_EQ(sub.value_name, "A");
    EXPECT_EQ(sub.number, 0xFFFFFFFFu);

    RegistryEntry b = Parsed("B", "S:some text ");
    EXPECT_EQ(b.type, RegistryEntry::kText);
    EXPECT_EQ(b.text, "some text ");
}

TEST(ParseRegistryEntry, EmptyDataGivesZeroOrEmptyText)
{
    EXPECT_EQ(Parsed("A", "D:").number, 0u);
    EXPECT_EQ(Parsed("B", "S:").text, "");
}

TEST(ParseRegistryEntry, SlashesAtEitherEnd)
{
    RegistryEntry leading = Parsed("/Top", "D:4");
    EXPECT_EQ(leading.sub_key, "");
    EXPECT_EQ(leading.value_name, "Top");

    RegistryEntry trailing = Parsed("Dir/", "S:default");
    EXPECT_EQ(trailing.sub_key, "Dir");
    EXPECT_EQ(trailing.value_name, "");
}

TEST(ParseRegistryEntry, MoreSeparatorsThanTheFormatHas)
{
    RegistryEntry deep = Parsed("a/b/c", "D:9");
    EXPECT_EQ(deep.sub_key, "");
    EXPECT_EQ(deep.value_name, "a");
    EXPECT_TRUE(Skipped("Path", "S:C:\\Games"));
}

TEST(ParseRegistryEntry, SkipsUnknownTypesExactly)
{
    EXPECT_TRUE(Skipped("B", "X:text"));
    EXPECT_TRUE(Skipped("B", "text"));
    EXPECT_TRUE(Skipped("B", "d:1"));
    EXPECT_TRUE(Skipped("B", "s:x"));
    EXPECT_TRUE(Skipped("B", " D:1"));
    EXPECT_TRUE(Skipped("B", "DD:1"));
    EXPECT_TRUE(Skipped("B", ":1"));
}
