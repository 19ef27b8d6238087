// The one form of a failure line: `CALL "SUBJECT" failed: CODE TEXT`, where
// CALL is the API that failed, SUBJECT what it worked on (a path, an address,
// a key), CODE the error as a decimal number (HRESULTs in hexadecimal) and
// TEXT the system's own message for it, empty when the system has none.
// Written through Diagnostic, so it reaches standard output and the log.
#pragma once

#include <windows.h>

#include <string>

// The system's message for a Win32 or WinInet error, without its line break;
// the empty text when neither has one.
std::string SystemMessage(DWORD error);

// `error` is a Win32 or WinInet error code.
void LogFailure(const char* call, const std::string& subject, DWORD error);

// For calls that return an HRESULT.
void LogFailedResult(const char* call, const std::string& subject, HRESULT result);

// For failures that are not a system error code (an HTTP status, one of our
// own reasons): `what` stands in place of CODE and TEXT.
void LogFailureText(const char* call, const std::string& subject, const std::string& what);
