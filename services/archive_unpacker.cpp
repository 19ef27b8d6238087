#include "services/archive_unpacker.h"

#include "base/diagnostics.h"
#include "base/failure_log.h"
#include "base/player_box.h"
#include "base/unique_handle.h"
#include "services/sha256_hash.h"
#include "services/text.h"

#include <windows.h>

namespace {

typedef int(__stdcall* ExtractArchiveFunction)(const char* archive, const char* destination,
                                               char* error);

const size_t kErrorTextSize = 400;

// Opens the library for reading with writes denied, and checks it against
// its entry's hash; the handle is held until the library is loaded, so the
// bytes checked are the bytes loaded.
bool HoldVerifiedLibrary(const std::string& path, const std::string& sha256, FileHandle& held)
{
    held.Reset(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!held) {
        LogFailure("CreateFileA", path, GetLastError());
        return false;
    }
    std::string actual;
    if (!HashOpenFile(held.Get(), path, actual))
        return false;
    if (actual != sha256) {
        Diagnostic("Checksum mismatch: %s expected %s actual %s\n", path.c_str(), sha256.c_str(), actual.c_str());
        return false;
    }
    return true;
}

} // namespace

void UnpackArchive(const std::string& archive_path, const std::string& destination,
                   const std::string& library_folder, const std::string& library_sha256)
{
    if (!EndsWith(archive_path, ".7z"))
        return;

    // Loaded by full path, never through the search order. It stays loaded
    // for the rest of the run: later archives use it again, and a library
    // that is loaded is what was verified then (its file cannot be replaced
    // while loaded), so it is not read and hashed again.
    const std::string library_path = library_folder + "/" + "Extract.dll";
    HMODULE library = GetModuleHandleA(library_path.c_str());
    if (!library) {
        FileHandle held;
        if (!library_sha256.empty() && !HoldVerifiedLibrary(library_path, library_sha256, held)) {
            ShowPlayerMessage(TextId::kNoExtractLibrary);
            return;
        }
        library = LoadLibraryA(library_path.c_str());
        if (!library) {
            LogFailure("LoadLibraryA", library_path, GetLastError());
            ShowPlayerMessage(TextId::kNoExtractLibrary);
            return;
        }
    }
    const auto extract = reinterpret_cast<ExtractArchiveFunction>(
        reinterpret_cast<void*>(GetProcAddress(library, "ExtractArchive")));
    if (!extract) {
        LogFailure("GetProcAddress", library_path + "!ExtractArchive", GetLastError());
        ShowPlayerMessage(TextId::kNoExtractFunction);
        return;
    }

    char error[kErrorTextSize] = {};
    if (extract(archive_path.c_str(), destination.c_str(), error) != 0) {
        error[kErrorTextSize - 1] = '\0';
        Diagnostic("ExtractArchive \"%s\" failed: %s\n", archive_path.c_str(), error);
        ShowPlayerMessage(TextId::kArchiveFailed, {archive_path, error});
        return;
    }
    // The archive has done its work; a copy left behind is only disk space.
    SetFileAttributesA(archive_path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!DeleteFileA(archive_path.c_str()))
        LogFailure("DeleteFileA", archive_path, GetLastError());
}
