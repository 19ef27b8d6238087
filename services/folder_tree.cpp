#include "services/folder_tree.h"

#include "base/failure_log.h"
#include "base/unique_handle.h"
#include "services/text.h"

#include <windows.h>

#include <functional>

namespace {

typedef std::function<void(const std::string& path, const WIN32_FIND_DATAA& data)> EntryVisitor;

// Calls `visit` for every entry of `folder` but "." and "..", once the
// search is over: the visit may remove the entry.
void ForEachEntry(const std::string& folder, const EntryVisitor& visit)
{
    std::vector<WIN32_FIND_DATAA> entries;
    {
        WIN32_FIND_DATAA data;
        FindHandle find(FindFirstFileA((folder + "\\*").c_str(), &data));
        if (!find) {
            const DWORD error = GetLastError();
            if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
                LogFailure("FindFirstFileA", folder, error);
            return;
        }
        do {
            const std::string name = data.cFileName;
            if (name != "." && name != "..")
                entries.push_back(data);
        } while (FindNextFileA(find.Get(), &data));
        if (GetLastError() != ERROR_NO_MORE_FILES)
            LogFailure("FindNextFileA", folder, GetLastError());
    }
    for (const WIN32_FIND_DATAA& entry : entries)
        visit(folder + "\\" + entry.cFileName, entry);
}

bool IsFolder(const WIN32_FIND_DATAA& data) { return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }

bool IsLink(const WIN32_FIND_DATAA& data) { return (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }

// Runs `remove`; when the system refuses it for a read-only attribute, clears
// the attribute and runs it again. Logs the final failure as `call`.
bool RemoveClearingReadOnly(const char* call, const std::string& path, const std::function<bool()>& remove)
{
    if (remove())
        return true;
    DWORD error = GetLastError();
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (error == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES
        && (attributes & FILE_ATTRIBUTE_READONLY) != 0
        && SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY)) {
        if (remove())
            return true;
        error = GetLastError();
    }
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
        return true;
    LogFailure(call, path, error);
    return false;
}

} // namespace

std::uint64_t FolderTreeBytes(const std::string& folder)
{
    std::uint64_t bytes = 0;
    ForEachEntry(folder, [&bytes](const std::string& path, const WIN32_FIND_DATAA& data) {
        if (IsFolder(data))
            bytes += IsLink(data) ? 0 : FolderTreeBytes(path);
        else
            bytes += static_cast<std::uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
    });
    return bytes;
}

bool RemoveFile(const std::string& path)
{
    return RemoveClearingReadOnly("DeleteFileA", path, [&path] { return DeleteFileA(path.c_str()) != FALSE; });
}

bool RemoveEmptyFolder(const std::string& path)
{
    return RemoveClearingReadOnly("RemoveDirectoryA", path,
                                  [&path] { return RemoveDirectoryA(path.c_str()) != FALSE; });
}

void EmptyFolder(const std::string& folder, const std::string& kept, std::vector<std::string>& left)
{
    const std::string kept_upper = AsciiUpper(kept);
    ForEachEntry(folder, [&](const std::string& path, const WIN32_FIND_DATAA& data) {
        if (!IsFolder(data)) {
            if (AsciiUpper(path) != kept_upper && !RemoveFile(path))
                left.push_back(path);
            return;
        }
        const size_t left_before = left.size();
        if (!IsLink(data))
            EmptyFolder(path, kept, left);
        // A folder that keeps what could not be removed is named by that.
        if (left.size() == left_before && !RemoveEmptyFolder(path))
            left.push_back(path);
    });
}
