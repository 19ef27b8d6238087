// Diagnostic lines for developers and support: printed to standard output and
// appended to "<program>.log" in the user's temporary folder.
#pragma once

#ifdef __GNUC__
#define DIAGNOSTIC_FORMAT(f, a) __attribute__((format(gnu_printf, f, a)))
#else
#define DIAGNOSTIC_FORMAT(f, a)
#endif

// printf-style; the caller ends each line with "\n". Never fails: output that
// cannot be written is dropped.
void Diagnostic(const char* format, ...) DIAGNOSTIC_FORMAT(1, 2);

// Full path of the log file the lines are appended to.
const char* DiagnosticLogPath();
