#include "services/holding_program.h"

#include "base/code_page.h"
#include "base/failure_log.h"
#include "base/unique_handle.h"

#include <windows.h>
#include <restartmanager.h>

#include <vector>

namespace {

typedef DWORD(WINAPI* StartSession)(DWORD*, DWORD, WCHAR*);
typedef DWORD(WINAPI* EndSession)(DWORD);
typedef DWORD(WINAPI* RegisterResources)(DWORD, UINT, LPCWSTR*, UINT, RM_UNIQUE_PROCESS*, UINT, LPCWSTR*);
typedef DWORD(WINAPI* GetList)(DWORD, UINT*, UINT*, RM_PROCESS_INFO*, LPDWORD);

struct RestartManager {
    StartSession start = nullptr;
    EndSession end = nullptr;
    RegisterResources add = nullptr;
    GetList list = nullptr;
};

template <typename Function>
bool Resolve(HMODULE library, const char* name, Function& function)
{
    function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
    return function != nullptr;
}

// From the system folder only, so no search order can offer a planted copy.
bool LoadRestartManager(LibraryHandle& library, RestartManager& api)
{
    std::string path(GetSystemDirectoryA(nullptr, 0), '\0');
    path.resize(GetSystemDirectoryA(&path[0], path.size()));
    path += "\\rstrtmgr.dll";
    library.Reset(LoadLibraryA(path.c_str()));
    // Windows XP has none: the box names the file only.
    if (!library)
        return false;
    return Resolve(library.Get(), "RmStartSession", api.start) && Resolve(library.Get(), "RmEndSession", api.end)
        && Resolve(library.Get(), "RmRegisterResources", api.add) && Resolve(library.Get(), "RmGetList", api.list);
}

std::string NarrowName(const WCHAR* wide)
{
    const int needed = WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (needed <= 1)
        return std::string();
    std::string narrow(static_cast<size_t>(needed), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide, -1, &narrow[0], needed, nullptr, nullptr);
    narrow.resize(static_cast<size_t>(needed - 1));
    return narrow;
}

// The first program the session's list names.
std::string FirstListed(const RestartManager& api, DWORD session)
{
    UINT needed = 0;
    UINT count = 0;
    DWORD reasons = 0;
    DWORD result = api.list(session, &needed, &count, nullptr, &reasons);
    if (result != ERROR_MORE_DATA || needed == 0)
        return std::string();
    std::vector<RM_PROCESS_INFO> programs(needed);
    count = needed;
    result = api.list(session, &needed, &count, programs.data(), &reasons);
    if (result != ERROR_SUCCESS || count == 0) {
        LogFailure("RmGetList", "the programs holding a file", result);
        return std::string();
    }
    return NarrowName(programs[0].strAppName);
}

} // namespace

std::string HoldingProgram(const std::string& path)
{
    LibraryHandle library;
    RestartManager api;
    if (!LoadRestartManager(library, api))
        return std::string();
    WideText wide;
    if (!CodePageToWide(CP_ACP, path, wide))
        return std::string();
    wide.push_back(L'\0');
    DWORD session = 0;
    WCHAR key[CCH_RM_SESSION_KEY + 1] = {};
    DWORD result = api.start(&session, 0, key);
    if (result != ERROR_SUCCESS) {
        LogFailure("RmStartSession", path, result);
        return std::string();
    }
    LPCWSTR files[] = {wide.data()};
    result = api.add(session, 1, files, 0, nullptr, 0, nullptr);
    std::string program;
    if (result != ERROR_SUCCESS)
        LogFailure("RmRegisterResources", path, result);
    else
        program = FirstListed(api, session);
    api.end(session);
    return program;
}
