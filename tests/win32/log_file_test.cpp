// The log file is written only where it was asked for: never through a
// second name of another file, and not at all when it cannot be opened.
#include "base/log_file.h"

#include "test_files.h"

#include <gtest/gtest.h>

TEST(LogFile, AppendsToAPlainFileAndRefusesASecondNameOfAnother)
{
    const std::string folder = ScratchFolder("log");
    {
        LogFile log(folder + "\\", "plain.log");
        ASSERT_TRUE(log.Usable()) << log.Refusal();
        EXPECT_EQ(log.Path(), folder + "\\plain.log");
        log.Append("one\n");
        LogFile again(folder, "plain.log");
        ASSERT_TRUE(again.Usable()) << again.Refusal();
        again.Append("two\n");
    }
    EXPECT_EQ(ReadWhole(Wide(folder + "\\plain.log")), "one\ntwo\n");

    WriteWhole(folder + "\\system.ini", "not ours\n");
    ASSERT_TRUE(CreateHardLinkA((folder + "\\linked.log").c_str(), (folder + "\\system.ini").c_str(), nullptr));
    LogFile linked(folder, "linked.log");
    EXPECT_FALSE(linked.Usable());
    EXPECT_EQ(linked.Refusal(), "the file has 2 names");
    linked.Append("written through the link\n");
    EXPECT_EQ(ReadWhole(Wide(folder + "\\system.ini")), "not ours\n");

    LogFile nowhere(folder + "\\missing", "x.log");
    EXPECT_FALSE(nowhere.Usable());
    EXPECT_NE(nowhere.Refusal().find("CreateFileA of the folder failed"), std::string::npos) << nowhere.Refusal();
}
