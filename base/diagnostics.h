// Diagnostic lines for developers and support: printed to standard output and
// appended to "<program>.log" in the user's temporary folder.
#pragma once

#if defined(__MINGW32__)
// The lines are formatted by the system's C runtime: msvcrt.dll's formats,
// where a 64-bit number is %I64d.
#define DIAGNOSTIC_FORMAT(f, a) __attribute__((format(ms_printf, f, a)))
#elif defined(__GNUC__)
#define DIAGNOSTIC_FORMAT(f, a) __attribute__((format(printf, f, a)))
#else
#define DIAGNOSTIC_FORMAT(f, a)
#endif

// printf-style; the caller ends each line with "\n". Never fails: output that
// cannot be written is dropped.
void Diagnostic(const char* format, ...) DIAGNOSTIC_FORMAT(1, 2);

// Full path of the log file the lines are appended to.
const char* DiagnosticLogPath();
