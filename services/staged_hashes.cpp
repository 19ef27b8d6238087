#include "services/staged_hashes.h"

#include "base/failure_log.h"
#include "base/unique_handle.h"

#include <map>

namespace {

// What tells a file apart, and whether it changed since it was left.
struct FileIdentity {
    DWORD volume = 0;
    DWORD index_high = 0;
    DWORD index_low = 0;
    std::int64_t length = -1;
    FILETIME last_write = {};

    bool operator==(const FileIdentity& other) const
    {
        return volume == other.volume && index_high == other.index_high && index_low == other.index_low
               && length == other.length && CompareFileTime(&last_write, &other.last_write) == 0;
    }
};

bool IdentifyFile(HANDLE file, const std::string& path, FileIdentity& identity)
{
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(file, &info)) {
        LogFailure("GetFileInformationByHandle", path, GetLastError());
        return false;
    }
    identity.volume = info.dwVolumeSerialNumber;
    identity.index_high = info.nFileIndexHigh;
    identity.index_low = info.nFileIndexLow;
    identity.length = (static_cast<std::int64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    identity.last_write = info.ftLastWriteTime;
    return true;
}

struct KeptHash {
    FileIdentity identity;
    CryptHashHandle state;
};

// Staged files are written by the run and by read-ahead transfers, on
// threads of their own; a few states at a time, one per file left partial.
class KeptHashes {
public:
    KeptHashes() { InitializeCriticalSection(&m_section); }

    void Keep(const std::string& path, KeptHash kept)
    {
        EnterCriticalSection(&m_section);
        m_kept[path] = std::move(kept);
        LeaveCriticalSection(&m_section);
    }
    KeptHash Take(const std::string& path)
    {
        KeptHash kept;
        EnterCriticalSection(&m_section);
        const auto found = m_kept.find(path);
        if (found != m_kept.end()) {
            kept = std::move(found->second);
            m_kept.erase(found);
        }
        LeaveCriticalSection(&m_section);
        return kept;
    }

private:
    CRITICAL_SECTION m_section;
    std::map<std::string, KeptHash> m_kept;
};

// Never destroyed: a read-ahead transfer may end after static destructors
// have run, and the process's end releases the hashes anyway.
KeptHashes& Kept()
{
    static KeptHashes* kept = new KeptHashes;
    return *kept;
}

} // namespace

void KeepStagedHash(const std::string& path, std::int64_t length, CryptHashHandle state)
{
    KeptHash kept;
    kept.state = std::move(state);
    // Read attributes only, sharing everything: looking must not stand in
    // anyone's way.
    FileHandle file(CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        if (GetLastError() != ERROR_FILE_NOT_FOUND)
            LogFailure("CreateFileA", path, GetLastError());
        ForgetStagedHash(path);
        return;
    }
    if (!kept.state || !IdentifyFile(file.Get(), path, kept.identity) || kept.identity.length != length) {
        ForgetStagedHash(path);
        return;
    }
    Kept().Keep(path, std::move(kept));
}

CryptHashHandle TakeStagedHash(const std::string& path, HANDLE file, std::int64_t length)
{
    KeptHash kept = Kept().Take(path);
    FileIdentity now;
    if (!kept.state || !IdentifyFile(file, path, now) || now.length != length || !(now == kept.identity))
        return CryptHashHandle();
    return std::move(kept.state);
}

void ForgetStagedHash(const std::string& path) { Kept().Take(path); }
