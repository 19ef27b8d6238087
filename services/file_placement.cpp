#include "services/file_placement.h"

#include "base/failure_log.h"
#include "base/staging_names.h"
#include "base/unique_handle.h"
#include "services/whole_file.h"

#include <windows.h>

namespace {

// The pauses between moves of a held file double up to the longest:
// 0.25, 0.5, 1, 2, 4, 4 s make the first 11.75 s (at least kLeastHeldWaitMs).
const DWORD kFirstHeldPauseMs = 250;
const DWORD kLongestHeldPauseMs = 4000;

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

// One move; ERROR_SUCCESS, or the code of the move's failure. A read-only,
// hidden or system target loses those attributes for the move, and gets
// them back when it stays.
DWORD TryMove(const std::string& part, const std::string& target)
{
    if (MoveFileExA(part.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING))
        return ERROR_SUCCESS;
    DWORD error = GetLastError();
    const DWORD attributes = GetFileAttributesA(target.c_str());
    const DWORD guarded = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & guarded) == 0)
        return error;
    if (!SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL)) {
        LogFailure("SetFileAttributesA", target, GetLastError());
        return error;
    }
    if (MoveFileExA(part.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING))
        return ERROR_SUCCESS;
    error = GetLastError();
    if (!SetFileAttributesA(target.c_str(), attributes))
        LogFailure("SetFileAttributesA", target, GetLastError());
    return error;
}

// A target another program has open without sharing it for deletion: the
// move fails with a sharing violation, or is denied on Windows when the
// target is open as a running program or a mapped file. A denial on a
// read-only file or a folder is no holder's, and waiting would not help.
bool IsHeldByAnother(DWORD error, const std::string& target)
{
    if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION)
        return true;
    if (error != ERROR_ACCESS_DENIED)
        return false;
    const DWORD attributes = GetFileAttributesA(target.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES
        && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) == 0;
}

} // namespace

bool MoveIntoPlace(const std::string& part, const std::string& target)
{
    const DWORD error = TryMove(part, target);
    if (error == ERROR_SUCCESS)
        return true;
    LogFailure("MoveFileExA", target, error);
    return false;
}

Placement MoveIntoPlaceWhenFree(const std::string& part, const std::string& target)
{
    DWORD waited = 0;
    for (DWORD pause = kFirstHeldPauseMs;; pause = pause * 2 > kLongestHeldPauseMs ? kLongestHeldPauseMs : pause * 2) {
        const DWORD error = TryMove(part, target);
        if (error == ERROR_SUCCESS)
            return Placement::kPlaced;
        const bool held = IsHeldByAnother(error, target);
        if (!held || waited >= kLeastHeldWaitMs) {
            LogFailure("MoveFileExA", target, error);
            return held ? Placement::kHeld : Placement::kFailed;
        }
        Sleep(pause);
        waited += pause;
    }
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
