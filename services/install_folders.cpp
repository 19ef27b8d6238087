#include "services/install_folders.h"

#include "base/failure_log.h"
#include "services/text.h"

#include <windows.h>
#include <shlobj.h>

#include <vector>

namespace {

const char kFallbackProgramFiles[] = "c:\\Program Files";

// An item list from the shell, released through the shell's allocator.
class ShellItemList {
public:
    ShellItemList() = default;
    ~ShellItemList()
    {
        IMalloc* allocator = nullptr;
        if (mp_items && SUCCEEDED(SHGetMalloc(&allocator))) {
            allocator->Free(mp_items);
            allocator->Release();
        }
    }
    ShellItemList(const ShellItemList&) = delete;
    ShellItemList& operator=(const ShellItemList&) = delete;

    LPITEMIDLIST* Receive() { return &mp_items; }
    LPCITEMIDLIST Get() const { return mp_items; }

private:
    LPITEMIDLIST mp_items = nullptr;
};

// The shell's answer for Program Files, or the empty text when it has none.
std::string ReportedProgramFilesFolder()
{
    ShellItemList items;
    const HRESULT located = SHGetSpecialFolderLocation(nullptr, CSIDL_PROGRAM_FILES, items.Receive());
    if (FAILED(located)) {
        LogFailedResult("SHGetSpecialFolderLocation", "CSIDL_PROGRAM_FILES", located);
        return std::string();
    }
    char path[MAX_PATH] = "";
    if (!SHGetPathFromIDListA(items.Get(), path))
        LogFailure("SHGetPathFromIDListA", "CSIDL_PROGRAM_FILES", GetLastError());
    return path;
}

// An existing folder is no failure; anything else (a file standing where
// the folder must be, too) is logged, and shows later when the folder is used.
void CreateFolder(const std::string& path)
{
    if (CreateDirectoryA(path.c_str(), nullptr))
        return;
    const DWORD error = GetLastError();
    if (!DirectoryExists(path.c_str()))
        LogFailure("CreateDirectoryA", path, error);
}

void CreateMissingDirectory(const std::string& path)
{
    if (!DirectoryExists(path.c_str()))
        CreateFolder(path);
}

} // namespace

std::string UsableProgramFilesFolder(const std::string& reported)
{
    if (reported.empty())
        return kFallbackProgramFiles;
    if (reported.back() == '\\')
        return reported.substr(0, reported.size() - 1);
    return reported;
}

void MakeInstallDirectory(const std::string& folder_name, std::string& install_dir)
{
    const std::string program_files = UsableProgramFilesFolder(ReportedProgramFilesFolder());
    CreateMissingDirectory(program_files);
    install_dir = program_files + "\\" + folder_name;
    CreateMissingDirectory(install_dir);
}

bool DirectoryExists(const char* path)
{
    if (lstrlenA(path) > MAX_PATH)
        return false;
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES
        && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void CreateDirectories(const std::string& base, const std::string& relative_path)
{
    std::vector<std::string> parts;
    Split(parts, relative_path, "\\", 0);
    std::string current = base;
    for (const std::string& part : parts) {
        current += "\\" + part;
        CreateFolder(current);
    }
}
