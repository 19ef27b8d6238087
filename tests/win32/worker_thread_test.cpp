#include "install/worker/utils_exception.h"
#include "install/worker/worker_thread.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <comdef.h>

#include <new>
#include <string>

namespace {

const std::string kStar = "*********************************************\n";
const std::string kCatch = "******* CATCH IN MainThraedFunc !!!   *******\n";

// Runs `function` under the thread entry on this thread; returns its exit code
// and what it printed.
unsigned RunEntry(ThreadFunction function, void* argument, std::string& printed,
                  FailureHandler out_of_memory = nullptr)
{
    testing::internal::CaptureStdout();
    const unsigned result = MainThraedFunc(new ThreadStartRecord{function, argument, out_of_memory});
    printed = testing::internal::GetCapturedStdout();
    printed.erase(std::remove(printed.begin(), printed.end(), '\r'), printed.end());
    return result;
}

unsigned __stdcall ReturnsSeven(void*) { return 7; }
unsigned __stdcall ThrowsText(void*) { throw "disk on fire"; }
unsigned __stdcall ThrowsNumber(void*) { throw 42; }
unsigned __stdcall ThrowsBadAlloc(void*) { throw std::bad_alloc(); }

int g_out_of_memory_calls = 0;
void CountOutOfMemory() { ++g_out_of_memory_calls; }
unsigned __stdcall ThrowsNullException(void*) { throw static_cast<Utils::Exception*>(nullptr); }

class CountedException : public Utils::Exception {
public:
    explicit CountedException(int* destroyed) : Exception("bad manifest"), mp_destroyed(destroyed) {}
    ~CountedException() override { ++*mp_destroyed; }

private:
    int* mp_destroyed;
};

unsigned __stdcall ThrowsUtilsException(void* destroyed)
{
    throw static_cast<Utils::Exception*>(new CountedException(static_cast<int*>(destroyed)));
}

unsigned __stdcall ThrowsComErrorWithDescription(void*)
{
    ICreateErrorInfo* creator = nullptr;
    CreateErrorInfo(&creator);
    creator->SetDescription(const_cast<LPOLESTR>(L"no browser"));
    IErrorInfo* info = nullptr;
    creator->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info));
    creator->Release();
    throw _com_error(E_FAIL, info);
}

unsigned __stdcall ThrowsBareComError(void*) { throw _com_error(E_FAIL); }

struct ThreadProbe {
    HANDLE done;
    DWORD thread_id;
    bool com_ready;
};

unsigned __stdcall RecordsItsThread(void* argument)
{
    ThreadProbe* probe = static_cast<ThreadProbe*>(argument);
    probe->thread_id = GetCurrentThreadId();
    // COM is already initialised for the thread: a second call says S_FALSE.
    const HRESULT again = CoInitialize(nullptr);
    probe->com_ready = again == S_FALSE;
    if (SUCCEEDED(again))
        CoUninitialize();
    SetEvent(probe->done);
    return 0;
}

} // namespace

TEST(MainThraedFunc, ReturnsTheFunctionsResultSilently)
{
    std::string printed;
    EXPECT_EQ(RunEntry(ReturnsSeven, nullptr, printed), 7u);
    EXPECT_EQ(printed, "");
}

TEST(MainThraedFunc, FramesThrownTextsAndUtilsExceptions)
{
    std::string printed;
    EXPECT_EQ(RunEntry(ThrowsText, nullptr, printed), 0xFFFFFFFFu);
    EXPECT_EQ(printed, kStar + kCatch + "******* 'disk on fire' *******\n" + kStar);

    int destroyed = 0;
    EXPECT_EQ(RunEntry(ThrowsUtilsException, &destroyed, printed), 0xFFFFFFFFu);
    EXPECT_EQ(printed, kStar + kCatch + "******* 'bad manifest' *******\n" + kStar);
    EXPECT_EQ(destroyed, 1);

    EXPECT_EQ(RunEntry(ThrowsNullException, nullptr, printed), 0xFFFFFFFFu);
    EXPECT_EQ(printed, kStar + kCatch + "******* '' *******\n" + kStar);
}

TEST(MainThraedFunc, FramesComErrorsWithTheirDescription)
{
    std::string printed;
    EXPECT_EQ(RunEntry(ThrowsComErrorWithDescription, nullptr, printed), 0xFFFFFFFFu);
    EXPECT_EQ(printed, kStar + "*** CATCH _com_error = 'no browser' ****\n" + kStar);

    EXPECT_EQ(RunEntry(ThrowsBareComError, nullptr, printed), 0xFFFFFFFFu);
    EXPECT_EQ(printed, kStar + "*** CATCH _com_error = '(null)' ****\n" + kStar);
}

TEST(MainThraedFunc, FramesAnythingElse)
{
    std::string printed;
    EXPECT_EQ(RunEntry(ThrowsNumber, nullptr, printed), 0xFFFFFFFFu);
    EXPECT_EQ(printed, kStar + "****** CATCH ... IN MainThraedFunc ??? ******\n" + kStar);
}

TEST(MainThraedFunc, AllocationFailuresKeepTheirLogLineThenReachTheHandler)
{
    std::string printed;
    g_out_of_memory_calls = 0;
    EXPECT_EQ(RunEntry(ThrowsBadAlloc, nullptr, printed, CountOutOfMemory), 0xFFFFFFFFu);
    EXPECT_EQ(printed, kStar + "****** CATCH ... IN MainThraedFunc ??? ******\n" + kStar);
    EXPECT_EQ(g_out_of_memory_calls, 1);
    EXPECT_EQ(RunEntry(ThrowsNumber, nullptr, printed, CountOutOfMemory), 0xFFFFFFFFu);
    EXPECT_EQ(RunEntry(ThrowsBadAlloc, nullptr, printed), 0xFFFFFFFFu);
    EXPECT_EQ(g_out_of_memory_calls, 1);
}

TEST(BeginThread, RunsTheFunctionOnANewThreadWithCom)
{
    ThreadProbe probe{CreateEventA(nullptr, TRUE, FALSE, nullptr), 0, false};
    ASSERT_TRUE(BeginThread(RecordsItsThread, &probe));
    ASSERT_EQ(WaitForSingleObject(probe.done, 10000), WAIT_OBJECT_0);
    EXPECT_NE(probe.thread_id, GetCurrentThreadId());
    EXPECT_TRUE(probe.com_ready);
    CloseHandle(probe.done);
}
