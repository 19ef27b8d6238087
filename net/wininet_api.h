// WinInet's functions, looked up on first use. WinInet is not one of the
// system's known DLLs: the installer must load it only after it has
// restricted the DLL search to the system folder, so it is not imported.
#pragma once

#include <windows.h>
#include <wininet.h>

struct WinInetApi {
    decltype(&::InternetOpenA) InternetOpenA;
    decltype(&::InternetConnectA) InternetConnectA;
    decltype(&::HttpOpenRequestA) HttpOpenRequestA;
    decltype(&::HttpSendRequestA) HttpSendRequestA;
    decltype(&::HttpQueryInfoA) HttpQueryInfoA;
    decltype(&::InternetQueryDataAvailable) InternetQueryDataAvailable;
    decltype(&::InternetReadFile) InternetReadFile;
    decltype(&::InternetSetOptionA) InternetSetOptionA;
    decltype(&::InternetQueryOptionA) InternetQueryOptionA;
    decltype(&::InternetCloseHandle) InternetCloseHandle;
    decltype(&::InternetErrorDlg) InternetErrorDlg;

    // False when the library or one of its functions is missing.
    bool Loaded() const { return mb_loaded; }

    bool mb_loaded;
};

// Loads the library from the system folder once, on the first call.
const WinInetApi& WinInet();
