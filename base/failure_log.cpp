#include "base/failure_log.h"

#include "base/diagnostics.h"

namespace {

// WinInet's codes, whose texts are in wininet.dll's message table rather
// than the system's.
const DWORD kFirstInternetError = 12000;
const DWORD kLastInternetError = 12999;

std::string TrimmedMessage(const char* text, DWORD length)
{
    while (length > 0 && (text[length - 1] == '\r' || text[length - 1] == '\n' || text[length - 1] == ' '))
        --length;
    return std::string(text, length);
}

// A buffer FormatMessageA allocated, freed with LocalFree.
class LocalText {
public:
    LocalText() = default;
    ~LocalText() { LocalFree(mp_text); }
    LocalText(const LocalText&) = delete;
    LocalText& operator=(const LocalText&) = delete;

    char** Receive() { return &mp_text; }
    const char* Get() const { return mp_text; }

private:
    char* mp_text = nullptr;
};

std::string Describe(const char* call, const std::string& subject, const std::string& what)
{
    return std::string(call) + " \"" + subject + "\" failed: " + what;
}

} // namespace

std::string SystemMessage(DWORD error)
{
    DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM;
    HMODULE source = nullptr;
    if (error >= kFirstInternetError && error <= kLastInternetError) {
        // Asked only once WinInet is loaded: loading it here would bring the
        // library in for a message.
        source = GetModuleHandleA("wininet.dll");
        if (source)
            flags |= FORMAT_MESSAGE_FROM_HMODULE;
    }
    LocalText text;
    const DWORD length = FormatMessageA(flags, source, error, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                        reinterpret_cast<char*>(text.Receive()), 0, nullptr);
    return length == 0 || !text.Get() ? std::string() : TrimmedMessage(text.Get(), length);
}

void LogFailure(const char* call, const std::string& subject, DWORD error)
{
    const std::string message = SystemMessage(error);
    std::string line = Describe(call, subject, std::to_string(error));
    if (!message.empty())
        line += " " + message;
    Diagnostic("%s\n", line.c_str());
}

void LogFailedResult(const char* call, const std::string& subject, HRESULT result)
{
    char code[16];
    wsprintfA(code, "0x%08lX", static_cast<unsigned long>(result));
    const std::string message = SystemMessage(static_cast<DWORD>(result));
    std::string line = Describe(call, subject, code);
    if (!message.empty())
        line += " " + message;
    Diagnostic("%s\n", line.c_str());
}

void LogFailureText(const char* call, const std::string& subject, const std::string& what)
{
    Diagnostic("%s\n", Describe(call, subject, what).c_str());
}
