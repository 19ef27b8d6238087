#include "base/process_exit.h"

#include "base/failure_log.h"

#include <windows.h>

#include <cstdio>
#include <algorithm>
#include <vector>

namespace {

// The files to sweep, behind a lock that lives as long as the process: the
// sweep may run while another thread adds or forgets one.
class ExitSweep {
public:
    ExitSweep() { InitializeCriticalSection(&m_section); }
    ExitSweep(const ExitSweep&) = delete;
    ExitSweep& operator=(const ExitSweep&) = delete;

    void Add(const std::string& path)
    {
        EnterCriticalSection(&m_section);
        m_paths.push_back(path);
        LeaveCriticalSection(&m_section);
    }
    void Forget(const std::string& path)
    {
        EnterCriticalSection(&m_section);
        const auto found = std::find(m_paths.begin(), m_paths.end(), path);
        if (found != m_paths.end())
            m_paths.erase(found);
        LeaveCriticalSection(&m_section);
    }
    // Held to the end: no thread adds a file after the sweep.
    void RemoveAll()
    {
        EnterCriticalSection(&m_section);
        for (const std::string& path : m_paths)
            if (!DeleteFileA(path.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND)
                LogFailure("DeleteFileA", path, GetLastError());
        m_paths.clear();
    }

private:
    CRITICAL_SECTION m_section;
    // A few at a time: one per transfer running.
    std::vector<std::string> m_paths;
};

// Never destroyed: EndProcessNow may run after static destructors would have.
ExitSweep& Sweep()
{
    static ExitSweep* sweep = new ExitSweep;
    return *sweep;
}

} // namespace

void RemoveAtExit(const std::string& path) { Sweep().Add(path); }

void ForgetAtExit(const std::string& path) { Sweep().Forget(path); }

void EndProcessNow(unsigned exit_code)
{
    Sweep().RemoveAll();
    // Every diagnostic line is already in the log file; only the C runtime's
    // buffer of standard output may still hold one.
    std::fflush(stdout);
    ExitProcess(exit_code);
}
