#include "store/ini_file.h"
#include "store/ini_parse_listener.h"

#include <gtest/gtest.h>

namespace {

std::string SerializeOf(const std::string& text)
{
    IniFile ini;
    ini.Parse(text);
    std::string out;
    return ini.Serialize(out);
}

struct Section {
    std::vector<std::string> keys, values;
};

Section SectionOf(const IniFile& ini, const std::string& name)
{
    Section section{{"stale"}, {"stale"}};
    ini.GetSection(name, section.keys, section.values);
    return section;
}

} // namespace

TEST(IniFile, EmptyTextGivesEmptyDocument)
{
    IniFile ini;
    ini.Parse("");
    EXPECT_EQ(ini.GetValue("", ""), "");
    EXPECT_EQ(ini.GetValue("GENERAL", "BRAND_NAME"), "");
    std::string out = "kept\n";
    EXPECT_EQ(ini.Serialize(out), "kept\n");
}

TEST(IniFile, LinesAreTrimmedButKeysAndValuesAreNot)
{
    IniFile ini;
    ini.Parse("[GENERAL]\n  key = value \t\nBRAND_NAME=Karvelo\r\n");
    EXPECT_EQ(ini.GetValue("GENERAL", "key"), "");
    EXPECT_EQ(ini.GetValue("GENERAL", "key "), " value");
    EXPECT_EQ(ini.GetValue("GENERAL", "BRAND_NAME"), "Karvelo");
}

TEST(IniFile, ValueKeepsEverythingAfterTheFirstEquals)
{
    IniFile ini;
    ini.Parse("[U]\na=b=c\nurl=/x?a=1&b=2\n");
    EXPECT_EQ(ini.GetValue("U", "a"), "b=c");
    EXPECT_EQ(ini.GetValue("U", "url"), "/x?a=1&b=2");
}

TEST(IniFile, SkipsMalformedLinesSilently)
{
    IniFile ini;
    ini.Parse("[S]\n=value\nkey=\nno equals\n\n   \n=\nok=1\n");
    const Section s = SectionOf(ini, "S");
    EXPECT_EQ(s.keys, (std::vector<std::string>{"ok"}));
    EXPECT_EQ(s.values, (std::vector<std::string>{"1"}));
}

TEST(IniFile, OnlyHashStartsAComment)
{
    IniFile ini;
    ini.Parse("[S]\n   # x=1\n#y=2\n;x=1\n");
    EXPECT_EQ(ini.GetValue("S", "# x"), "");
    EXPECT_EQ(ini.GetValue("S", "#y"), "");
    EXPECT_EQ(ini.GetValue("S", ";x"), "1");
}

TEST(IniFile, SectionHeadersAreTakenVerbatimAndCaseSensitively)
{
    IniFile ini;
    ini.Parse("[ GENERAL ]\na=1\n[General]\nb=2\n[GENERAL]\nc=3\n[]\nd=4\n");
    EXPECT_EQ(ini.GetValue(" GENERAL ", "a"), "1");
    EXPECT_EQ(ini.GetValue("GENERAL", "a"), "");
    EXPECT_EQ(ini.GetValue("General", "b"), "2");
    EXPECT_EQ(ini.GetValue("GENERAL", "b"), "");
    EXPECT_EQ(ini.GetValue("GENERAL", "c"), "3");
    EXPECT_EQ(ini.GetValue("", "d"), "4");
}

TEST(IniFile, BrokenHeadersAreNotHeaders)
{
    IniFile ini;
    ini.Parse("[A]\n[B=1\n[\n]\n[C\nk=v\n");
    EXPECT_EQ(ini.GetValue("A", "[B"), "1");
    EXPECT_EQ(ini.GetValue("A", "k"), "v");
    EXPECT_TRUE(SectionOf(ini, "C").keys.empty());
}

TEST(IniFile, KeysBeforeAnyHeaderLiveInTheUnnamedSection)
{
    IniFile ini;
    ini.Parse("x=1\n[A]\ny=2");
    EXPECT_EQ(ini.GetValue("", "x"), "1");
    EXPECT_EQ(ini.GetValue("A", "y"), "2");
}

TEST(IniFile, FirstValueWinsAcrossReopenedSectionsAndReparses)
{
    IniFile ini;
    ini.Parse("[A]\nk=1\n[B]\nk=2\n[A]\nk=3\n");
    EXPECT_EQ(ini.GetValue("A", "k"), "1");
    EXPECT_EQ(ini.GetValue("B", "k"), "2");

    ini.Parse("[A]\nk=4\nnew=5\n");
    EXPECT_EQ(ini.GetValue("A", "k"), "1");
    EXPECT_EQ(ini.GetValue("A", "new"), "5");
}

TEST(IniFile, CrLfAndLfGiveTheSameDocument)
{
    const std::string lf = "[GENERAL]\nBRAND_NAME=Karvelo\nSKIN=blue\n[URLS]\nURL_1=a.dll\n";
    std::string crlf;
    for (char c : lf)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    EXPECT_EQ(SerializeOf(crlf), SerializeOf(lf));
    EXPECT_EQ(SerializeOf(lf + "\n\n"), SerializeOf(lf.substr(0, lf.size() - 1)));
}

TEST(IniFile, GetSectionListsInByteOrderOfKeyNames)
{
    IniFile ini;
    ini.Parse("[URLS]\nURL_3=c\nURL_2=b\nURL_10=j\n[URLSX]\nURL_1=x\n[URL]\nURL_1=y\n");
    const Section s = SectionOf(ini, "URLS");
    EXPECT_EQ(s.keys, (std::vector<std::string>{"URL_10", "URL_2", "URL_3"}));
    EXPECT_EQ(s.values, (std::vector<std::string>{"j", "b", "c"}));
    EXPECT_TRUE(SectionOf(ini, "urls").keys.empty());
    EXPECT_TRUE(SectionOf(ini, "MISSING").values.empty());
}

TEST(IniFile, SerializeSortsSectionsAndKeys)
{
    EXPECT_EQ(SerializeOf("[A]\nz=1\ny=2\n"), "[A]\ny=2\nz=1\n");
    EXPECT_EQ(SerializeOf("[B]\nb=1\n[A]\na=2\n"), "[A]\na=2\n[B]\nb=1\n");
}

TEST(IniFile, SerializeWritesUnnamedSectionHeaderOnlyWhenItFollowsAnother)
{
    EXPECT_EQ(SerializeOf("x=1\n[A]\ny=2\n"), "x=1\n[A]\ny=2\n");
    // " S" sorts before the unnamed section's "*x".
    EXPECT_EQ(SerializeOf("x=1\n[ S]\ny=2\n"), "[ S]\ny=2\n[]\nx=1\n");
}

TEST(IniFile, SerializeAppendsAndRoundTrips)
{
    const std::string text = "top=1\n[A]\nk=v=w\n[B]\n;c=2\n";
    std::string out = "head\n";
    IniFile ini;
    ini.Parse(text);
    EXPECT_EQ(ini.Serialize(out), "head\n" + text);
    EXPECT_EQ(SerializeOf(SerializeOf(text)), text);
}

TEST(IniFile, NamesWithStarAreFoundButNeitherListedNorSerialized)
{
    IniFile ini;
    ini.Parse("[A*B]\nk=1\n[C]\nx*y=2\nz=3\n");
    EXPECT_EQ(ini.GetValue("A*B", "k"), "1");
    EXPECT_EQ(ini.GetValue("C", "x*y"), "2");
    EXPECT_EQ(SectionOf(ini, "C").keys, (std::vector<std::string>{"z"}));
    std::string out;
    EXPECT_EQ(ini.Serialize(out), "[C]\nz=3\n");
}

namespace {

struct RecordingParse : IniParseListener {
    void OnSection(int line, const std::string& name) override
    {
        events.push_back(std::to_string(line) + " [" + name + "]");
    }
    void OnEntry(int line, const std::string& section, const std::string& key, const std::string& value,
                 bool stored) override
    {
        events.push_back(std::to_string(line) + " " + section + "*" + key + "=" + value + (stored ? "" : " dropped"));
    }
    void OnDroppedLine(int line, const std::string& text) override
    {
        events.push_back(std::to_string(line) + " dropped " + text);
    }
    std::vector<std::string> events;
};

} // namespace

TEST(IniFile, ListenerLearnsTheLineOfEveryHeaderEntryAndDroppedLine)
{
    IniFile ini;
    RecordingParse parse;
    ini.Parse("# comment\r\n[A]\r\n k = v \r\n\r\nk=1\r\n[A\r\nk=2\n=x\n", &parse);
    EXPECT_EQ(parse.events, (std::vector<std::string>{"2 [A]", "3 A*k = v", "5 A*k=1", "6 dropped [A",
                                                      "7 A*k=2 dropped", "8 dropped =x"}));
    EXPECT_EQ(ini.GetValue("A", "k"), "1");
}
