#include "base/diagnostics.h"

#include "base/log_file.h"
#include "base/module_path.h"

#include <cstdarg>
#include <cstdio>
#include <string>

namespace {

bool IsUsableHandle(HANDLE handle)
{
    return handle != nullptr && handle != INVALID_HANDLE_VALUE
        && GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

// A windowed program starts without a console. When its output is not
// redirected and it was started from a console, write to that console.
void ConnectStandardOutput()
{
    if (IsUsableHandle(GetStdHandle(STD_OUTPUT_HANDLE)))
        return;
    if (AttachConsole(ATTACH_PARENT_PROCESS))
        std::freopen("CONOUT$", "w", stdout);
}

std::string ProgramBaseName()
{
    std::string name = ModulePath();
    name.erase(0, name.find_last_of("\\/") + 1);
    const std::string::size_type dot = name.find_last_of('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string TemporaryFolder()
{
    const DWORD needed = GetTempPathA(0, nullptr);
    std::string folder(needed, '\0');
    folder.resize(GetTempPathA(needed, &folder[0]));
    return folder;
}

void WriteOut(const std::string& line)
{
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fflush(stdout);
}

// Standard output, and the log file opened once; a log file that is refused
// leaves standard output alone, with one line saying why.
struct Sinks {
    Sinks() : log(TemporaryFolder(), ProgramBaseName() + ".log")
    {
        ConnectStandardOutput();
        if (!log.Usable())
            WriteOut("Log file " + log.Path() + " not used: " + log.Refusal() + "\n");
    }
    LogFile log;
};

Sinks& TheSinks()
{
    static Sinks sinks;
    return sinks;
}

// msvcrt.dll's own formatting: the C++ library would otherwise bring MinGW's
// printf, with its floating-point conversions, a quarter of the program.
std::string Format(const char* format, va_list arguments)
{
    va_list copy;
    va_copy(copy, arguments);
    const int length = _vscprintf(format, copy);
    va_end(copy);
    if (length <= 0)
        return std::string();
    std::string line(static_cast<size_t>(length) + 1, '\0');
    const int written = _vsnprintf(&line[0], line.size(), format, arguments);
    line.resize(written < 0 ? 0 : static_cast<size_t>(written));
    return line;
}

} // namespace

void Diagnostic(const char* format, ...)
{
    Sinks& sinks = TheSinks();
    va_list arguments;
    va_start(arguments, format);
    const std::string line = Format(format, arguments);
    va_end(arguments);

    WriteOut(line);
    sinks.log.Append(line);
}

const char* DiagnosticLogPath() { return TheSinks().log.Path().c_str(); }
