#include "services/running_program_check.h"

#include "base/unique_handle.h"
#include "box_answering.h"
#include "message_boxes.h"
#include "test_files.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

const char kPleaseExit[] = "Casino Program is running...\r\nPlease exit it before continue";
const char kAbort[] = "Casino Program is running...\r\nInstalation Abort";

// A top-level window titled like the casino client.
class ClientWindow {
public:
    explicit ClientWindow(const char* title)
        : mh_window(CreateWindowA("STATIC", title, WS_OVERLAPPED, 0, 0, 100, 50, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr))
    {
    }
    ~ClientWindow() { Close(); }
    void Close()
    {
        if (mh_window)
            DestroyWindow(mh_window);
        mh_window = nullptr;
    }

private:
    HWND mh_window;
};

} // namespace

TEST(CheckProgramRunning, GoesOnSilentlyWithoutTheClient)
{
    OwnerWindow owner;
    EXPECT_TRUE(RunAnsweringBoxes(owner.Get(), [] { CheckProgramRunning("Absent Casino"); }).empty());
}

TEST(CheckProgramRunning, TheInstallersOwnCaptionDoesNotMatch)
{
    OwnerWindow owner;
    ClientWindow installer("Own Casino Installation");
    EXPECT_TRUE(RunAnsweringBoxes(owner.Get(), [] { CheckProgramRunning("Own Casino"); }).empty());
}

TEST(CheckProgramRunning, GoesOnOnceTheClientIsClosedAfterTheFirstWarning)
{
    OwnerWindow owner;
    ClientWindow client("Closing Casino");
    const auto texts = RunAnsweringBoxes(
        owner.Get(), [] { CheckProgramRunning("Closing Casino"); },
        [&client](size_t) { client.Close(); });
    EXPECT_EQ(texts, std::vector<std::string>{kPleaseExit});
}

TEST(CheckProgramRunning, ThirdFindingEndsTheProcessWithZero)
{
    ClientWindow client("Stubborn Casino");
    std::string command = "\"" + TestProgramFolder() + "check_running_child.exe\" \"Stubborn Casino\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &process));
    KernelHandle process_handle(process.hProcess);
    KernelHandle thread_handle(process.hThread);

    std::vector<std::string> texts;
    while (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT && texts.size() < 4) {
        HWND box = WaitForMessageBox(nullptr, process.dwProcessId, 200);
        if (!box)
            continue;
        texts.push_back(MessageBoxText(box));
        PressMessageBoxButton(box, IDOK);
    }
    ASSERT_EQ(WaitForSingleObject(process.hProcess, 10000), WAIT_OBJECT_0);
    DWORD exit_code = 99;
    GetExitCodeProcess(process.hProcess, &exit_code);
    EXPECT_EQ(exit_code, 0u);
    EXPECT_EQ(texts, (std::vector<std::string>{kPleaseExit, kPleaseExit, kAbort}));
}
