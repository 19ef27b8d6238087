#include "services/pending_deletions.h"

#include "base/failure_log.h"
#include "store/key_handle.h"

#include <windows.h>

#include <algorithm>

namespace {

const wchar_t kSessionManager[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
const wchar_t kPendingValue[] = L"PendingFileRenameOperations";
const char kSessionManagerName[] = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager";
// The prefix the system writes before each path.
const wchar_t kNtPrefix[] = L"\\??\\";

typedef std::vector<wchar_t> WideName;

// The texts of a REG_MULTI_SZ value, each without its NUL; read wide, so
// that another program's names are written back exactly as they were.
bool ReadPairs(KeyHandle& key, std::vector<WideName>& texts)
{
    DWORD type = 0, size = 0;
    const LONG sized = RegQueryValueExW(key.Get(), kPendingValue, nullptr, &type, nullptr, &size);
    if (sized == ERROR_FILE_NOT_FOUND)
        return true;
    if (sized != ERROR_SUCCESS || type != REG_MULTI_SZ) {
        LogFailure("RegQueryValueExW", kSessionManagerName, sized != ERROR_SUCCESS ? sized : ERROR_INVALID_DATA);
        return false;
    }
    std::vector<wchar_t> data(size / sizeof(wchar_t) + 2, L'\0');
    const LONG read = RegQueryValueExW(key.Get(), kPendingValue, nullptr, nullptr,
                                       reinterpret_cast<BYTE*>(data.data()), &size);
    if (read != ERROR_SUCCESS) {
        LogFailure("RegQueryValueExW", kSessionManagerName, read);
        return false;
    }
    data.resize(size / sizeof(wchar_t));
    // Every text ends with a NUL, an empty one too (a deletion's target); the
    // list ends with one more, which is not a text.
    WideName text;
    for (wchar_t c : data) {
        if (c != L'\0') {
            text.push_back(c);
            continue;
        }
        texts.push_back(text);
        text.clear();
    }
    if (!texts.empty() && texts.size() % 2 == 1 && texts.back().empty())
        texts.pop_back();
    return true;
}

std::string PlainPath(const WideName& wide)
{
    size_t skip = 0;
    const size_t prefix = sizeof kNtPrefix / sizeof(wchar_t) - 1;
    if (wide.size() >= prefix && std::equal(kNtPrefix, kNtPrefix + prefix, wide.begin()))
        skip = prefix;
    const int length = static_cast<int>(wide.size() - skip);
    if (length <= 0)
        return std::string();
    const int size = WideCharToMultiByte(CP_ACP, 0, wide.data() + skip, length, nullptr, 0, nullptr, nullptr);
    std::string narrow(size > 0 ? size : 0, '\0');
    if (size > 0)
        WideCharToMultiByte(CP_ACP, 0, wide.data() + skip, length, &narrow[0], size, nullptr, nullptr);
    return narrow;
}

bool OpenSessionManager(KeyHandle& key, REGSAM access)
{
    HKEY opened = nullptr;
    const LONG result = RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManager, 0, access, &opened);
    if (result != ERROR_SUCCESS) {
        LogFailure("RegOpenKeyExW", kSessionManagerName, result);
        return false;
    }
    key.Reset(opened);
    return true;
}

} // namespace

std::vector<std::string> PendingDeletions()
{
    std::vector<std::string> paths;
    KeyHandle key;
    std::vector<WideName> texts;
    if (!OpenSessionManager(key, KEY_QUERY_VALUE) || !ReadPairs(key, texts))
        return paths;
    for (size_t i = 0; i + 1 < texts.size(); i += 2)
        if (texts[i + 1].empty())
            paths.push_back(PlainPath(texts[i]));
    return paths;
}

bool CancelPendingDeletions(const std::function<bool(const std::string& path)>& placed)
{
    KeyHandle key;
    std::vector<WideName> texts;
    if (!OpenSessionManager(key, KEY_QUERY_VALUE | KEY_SET_VALUE) || !ReadPairs(key, texts))
        return false;
    std::vector<wchar_t> kept;
    bool cancelled = false;
    for (size_t i = 0; i + 1 < texts.size(); i += 2) {
        if (texts[i + 1].empty() && placed(PlainPath(texts[i]))) {
            cancelled = true;
            continue;
        }
        for (size_t k = i; k <= i + 1; ++k) {
            kept.insert(kept.end(), texts[k].begin(), texts[k].end());
            kept.push_back(L'\0');
        }
    }
    // A text without its pair is kept too: it is not ours to judge.
    if (texts.size() % 2 == 1) {
        kept.insert(kept.end(), texts.back().begin(), texts.back().end());
        kept.push_back(L'\0');
    }
    if (!cancelled)
        return true;
    kept.push_back(L'\0');
    const LONG result = kept.size() == 1 ? RegDeleteValueW(key.Get(), kPendingValue)
                                         : RegSetValueExW(key.Get(), kPendingValue, 0, REG_MULTI_SZ,
                                                          reinterpret_cast<const BYTE*>(kept.data()),
                                                          static_cast<DWORD>(kept.size() * sizeof(wchar_t)));
    if (result == ERROR_SUCCESS)
        return true;
    LogFailure(kept.size() == 1 ? "RegDeleteValueW" : "RegSetValueExW", kSessionManagerName, result);
    return false;
}
