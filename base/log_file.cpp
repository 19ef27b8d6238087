#include "base/log_file.h"

namespace {

typedef DWORD(WINAPI* GetFinalPathFunction)(HANDLE file, char* path, DWORD length, DWORD flags);

// Vista and later tell the path a handle has reached; XP has no such call,
// where the reparse attribute alone tells a link.
std::string FinalPath(HANDLE handle)
{
    static const auto final_path = reinterpret_cast<GetFinalPathFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetFinalPathNameByHandleA")));
    if (!final_path)
        return std::string();
    // A buffer too small gives the length needed; Wine refuses a null one.
    std::string path(MAX_PATH, '\0');
    DWORD length = final_path(handle, &path[0], static_cast<DWORD>(path.size()), 0);
    if (length >= path.size()) {
        path.assign(length, '\0');
        length = final_path(handle, &path[0], static_cast<DWORD>(path.size()), 0);
    }
    path.resize(length < path.size() ? length : 0);
    const std::string prefix = "\\\\?\\";
    if (path.compare(0, prefix.size(), prefix) == 0)
        path.erase(0, prefix.size());
    return path;
}

// The long form of a path, as the final path of a handle names it.
std::string LongPath(const std::string& path)
{
    const DWORD needed = GetLongPathNameA(path.c_str(), nullptr, 0);
    if (needed == 0)
        return path;
    std::string long_path(needed, '\0');
    const DWORD length = GetLongPathNameA(path.c_str(), &long_path[0], needed);
    long_path.resize(length < needed ? length : 0);
    return long_path.empty() ? path : long_path;
}

// False when the handle has reached another place than `path`.
bool EndsWhereAsked(HANDLE handle, const std::string& path)
{
    const std::string reached = FinalPath(handle);
    return reached.empty() || lstrcmpiA(reached.c_str(), path.c_str()) == 0;
}

std::string Describe(const char* call, DWORD error)
{
    return std::string(call) + " failed with " + std::to_string(error);
}

} // namespace

LogFile::LogFile(const std::string& folder, const std::string& file_name)
{
    std::string base = folder;
    while (base.size() > 3 && (base.back() == '\\' || base.back() == '/'))
        base.pop_back();
    base = LongPath(base);
    ms_path = base + "\\" + file_name;
    if (HoldFolder(base))
        OpenFile();
}

bool LogFile::Refuse(const std::string& why)
{
    ms_refusal = why;
    mh_file.Reset();
    return false;
}

bool LogFile::HoldFolder(const std::string& folder)
{
    // Wine reports a linked folder by its attributes only.
    const DWORD attributes = GetFileAttributesA(folder.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return Refuse("the folder is a link");
    mh_folder.Reset(CreateFileA(folder.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!mh_folder)
        return Refuse(Describe("CreateFileA of the folder", GetLastError()));
    BY_HANDLE_FILE_INFORMATION information;
    if (!GetFileInformationByHandle(mh_folder.Get(), &information))
        return Refuse(Describe("GetFileInformationByHandle of the folder", GetLastError()));
    if (!(information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        || (information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) || !EndsWhereAsked(mh_folder.Get(), folder))
        return Refuse("the folder is a link");
    return true;
}

bool LogFile::OpenFile()
{
    mh_file.Reset(CreateFileA(ms_path.c_str(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!mh_file)
        return Refuse(Describe("CreateFileA", GetLastError()));
    BY_HANDLE_FILE_INFORMATION information;
    if (!GetFileInformationByHandle(mh_file.Get(), &information))
        return Refuse(Describe("GetFileInformationByHandle", GetLastError()));
    if (information.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY))
        return Refuse("the file is a link");
    if (information.nNumberOfLinks != 1)
        return Refuse("the file has " + std::to_string(information.nNumberOfLinks) + " names");
    if (!EndsWhereAsked(mh_file.Get(), ms_path))
        return Refuse("the file is a link");
    return true;
}

void LogFile::Append(const std::string& line) const
{
    if (!mh_file)
        return;
    DWORD written = 0;
    WriteFile(mh_file.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}
