#include "install/worker/worker_thread.h"

#include "base/diagnostics.h"
#include "base/failure_log.h"
#include "base/unique_handle.h"
#include "install/worker/utils_exception.h"

#include <windows.h>
#include <comdef.h>
#include <objbase.h>
#include <process.h>

#include <memory>
#include <new>

namespace {

const char kStarLine[] = "*********************************************\n";
const char kCatchLine[] = "******* CATCH IN MainThraedFunc !!!   *******\n";

void ReportText(const char* text)
{
    Diagnostic("%s", kStarLine);
    Diagnostic("%s", kCatchLine);
    Diagnostic("******* '%s' *******\n", text);
    Diagnostic("%s", kStarLine);
}

void ReportAnythingElse()
{
    Diagnostic("%s", kStarLine);
    Diagnostic("****** CATCH ... IN MainThraedFunc ??? ******\n");
    Diagnostic("%s", kStarLine);
}

// Reports and returns -1 for whatever the function throws.
unsigned RunReported(const ThreadStartRecord& record)
{
    try {
        return record.function(record.argument);
    } catch (const char* text) {
        ReportText(text);
    } catch (Utils::Exception* exception) {
        ReportText(exception ? exception->Message() : "");
        delete exception;
    } catch (_com_error& error) {
        const _bstr_t description = error.Description();
        Diagnostic("%s", kStarLine);
        Diagnostic("*** CATCH _com_error = '%s' ****\n", static_cast<const char*>(description));
        Diagnostic("%s", kStarLine);
    } catch (const std::bad_alloc&) {
        ReportAnythingElse();
        if (record.out_of_memory)
            record.out_of_memory();
    } catch (...) {
        ReportAnythingElse();
    }
    return 0xFFFFFFFF;
}

} // namespace

bool BeginThread(ThreadFunction function, void* argument, FailureHandler out_of_memory)
{
    std::unique_ptr<ThreadStartRecord> record(new ThreadStartRecord{function, argument, out_of_memory});
    unsigned thread_id = 0;
    KernelHandle thread(reinterpret_cast<HANDLE>(
        _beginthreadex(nullptr, 0, MainThraedFunc, record.get(), 0, &thread_id)));
    if (!thread) {
        LogFailure("_beginthreadex", "worker thread", GetLastError());
        return false;
    }
    record.release();
    return true;
}

unsigned __stdcall MainThraedFunc(void* argument)
{
    std::unique_ptr<ThreadStartRecord> record(static_cast<ThreadStartRecord*>(argument));
    CoInitialize(nullptr);
    const unsigned result = RunReported(*record);
    CoUninitialize();
    return result;
}
