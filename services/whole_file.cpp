#include "services/whole_file.h"

#include "base/failure_log.h"
#include "base/unique_handle.h"

namespace {

bool IsMissing(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

} // namespace

std::int64_t FileSize(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
        if (!IsMissing(GetLastError()))
            LogFailure("GetFileAttributesExA", path, GetLastError());
        return -1;
    }
    return static_cast<std::int64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
}

bool ReadWholeFile(const std::string& path, size_t limit, std::string& text)
{
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD error = GetLastError();
        if (!IsMissing(error))
            LogFailure("CreateFileA", path, error);
        return false;
    }
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.Get(), &size)) {
        LogFailure("GetFileSizeEx", path, GetLastError());
        return false;
    }
    if (static_cast<unsigned long long>(size.QuadPart) > limit)
        return false;
    // One byte more than the size: a file that grew since is noticed.
    text.assign(static_cast<size_t>(size.QuadPart) + 1, '\0');
    DWORD read = 0;
    if (!ReadFile(file.Get(), &text[0], static_cast<DWORD>(text.size()), &read, nullptr)) {
        LogFailure("ReadFile", path, GetLastError());
        return false;
    }
    text.resize(read);
    return read <= limit;
}

bool WriteWholeFile(const std::string& path, const std::string& text)
{
    FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
    if (!file) {
        LogFailure("CreateFileA", path, GetLastError());
        return false;
    }
    DWORD written = 0;
    const bool wrote = WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    if (wrote && written == text.size())
        return true;
    // A short file is no file of ours: a full disk leaves nothing behind.
    LogFailure("WriteFile", path, wrote ? ERROR_DISK_FULL : GetLastError());
    file.Reset();
    if (!DeleteFileA(path.c_str()))
        LogFailure("DeleteFileA", path, GetLastError());
    return false;
}
