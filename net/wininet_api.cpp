#include "net/wininet_api.h"

#include "base/failure_log.h"

#include <string>

namespace {

template <typename Function>
bool Resolve(HMODULE library, const char* name, Function& function)
{
    function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
    if (!function)
        LogFailure("GetProcAddress", name, GetLastError());
    return function != nullptr;
}

WinInetApi LoadWinInet()
{
    WinInetApi api = {};
    // By its full path, so no search order can offer a planted copy. It
    // stays loaded for the life of the process.
    std::string path(GetSystemDirectoryA(nullptr, 0), '\0');
    path.resize(GetSystemDirectoryA(&path[0], path.size()));
    path += "\\wininet.dll";
    HMODULE library = LoadLibraryA(path.c_str());
    if (!library)
        LogFailure("LoadLibraryA", path, GetLastError());
    api.mb_loaded = library && Resolve(library, "InternetOpenA", api.InternetOpenA)
        && Resolve(library, "InternetConnectA", api.InternetConnectA)
        && Resolve(library, "HttpOpenRequestA", api.HttpOpenRequestA)
        && Resolve(library, "HttpSendRequestA", api.HttpSendRequestA)
        && Resolve(library, "HttpQueryInfoA", api.HttpQueryInfoA)
        && Resolve(library, "InternetQueryDataAvailable", api.InternetQueryDataAvailable)
        && Resolve(library, "InternetReadFile", api.InternetReadFile)
        && Resolve(library, "InternetSetOptionA", api.InternetSetOptionA)
        && Resolve(library, "InternetQueryOptionA", api.InternetQueryOptionA)
        && Resolve(library, "InternetCloseHandle", api.InternetCloseHandle)
        && Resolve(library, "InternetErrorDlg", api.InternetErrorDlg);
    return api;
}

} // namespace

const WinInetApi& WinInet()
{
    static const WinInetApi api = LoadWinInet();
    return api;
}
