#include "services/pending_deletions.h"

#include "base/failure_log.h"
#include "store/key_handle.h"

#include <windows.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

const wchar_t kSessionManager[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
const wchar_t kPendingValue[] = L"PendingFileRenameOperations";
const char kSessionManagerName[] = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager";
// The prefix the system writes before each path.
const wchar_t kNtPrefix[] = L"\\??\\";

// The value as stored, and where each of its texts lies in it.
struct PendingValue {
    std::vector<BYTE> bytes;
    // [begin, end) of each text in wide characters, its NUL at `end`.
    std::vector<std::pair<size_t, size_t>> texts;

    const wchar_t* Chars() const { return reinterpret_cast<const wchar_t*>(bytes.data()); }
};

// Reads the REG_MULTI_SZ value and finds its texts; the bytes are kept as
// they are, so that what is taken out leaves every other program's pairs,
// and anything that follows them, byte for byte.
bool ReadPairs(KeyHandle& key, PendingValue& value)
{
    DWORD type = 0, size = 0;
    const LONG sized = RegQueryValueExW(key.Get(), kPendingValue, nullptr, &type, nullptr, &size);
    if (sized == ERROR_FILE_NOT_FOUND)
        return true;
    if (sized != ERROR_SUCCESS || type != REG_MULTI_SZ) {
        LogFailure("RegQueryValueExW", kSessionManagerName, sized != ERROR_SUCCESS ? sized : ERROR_INVALID_DATA);
        return false;
    }
    value.bytes.assign(size + sizeof(wchar_t), 0);
    const LONG read = RegQueryValueExW(key.Get(), kPendingValue, nullptr, nullptr, value.bytes.data(), &size);
    if (read != ERROR_SUCCESS) {
        LogFailure("RegQueryValueExW", kSessionManagerName, read);
        return false;
    }
    value.bytes.resize(size);
    // Every text ends with a NUL, an empty one too (a deletion's target); the
    // list ends with one more, which is not a text. A last text without its
    // NUL is not one either: it is kept, never read.
    const size_t length = size / sizeof(wchar_t);
    size_t begin = 0;
    for (size_t i = 0; i < length; ++i)
        if (value.Chars()[i] == L'\0') {
            value.texts.emplace_back(begin, i);
            begin = i + 1;
        }
    if (value.texts.size() % 2 == 1 && value.texts.back().first == value.texts.back().second)
        value.texts.pop_back();
    return true;
}

bool IsEmptyText(const PendingValue& value, size_t index)
{
    return value.texts[index].first == value.texts[index].second;
}

// The path of a text without the system's prefix, in the system code page;
// empty when the code page cannot spell it exactly (a best-fitted look-alike
// would name another file).
std::string PlainPath(const PendingValue& value, size_t index)
{
    size_t begin = value.texts[index].first;
    const size_t end = value.texts[index].second;
    const size_t prefix = sizeof kNtPrefix / sizeof(wchar_t) - 1;
    if (end - begin >= prefix && std::equal(kNtPrefix, kNtPrefix + prefix, value.Chars() + begin))
        begin += prefix;
    const int length = static_cast<int>(end - begin);
    if (length <= 0)
        return std::string();
    const wchar_t* wide = value.Chars() + begin;
    BOOL inexact = FALSE;
    const int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, length, nullptr, 0, nullptr, &inexact);
    if (size <= 0 || inexact)
        return std::string();
    std::string narrow(size, '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, length, &narrow[0], size, nullptr, nullptr);
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
    PendingValue value;
    if (!OpenSessionManager(key, KEY_QUERY_VALUE) || !ReadPairs(key, value))
        return paths;
    for (size_t i = 0; i + 1 < value.texts.size(); i += 2)
        if (IsEmptyText(value, i + 1))
            paths.push_back(PlainPath(value, i));
    return paths;
}

bool CancelPendingDeletions(const std::function<bool(const std::string& path)>& placed)
{
    KeyHandle key;
    PendingValue value;
    if (!OpenSessionManager(key, KEY_QUERY_VALUE | KEY_SET_VALUE) || !ReadPairs(key, value))
        return false;
    // Cut out each cancelled pair, its two texts with their NULs, from the
    // last to the first, so that the places of the others hold.
    std::vector<BYTE> kept = value.bytes;
    bool cancelled = false;
    for (size_t i = value.texts.size() & ~size_t(1); i >= 2; i -= 2) {
        const size_t pair = i - 2;
        const std::string path = PlainPath(value, pair);
        if (!IsEmptyText(value, pair + 1) || path.empty() || !placed(path))
            continue;
        cancelled = true;
        kept.erase(kept.begin() + value.texts[pair].first * sizeof(wchar_t),
                   kept.begin() + (value.texts[pair + 1].second + 1) * sizeof(wchar_t));
    }
    if (!cancelled)
        return true;
    // Nothing but NULs left: no pair remains, and the value goes.
    const bool none_left = std::all_of(kept.begin(), kept.end(), [](BYTE b) { return b == 0; });
    // The system reads one character past a text that does not end in a
    // NUL and then writes the NUL too: that character is here, and a NUL.
    const DWORD kept_size = static_cast<DWORD>(kept.size());
    kept.insert(kept.end(), sizeof(wchar_t), 0);
    const LONG result = none_left ? RegDeleteValueW(key.Get(), kPendingValue)
                                  : RegSetValueExW(key.Get(), kPendingValue, 0, REG_MULTI_SZ, kept.data(), kept_size);
    if (result == ERROR_SUCCESS)
        return true;
    LogFailure(none_left ? "RegDeleteValueW" : "RegSetValueExW", kSessionManagerName, result);
    return false;
}
