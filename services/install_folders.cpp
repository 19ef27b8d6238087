#include "services/install_folders.h"

#include "base/failure_log.h"

#include <windows.h>
#include <shlobj.h>

#include <string>

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

std::string ProgramFilesFolder()
{
    return UsableProgramFilesFolder(ShellFolder(CSIDL_PROGRAM_FILES, "CSIDL_PROGRAM_FILES"));
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

std::string ShellFolder(int csidl, const char* csidl_name)
{
    ShellItemList items;
    const HRESULT located = SHGetSpecialFolderLocation(nullptr, csidl, items.Receive());
    if (FAILED(located)) {
        LogFailedResult("SHGetSpecialFolderLocation", csidl_name, located);
        return std::string();
    }
    char path[MAX_PATH] = "";
    if (!SHGetPathFromIDListA(items.Get(), path))
        LogFailure("SHGetPathFromIDListA", csidl_name, GetLastError());
    return path;
}

std::string InstallDirectory(const std::string& folder_name) { return ProgramFilesFolder() + "\\" + folder_name; }

void MakeInstallDirectory(const std::string& folder_name, std::string& install_dir)
{
    const std::string program_files = ProgramFilesFolder();
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

// Split where Windows splits the name: at a backslash or slash that is a
// character of its own in the system's code page, never at the second byte of a
// double-byte character (Japanese, Chinese and Korean names have such bytes).
void CreateDirectories(const std::string& base, const std::string& relative_path)
{
    std::string current = base;
    const char* piece = relative_path.c_str();
    for (const char* at = piece;; at = CharNextA(at)) {
        if (*at != '\\' && *at != '/' && *at != '\0')
            continue;
        if (at > piece) {
            current += "\\" + std::string(piece, at);
            CreateFolder(current);
        }
        if (*at == '\0')
            return;
        piece = at + 1;
    }
}
