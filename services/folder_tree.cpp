#include "services/folder_tree.h"

#include "base/failure_log.h"
#include "base/unique_handle.h"

#include <windows.h>

#include <functional>

namespace {

// A wide path, NUL-terminated. The walk reads names with the wide functions:
// a name the ANSI functions would hand back best-fitted ("..＼" read as
// "..\") or as "?" would lead out of the folder or could never be removed.
typedef std::vector<wchar_t> WidePath;

WidePath ToWide(const std::string& narrow)
{
    const int size = MultiByteToWideChar(CP_ACP, 0, narrow.c_str(), -1, nullptr, 0);
    WidePath wide(size > 0 ? size : 1, L'\0');
    if (size > 0)
        MultiByteToWideChar(CP_ACP, 0, narrow.c_str(), -1, wide.data(), size);
    return wide;
}

// For failure lines and the list of what remains only: never opened again.
std::string ToNarrow(const WidePath& wide)
{
    const int size = WideCharToMultiByte(CP_ACP, 0, wide.data(), -1, nullptr, 0, nullptr, nullptr);
    std::string narrow(size > 0 ? size : 1, '\0');
    if (size > 0)
        WideCharToMultiByte(CP_ACP, 0, wide.data(), -1, &narrow[0], size, nullptr, nullptr);
    narrow.resize(narrow.size() - 1);
    return narrow;
}

// The path in the system code page only where the code page spells it
// exactly: a best-fitted look-alike would pass for another name.
bool ToExactNarrow(const WidePath& wide, std::string& narrow)
{
    BOOL inexact = FALSE;
    const int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), -1, nullptr, 0, nullptr, &inexact);
    if (size <= 0 || inexact)
        return false;
    narrow.assign(size, '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), -1, &narrow[0], size, nullptr, nullptr);
    narrow.resize(size - 1);
    return true;
}

WidePath Joined(const WidePath& folder, const wchar_t* name)
{
    WidePath path(folder.begin(), folder.end() - 1);
    path.push_back(L'\\');
    for (; *name; ++name)
        path.push_back(*name);
    path.push_back(L'\0');
    return path;
}

bool IsDotName(const wchar_t* name) { return name[0] == L'.' && (!name[1] || (name[1] == L'.' && !name[2])); }

bool HasSeparator(const wchar_t* name)
{
    for (; *name; ++name)
        if (*name == L'\\' || *name == L'/')
            return true;
    return false;
}

typedef std::function<void(const WidePath& path, const WIN32_FIND_DATAW& data)> EntryVisitor;

// Calls `visit` for every entry of `folder` once the search is over (the
// visit may remove the entry). "." and ".." are never entries; a name that
// holds a separator (a file system or a foreign tool may report one) would
// name another place once joined: it is appended to `strange` and not
// visited.
void ForEachEntry(const WidePath& folder, const EntryVisitor& visit, std::vector<std::string>& strange)
{
    std::vector<WIN32_FIND_DATAW> entries;
    {
        WIN32_FIND_DATAW data;
        FindHandle find(FindFirstFileW(Joined(folder, L"*").data(), &data));
        if (!find) {
            const DWORD error = GetLastError();
            if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
                LogFailure("FindFirstFileW", ToNarrow(folder), error);
            return;
        }
        do {
            if (IsDotName(data.cFileName))
                continue;
            if (HasSeparator(data.cFileName)) {
                const std::string path = ToNarrow(Joined(folder, data.cFileName));
                LogFailureText("FindNextFileW", path, "a name with a separator; left alone");
                strange.push_back(path);
                continue;
            }
            entries.push_back(data);
        } while (FindNextFileW(find.Get(), &data));
        if (GetLastError() != ERROR_NO_MORE_FILES)
            LogFailure("FindNextFileW", ToNarrow(folder), GetLastError());
    }
    for (const WIN32_FIND_DATAW& entry : entries)
        visit(Joined(folder, entry.cFileName), entry);
}

bool IsFolder(const WIN32_FIND_DATAW& data) { return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }

bool IsLink(const WIN32_FIND_DATAW& data) { return (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }

// Runs `remove`; when the system refuses it for a read-only attribute, clears
// the attribute and runs it again. Logs the final failure as `call`.
bool RemoveClearingReadOnly(const char* call, const WidePath& path, const std::function<bool()>& remove)
{
    if (remove())
        return true;
    DWORD error = GetLastError();
    const DWORD attributes = GetFileAttributesW(path.data());
    if (error == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES
        && (attributes & FILE_ATTRIBUTE_READONLY) != 0
        && SetFileAttributesW(path.data(), attributes & ~FILE_ATTRIBUTE_READONLY)) {
        if (remove())
            return true;
        error = GetLastError();
    }
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
        return true;
    LogFailure(call, ToNarrow(path), error);
    return false;
}

bool RemoveWideFile(const WidePath& path)
{
    return RemoveClearingReadOnly("DeleteFileW", path, [&path] { return DeleteFileW(path.data()) != FALSE; });
}

bool RemoveWideFolder(const WidePath& path)
{
    return RemoveClearingReadOnly("RemoveDirectoryW", path,
                                  [&path] { return RemoveDirectoryW(path.data()) != FALSE; });
}

std::uint64_t WideTreeBytes(const WidePath& folder, std::vector<std::string>& strange)
{
    std::uint64_t bytes = 0;
    ForEachEntry(
        folder,
        [&](const WidePath& path, const WIN32_FIND_DATAW& data) {
            if (IsFolder(data))
                bytes += IsLink(data) ? 0 : WideTreeBytes(path, strange);
            else
                bytes += static_cast<std::uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
        },
        strange);
    return bytes;
}

bool SamePath(const WidePath& a, const WidePath& b)
{
    return CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, a.data(), -1, b.data(), -1) == CSTR_EQUAL;
}

void EmptyWideFolder(const WidePath& folder, const WidePath& kept, std::vector<std::string>& left)
{
    ForEachEntry(
        folder,
        [&](const WidePath& path, const WIN32_FIND_DATAW& data) {
            if (!IsFolder(data)) {
                if (!SamePath(path, kept) && !RemoveWideFile(path))
                    left.push_back(ToNarrow(path));
                return;
            }
            const size_t left_before = left.size();
            if (!IsLink(data))
                EmptyWideFolder(path, kept, left);
            // A folder that keeps what could not be removed is named by that.
            if (left.size() == left_before && !RemoveWideFolder(path))
                left.push_back(ToNarrow(path));
        },
        left);
}

} // namespace

std::uint64_t FolderTreeBytes(const std::string& folder)
{
    std::vector<std::string> strange;
    return WideTreeBytes(ToWide(folder), strange);
}

bool RemoveFile(const std::string& path) { return RemoveWideFile(ToWide(path)); }

bool RemoveEmptyFolder(const std::string& path) { return RemoveWideFolder(ToWide(path)); }

void EmptyFolder(const std::string& folder, const std::string& kept, std::vector<std::string>& left)
{
    EmptyWideFolder(ToWide(folder), ToWide(kept), left);
}

bool FolderHoldsOnly(const std::string& folder, const std::function<bool(const std::string& path)>& accept)
{
    bool only = true;
    std::vector<std::string> strange;
    ForEachEntry(
        ToWide(folder),
        [&](const WidePath& path, const WIN32_FIND_DATAW&) {
            std::string narrow;
            only = only && ToExactNarrow(path, narrow) && accept(narrow);
        },
        strange);
    return only && strange.empty();
}
