#include "base/diagnostics.h"

#include "base/module_path.h"
#include "base/unique_handle.h"

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

struct Sinks {
    Sinks() : log_path(TemporaryFolder() + ProgramBaseName() + ".log")
    {
        ConnectStandardOutput();
    }
    std::string log_path;
};

Sinks& TheSinks()
{
    static Sinks sinks;
    return sinks;
}

void AppendToLog(const std::string& path, const std::string& line)
{
    FileHandle file(CreateFileA(path.c_str(), FILE_APPEND_DATA,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return;
    DWORD written = 0;
    WriteFile(file.Get(), line.data(), line.size(), &written, nullptr);
}

std::string Format(const char* format, va_list arguments)
{
    va_list copy;
    va_copy(copy, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (length <= 0)
        return std::string();
    std::string line(length, '\0');
    std::vsnprintf(&line[0], line.size() + 1, format, arguments);
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

    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fflush(stdout);
    AppendToLog(sinks.log_path, line);
}

const char* DiagnosticLogPath() { return TheSinks().log_path.c_str(); }
