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

namespace {

// Runs the check in check_running_child.exe with `arguments` against a
// client window titled `title`, answering each of its boxes with OK; the
// boxes' captions and texts, and the child's exit code.
struct ChildRun {
    std::vector<std::string> captions;
    std::vector<std::string> texts;
    DWORD exit_code = 99;
};

ChildRun RunCheckInChild(const char* title, const std::string& arguments)
{
    ChildRun run;
    ClientWindow client(title);
    std::string command = "\"" + TestProgramFolder() + "check_running_child.exe\" " + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    EXPECT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &process));
    if (!process.hProcess)
        return run;
    KernelHandle process_handle(process.hProcess);
    KernelHandle thread_handle(process.hThread);

    while (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT && run.texts.size() < 4) {
        HWND box = WaitForMessageBox(nullptr, process.dwProcessId, 200);
        if (!box)
            continue;
        run.captions.push_back(WindowText(box));
        run.texts.push_back(MessageBoxText(box));
        PressMessageBoxButton(box, IDOK);
    }
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 10000), static_cast<DWORD>(WAIT_OBJECT_0));
    GetExitCodeProcess(process.hProcess, &run.exit_code);
    return run;
}

} // namespace

TEST(CheckProgramRunning, ThirdFindingEndsTheProcessWithZero)
{
    const ChildRun run = RunCheckInChild("Stubborn Casino", "\"Stubborn Casino\"");
    EXPECT_EQ(run.exit_code, 0u);
    EXPECT_EQ(run.texts, (std::vector<std::string>{kPleaseExit, kPleaseExit, kAbort}));
    EXPECT_EQ(run.captions, (std::vector<std::string>{"", "", ""}));
}

TEST(CheckProgramRunning, TheUninstallersCheckEndsWithItsCodeInItsBoxes)
{
    const ChildRun run = RunCheckInChild("Stubborn Casino", "\"Stubborn Casino\" Uninstall 2");
    EXPECT_EQ(run.exit_code, 2u);
    EXPECT_EQ(run.texts, (std::vector<std::string>{kPleaseExit, kPleaseExit, kAbort}));
    EXPECT_EQ(run.captions, (std::vector<std::string>{"Uninstall", "Uninstall", "Uninstall"}));
}

TEST(IsProgramRunning, OnlyAWindowTitledExactly)
{
    ClientWindow client("Running Casino");
    EXPECT_TRUE(IsProgramRunning("Running Casino"));
    EXPECT_FALSE(IsProgramRunning("Running"));
    client.Close();
    EXPECT_FALSE(IsProgramRunning("Running Casino"));
}
