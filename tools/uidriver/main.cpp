// Drives another program's window for the end-to-end tests.
//
//   uidriver wait CAPTION [SECONDS] [LAST_ID]  waits for the window (and, when
//                                              given, its control LAST_ID)
//   uidriver text CAPTION [ID]                 prints the caption or a control's text
//   uidriver close CAPTION                     asks the window to close
//
// Exit status: 0 done, 1 window or control not found, 2 wrong usage.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const UINT kSendTimeoutMs = 5000;

HWND FindTopLevel(const char* caption) { return FindWindowA(nullptr, caption); }

HWND FindTarget(const char* caption, const char* id_text)
{
    HWND window = FindTopLevel(caption);
    if (!window || !id_text)
        return window;
    return GetDlgItem(window, std::atoi(id_text));
}

bool ReadText(HWND window, std::string& text)
{
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG,
                             kSendTimeoutMs, &length))
        return false;
    std::vector<char> buffer(length + 1, '\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, buffer.size(),
                             reinterpret_cast<LPARAM>(buffer.data()), SMTO_ABORTIFHUNG,
                             kSendTimeoutMs, &copied))
        return false;
    text.assign(buffer.data(), copied);
    return true;
}

int Wait(int argc, char** argv)
{
    const double seconds = argc > 3 ? std::atof(argv[3]) : 30.0;
    const char* last_id = argc > 4 ? argv[4] : nullptr;
    const DWORD deadline = GetTickCount() + static_cast<DWORD>(seconds * 1000);
    do {
        if (FindTarget(argv[2], last_id))
            return 0;
        Sleep(50);
    } while (static_cast<LONG>(deadline - GetTickCount()) > 0);
    std::fprintf(stderr, "uidriver: no window \"%s\" after %.1f s\n", argv[2], seconds);
    return 1;
}

int Text(int argc, char** argv)
{
    HWND target = FindTarget(argv[2], argc > 3 ? argv[3] : nullptr);
    std::string text;
    if (!target || !ReadText(target, text))
        return 1;
    std::printf("%s\n", text.c_str());
    return 0;
}

int Close(int, char** argv)
{
    HWND window = FindTopLevel(argv[2]);
    if (!window)
        return 1;
    PostMessageA(window, WM_CLOSE, 0, 0);
    return 0;
}

struct Command {
    const char* name;
    int (*run)(int argc, char** argv);
};

const Command kCommands[] = {
    {"wait", Wait},
    {"text", Text},
    {"close", Close},
};

} // namespace

int main(int argc, char** argv)
{
    // Plain "\n" line ends, so that shell scripts read the texts unchanged.
    _setmode(_fileno(stdout), _O_BINARY);
    if (argc >= 3) {
        for (const Command& command : kCommands) {
            if (std::string(argv[1]) == command.name)
                return command.run(argc, argv);
        }
    }
    std::fprintf(stderr, "usage: uidriver wait|text|close CAPTION [...]\n");
    return 2;
}
