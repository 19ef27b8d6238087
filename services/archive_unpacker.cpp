#include "services/archive_unpacker.h"

#include "base/diagnostics.h"
#include "base/failure_log.h"
#include "base/owner_window.h"
#include "services/text.h"

#include <windows.h>

namespace {

typedef int(__stdcall* ExtractArchiveFunction)(const char* archive, const char* destination,
                                               char* error);

const size_t kErrorTextSize = 400;

} // namespace

void UnpackArchive(const std::string& archive_path, const std::string& destination,
                   const std::string& library_folder)
{
    if (!EndsWith(archive_path, ".7z"))
        return;

    // Loaded by full path, never through the search order. It stays loaded
    // for the rest of the run: later archives use it again.
    const std::string library_path = library_folder + "/" + "Extract.dll";
    HMODULE library = LoadLibraryA(library_path.c_str());
    if (!library) {
        LogFailure("LoadLibraryA", library_path, GetLastError());
        ShowMessage("Can't load Extract dll");
        return;
    }
    const auto extract = reinterpret_cast<ExtractArchiveFunction>(
        reinterpret_cast<void*>(GetProcAddress(library, "ExtractArchive")));
    if (!extract) {
        LogFailure("GetProcAddress", library_path + "!ExtractArchive", GetLastError());
        ShowMessage("Can't find ExtractArchive function");
        return;
    }

    char error[kErrorTextSize] = {};
    if (extract(archive_path.c_str(), destination.c_str(), error) != 0) {
        error[kErrorTextSize - 1] = '\0';
        Diagnostic("ExtractArchive \"%s\" failed: %s\n", archive_path.c_str(), error);
        ShowMessage(archive_path + "\nError:" + error);
        return;
    }
    // The archive has done its work; a copy left behind is only disk space.
    SetFileAttributesA(archive_path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!DeleteFileA(archive_path.c_str()))
        LogFailure("DeleteFileA", archive_path, GetLastError());
}
