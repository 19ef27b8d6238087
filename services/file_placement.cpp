#include "services/file_placement.h"

#include "base/failure_log.h"
#include "base/staging_names.h"
#include "base/unique_handle.h"
#include "services/whole_file.h"

#include <windows.h>

namespace {

// An installed copy is replaced only by bytes that are on the disk: after a
// power cut the rename may survive without the data.
bool FlushToDisk(const std::string& part)
{
    FileHandle file(CreateFileA(part.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
    if (!file || !FlushFileBuffers(file.Get())) {
        LogFailure(file ? "FlushFileBuffers" : "CreateFileA", part, GetLastError());
        return false;
    }
    return true;
}

// Moves the staged file into place, or removes it.
bool Commit(const std::string& part, const std::string& target)
{
    const bool replacing = GetFileAttributesA(target.c_str()) != INVALID_FILE_ATTRIBUTES;
    if ((!replacing || FlushToDisk(part)) && MoveIntoPlace(part, target))
        return true;
    if (!DeleteFileA(part.c_str()))
        LogFailure("DeleteFileA", part, GetLastError());
    return false;
}

} // namespace

bool MoveIntoPlace(const std::string& part, const std::string& target)
{
    if (MoveFileExA(part.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING))
        return true;
    DWORD error = GetLastError();
    const DWORD attributes = GetFileAttributesA(target.c_str());
    const DWORD guarded = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & guarded) != 0) {
        if (!SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL)) {
            LogFailure("SetFileAttributesA", target, GetLastError());
        } else if (MoveFileExA(part.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
            return true;
        } else {
            error = GetLastError();
            if (!SetFileAttributesA(target.c_str(), attributes))
                LogFailure("SetFileAttributesA", target, GetLastError());
        }
    }
    LogFailure("MoveFileExA", target, error);
    return false;
}

bool PlaceText(const std::string& path, const std::string& text)
{
    const std::string part = path + staging::kPartSuffix;
    return WriteWholeFile(part, text) && Commit(part, path);
}

bool PlaceCopy(const std::string& source, const std::string& target)
{
    const std::string part = target + staging::kPartSuffix;
    if (!CopyFileA(source.c_str(), part.c_str(), FALSE)) {
        LogFailure("CopyFileA", source + " to " + part, GetLastError());
        return false;
    }
    return Commit(part, target);
}
