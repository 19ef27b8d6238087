#include "base/diagnostics.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <sstream>

TEST(Diagnostic, PrintsAndAppendsTheLineToTheLogInTemp)
{
    const std::string line = "probe " + std::to_string(GetTickCount()) + "\n";
    testing::internal::CaptureStdout();
    Diagnostic("probe %lu\n", std::stoul(line.substr(6)));
    std::string printed = testing::internal::GetCapturedStdout();
    printed.erase(std::remove(printed.begin(), printed.end(), '\r'), printed.end());
    EXPECT_EQ(printed, line);

    const std::string path = DiagnosticLogPath();
    char temp[MAX_PATH + 1] = "";
    GetTempPathA(sizeof temp, temp);
    EXPECT_EQ(path, std::string(temp) + "win32_tests.log");
    std::ifstream log(path, std::ios::binary);
    std::stringstream content;
    content << log.rdbuf();
    const std::string text = content.str();
    ASSERT_GE(text.size(), line.size());
    EXPECT_EQ(text.substr(text.size() - line.size()), line);
}

TEST(Diagnostic, LongLinesArePrintedWhole)
{
    const std::string long_text(5000, 'x');
    testing::internal::CaptureStdout();
    Diagnostic("%s\n", long_text.c_str());
    EXPECT_EQ(testing::internal::GetCapturedStdout().substr(0, 5000), long_text);
}
