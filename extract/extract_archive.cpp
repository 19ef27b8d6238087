// Extract.dll: unpacks a 7z archive into a folder with 7-Zip's C decoder.
//
//   int __stdcall ExtractArchive(const char* archive, const char* destination,
//                                char* error /* 400 bytes */);
//
// Paths are narrow texts in the system code page; entry names are written with
// the wide file functions, so any name in the archive survives. Returns 0 on
// success; otherwise non-zero with a message of at most 399 characters.
// Nothing is written for an archive that breaks a rule: an entry that would
// land outside the destination (absolute paths, drive letters, "..") or on a
// device (a piece named CON, COM1 and the like, or ending in a dot or a
// blank), more than 100,000 entries, a solid block above 512 MiB (the decoder
// holds a whole block in memory), or more unpacked bytes than the
// destination's disk has free. A file is only ever visible under its final
// name once it has been written completely.
#include "base/device_name.h"
#include "base/unique_handle.h"

#include <windows.h>

extern "C" {
#include "7z.h"
#include "7zAlloc.h"
#include "7zCrc.h"
#include "7zFile.h"
}

#include <string>
#include <vector>

namespace {

const size_t kErrorTextSize = 400;
const UInt32 kMostEntries = 100000;
const UInt64 kLargestBlock = UInt64(512) << 20;
const size_t kInputBufferSize = size_t(1) << 18;
const DWORD kWriteChunk = 1 << 20;
const DWORD kKeptAttributes =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
const wchar_t kPartialSuffix[] = L".extracting";
const ISzAlloc kAlloc = {SzAlloc, SzFree};

std::wstring Widen(const char* text)
{
    const int size = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    std::wstring wide(size > 0 ? size : 1, L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, &wide[0], size);
    wide.resize(wide.size() - 1);
    return wide;
}

std::string Narrow(const std::wstring& wide)
{
    const int size = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string text(size > 0 ? size : 1, '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, &text[0], size, nullptr, nullptr);
    text.resize(text.size() - 1);
    return text;
}

const char* DescribeResult(SRes result)
{
    switch (result) {
    case SZ_ERROR_DATA: return "data error";
    case SZ_ERROR_MEM: return "out of memory";
    case SZ_ERROR_CRC: return "CRC error";
    case SZ_ERROR_UNSUPPORTED: return "unsupported compression method";
    case SZ_ERROR_INPUT_EOF: return "unexpected end of archive";
    case SZ_ERROR_READ: return "read error";
    case SZ_ERROR_ARCHIVE: return "damaged archive header";
    case SZ_ERROR_NO_ARCHIVE: return "not a 7z archive";
    default: return "archive error";
    }
}

// An open archive: its file, the look-ahead reader and the decoded headers.
class Archive {
public:
    Archive()
    {
        File_Construct(&m_stream.file);
        FileInStream_CreateVTable(&m_stream);
        m_stream.wres = 0;
        LookToRead2_CreateVTable(&m_look, False);
        m_look.buf = nullptr;
        SzArEx_Init(&m_db);
    }
    ~Archive()
    {
        ISzAlloc_Free(&kAlloc, mp_block);
        SzArEx_Free(&m_db, &kAlloc);
        ISzAlloc_Free(&kAlloc, m_look.buf);
        File_Close(&m_stream.file);
    }
    Archive(const Archive&) = delete;
    Archive& operator=(const Archive&) = delete;

    // 0, or the error that kept the archive from opening.
    SRes Open(const std::wstring& path)
    {
        if (InFile_OpenW(&m_stream.file, path.c_str()) != 0)
            return SZ_ERROR_READ;
        m_look.buf = static_cast<Byte*>(ISzAlloc_Alloc(&kAlloc, kInputBufferSize));
        if (!m_look.buf)
            return SZ_ERROR_MEM;
        m_look.bufSize = kInputBufferSize;
        m_look.realStream = &m_stream.vt;
        LookToRead2_INIT(&m_look)
        return SzArEx_Open(&m_db, &m_look.vt, &kAlloc, &kAlloc);
    }

    UInt32 Count() const { return m_db.NumFiles; }
    UInt64 Size(UInt32 index) const { return SzArEx_GetFileSize(&m_db, index); }

    // The unpacked size of the largest solid block.
    UInt64 LargestBlock() const
    {
        UInt64 largest = 0;
        for (UInt32 block = 0; block < m_db.db.NumFolders; ++block) {
            const UInt64 size = SzAr_GetFolderUnpackSize(&m_db.db, block);
            largest = size > largest ? size : largest;
        }
        return largest;
    }
    bool IsDirectory(UInt32 index) const { return SzArEx_IsDir(&m_db, index); }

    std::wstring Name(UInt32 index) const
    {
        std::vector<UInt16> name(SzArEx_GetFileNameUtf16(&m_db, index, nullptr));
        SzArEx_GetFileNameUtf16(&m_db, index, name.data());
        return std::wstring(name.begin(), name.end() - 1);
    }

    const FILETIME* ModificationTime(UInt32 index) const
    {
        if (!SzBitWithVals_Check(&m_db.MTime, index))
            return nullptr;
        static_assert(sizeof(CNtfsFileTime) == sizeof(FILETIME), "NTFS time is a FILETIME");
        return reinterpret_cast<const FILETIME*>(&m_db.MTime.Vals[index]);
    }

    DWORD Attributes(UInt32 index) const
    {
        return SzBitWithVals_Check(&m_db.Attribs, index) ? m_db.Attribs.Vals[index] & kKeptAttributes : 0;
    }

    // The entry's bytes, decoded with the rest of its solid block, which stays
    // cached for the entries that follow.
    SRes Decode(UInt32 index, const Byte*& data, size_t& size)
    {
        size_t offset = 0;
        const SRes result = SzArEx_Extract(&m_db, &m_look.vt, index, &mn_block_index, &mp_block,
                                           &mn_block_size, &offset, &size, &kAlloc, &kAlloc);
        data = mp_block ? mp_block + offset : nullptr;
        return result;
    }

private:
    CFileInStream m_stream;
    CLookToRead2 m_look;
    CSzArEx m_db;
    UInt32 mn_block_index = 0xFFFFFFFF;
    Byte* mp_block = nullptr;
    size_t mn_block_size = 0;
};

bool IsDirectory(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Free bytes for the caller on the disk of `path`, asked of the nearest folder
// that exists: the destination may not have been created yet.
bool FreeSpace(std::wstring path, UInt64& free_bytes)
{
    for (;;) {
        ULARGE_INTEGER available;
        if (GetDiskFreeSpaceExW(path.c_str(), &available, nullptr, nullptr)) {
            free_bytes = available.QuadPart;
            return true;
        }
        const size_t separator = path.find_last_of(L'\\');
        if (separator == std::wstring::npos || separator == 0)
            return false;
        path.erase(separator);
    }
}

// Creates the folder and every missing parent.
bool CreateFolderChain(const std::wstring& path)
{
    for (size_t separator = path.find(L'\\', 1); separator != std::wstring::npos;
         separator = path.find(L'\\', separator + 1))
        CreateDirectoryW(path.substr(0, separator).c_str(), nullptr);
    CreateDirectoryW(path.c_str(), nullptr);
    return IsDirectory(path);
}

// A relative path that stays below the destination and names no device, with
// "\" separators; empty when the entry must be refused.
std::wstring SafeRelativePath(std::wstring name)
{
    for (wchar_t& c : name)
        if (c == L'/')
            c = L'\\';
    if (name.empty() || name[0] == L'\\' || name.find(L':') != std::wstring::npos)
        return std::wstring();
    for (size_t start = 0; start <= name.size();) {
        size_t end = name.find(L'\\', start);
        if (end == std::wstring::npos)
            end = name.size();
        const std::wstring piece = name.substr(start, end - start);
        if (piece == L".." || IsDeviceName(piece))
            return std::wstring();
        start = end + 1;
    }
    return name;
}

class Extraction {
public:
    explicit Extraction(const std::wstring& destination) : ms_destination(destination)
    {
        while (ms_destination.size() > 1 && (ms_destination.back() == L'\\' || ms_destination.back() == L'/'))
            ms_destination.pop_back();
        for (wchar_t& c : ms_destination)
            if (c == L'/')
                c = L'\\';
    }

    bool Run(const std::wstring& archive_path)
    {
        Archive archive;
        const SRes opened = archive.Open(archive_path);
        if (opened != SZ_OK)
            return Fail("cannot open " + Narrow(archive_path) + ": " + DescribeResult(opened));
        if (!Admissible(archive))
            return false;
        if (!CreateFolderChain(ms_destination))
            return Fail("cannot create " + Narrow(ms_destination), GetLastError());
        for (UInt32 index = 0; index < archive.Count(); ++index) {
            if (!ExtractEntry(archive, index))
                return false;
        }
        return true;
    }

    const std::string& Error() const { return ms_error; }

private:
    // Reads what the archive declares, before anything is written.
    bool Admissible(const Archive& archive)
    {
        if (archive.Count() > kMostEntries)
            return Fail("refused: more than 100000 entries");
        if (archive.LargestBlock() > kLargestBlock)
            return Fail("refused: a solid block larger than 512 MiB");
        UInt64 total = 0;
        for (UInt32 index = 0; index < archive.Count(); ++index) {
            const std::wstring name = archive.Name(index);
            if (SafeRelativePath(name).empty())
                return Fail("refused entry outside the destination or on a device: " + Narrow(name));
            total += archive.Size(index);
        }
        UInt64 free_bytes = 0;
        if (!FreeSpace(ms_destination, free_bytes))
            return Fail("cannot tell the free space of " + Narrow(ms_destination), GetLastError());
        if (total > free_bytes)
            return Fail("refused: " + std::to_string(total) + " bytes unpacked, " + std::to_string(free_bytes)
                        + " free");
        return true;
    }

    bool ExtractEntry(Archive& archive, UInt32 index)
    {
        const std::wstring relative = SafeRelativePath(archive.Name(index));
        const std::wstring target = ms_destination + L"\\" + relative;
        if (archive.IsDirectory(index)) {
            if (!CreateFolderChain(target))
                return Fail("cannot create " + Narrow(relative), GetLastError());
            return true;
        }
        const size_t separator = target.find_last_of(L'\\');
        if (!CreateFolderChain(target.substr(0, separator)))
            return Fail("cannot create the folder of " + Narrow(relative), GetLastError());

        const Byte* data = nullptr;
        size_t size = 0;
        const SRes decoded = archive.Decode(index, data, size);
        if (decoded != SZ_OK)
            return Fail(Narrow(relative) + ": " + DescribeResult(decoded));
        return WriteEntry(target, relative, data, size, archive.ModificationTime(index),
                          archive.Attributes(index));
    }

    // Writes under a temporary name and renames only a complete file.
    bool WriteEntry(const std::wstring& target, const std::wstring& relative, const Byte* data,
                    size_t size, const FILETIME* modified, DWORD attributes)
    {
        const std::wstring partial = target + kPartialSuffix;
        if (!WriteWhole(partial, data, size, modified)) {
            const DWORD error = GetLastError();
            DeleteFileW(partial.c_str());
            return Fail("cannot write " + Narrow(relative), error);
        }
        SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (!MoveFileExW(partial.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
            const DWORD error = GetLastError();
            DeleteFileW(partial.c_str());
            return Fail("cannot replace " + Narrow(relative), error);
        }
        if (attributes)
            SetFileAttributesW(target.c_str(), attributes);
        return true;
    }

    static bool WriteWhole(const std::wstring& path, const Byte* data, size_t size,
                           const FILETIME* modified)
    {
        FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file)
            return false;
        while (size > 0) {
            const DWORD chunk = size < kWriteChunk ? static_cast<DWORD>(size) : kWriteChunk;
            DWORD written = 0;
            if (!WriteFile(file.Get(), data, chunk, &written, nullptr) || written != chunk)
                return false;
            data += chunk;
            size -= chunk;
        }
        if (modified && !SetFileTime(file.Get(), nullptr, nullptr, modified))
            return false;
        // Closing flushes: its failure is a failed write too.
        return CloseHandle(file.Release()) != FALSE;
    }

    bool Fail(const std::string& message, DWORD error = 0)
    {
        ms_error = error ? message + " (error " + std::to_string(error) + ")" : message;
        return false;
    }

    std::wstring ms_destination;
    std::string ms_error;
};

void CopyError(const std::string& message, char* error)
{
    if (!error)
        return;
    const size_t length = message.size() < kErrorTextSize - 1 ? message.size() : kErrorTextSize - 1;
    message.copy(error, length);
    error[length] = '\0';
}

} // namespace

extern "C" __declspec(dllexport) int __stdcall ExtractArchive(const char* archive,
                                                             const char* destination, char* error)
{
    if (!archive || !destination) {
        CopyError("no archive or destination given", error);
        return 1;
    }
    static const bool crc_table_ready = (CrcGenerateTable(), true);
    (void)crc_table_ready;

    Extraction extraction(Widen(destination));
    if (extraction.Run(Widen(archive)))
        return 0;
    CopyError(extraction.Error(), error);
    return 1;
}
