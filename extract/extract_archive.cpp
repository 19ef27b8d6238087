// Extract.dll: unpacks a 7z archive into a folder with 7-Zip's C decoder.
//
//   int __stdcall ExtractArchive(const char* archive, const char* destination,
//                                char* error /* 400 bytes */);
//
// Paths are narrow texts in the system code page; entry names are written with
// the wide file functions, and only names the code page spells exactly are
// accepted, since the installer and the uninstaller read them back through
// the ANSI functions. Returns 0 on
// success; otherwise non-zero with a message of at most 399 characters.
// Nothing is written for an archive that breaks a rule: an entry that would
// land outside the destination (absolute paths, drive letters, "..") or on a
// device (a piece named CON, COM1 and the like, or ending in a dot or a
// blank), a name the code page cannot spell exactly, a first piece with "~"
// and a digit (an 8.3 name may stand for the uninstaller's files), more than
// 100,000 entries, a solid block above 512 MiB (the decoder
// holds a whole block in memory), or more unpacked bytes than the
// destination's disk has free, or a block whose decoder would need more than
// 128 MiB besides the block itself (a PPMd model, BCJ2's side streams). A file is only ever visible under its final
// name once it has been written completely, and no entry may have the name a
// file is staged under (NAME.part). The library needs no C++ runtime
// library: its texts live on the process heap.
#include "base/disk_space.h"
#include "base/path_rules.h"
#include "base/staging_names.h"
#include "base/uninstall_names.h"
#include "base/unique_handle.h"
#include "extract/error_message.h"
#include "extract/wide_text.h"

#include <windows.h>

extern "C" {
#include "7z.h"
#include "CpuArch.h"
#include "7zCrc.h"
#include "7zFile.h"
}

namespace {

const UInt32 kMostEntries = 100000;
const UInt64 kLargestBlock = UInt64(512) << 20;
// Memory the decoder may hold while it reads the headers, before the rules
// above can be checked: an admissible archive needs far less (100,000 entries
// with names as long as a path may be, held twice), while a header of a few
// kilobytes can declare millions of entries.
const size_t kMostHeaderBytes = size_t(128) << 20;
// While decoding: the largest block the rule above lets through, and at most
// 128 MiB of models and buffers beside it, whatever the archive declares.
const UInt64 kMostDecoderBytes = UInt64(128) << 20;
const size_t kMostDecodingBytes = static_cast<size_t>(kLargestBlock + kMostDecoderBytes);
// The decoder's method ids (7zDec.c keeps them to itself).
const UInt32 kMethodPpmd = 0x30401;
const UInt32 kMethodBcj2 = 0x303011B;
const size_t kInputBufferSize = size_t(1) << 18;
const DWORD kWriteChunk = 1 << 20;
// WC_ERR_INVALID_CHARS, which the headers name for Vista and later only: a
// lone surrogate has no UTF-8 form.
const DWORD kInvalidCharsFail = 0x80;
const DWORD kKeptAttributes =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;

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

// The decoder's memory, counted: it asks for the sizes the archive declares,
// so a limit refuses what goes beyond it.
class CountedAlloc : public ISzAlloc {
public:
    CountedAlloc() : ISzAlloc{Take, Give} {}
    void SetLimit(size_t limit) { mn_limit = limit; }

private:
    static CountedAlloc& Of(ISzAllocPtr self)
    {
        return *const_cast<CountedAlloc*>(static_cast<const CountedAlloc*>(self));
    }

    static void* Take(ISzAllocPtr self, size_t size)
    {
        CountedAlloc& counted = Of(self);
        if (size == 0 || size > counted.mn_limit - counted.mn_held)
            return nullptr;
        void* address = HeapAlloc(GetProcessHeap(), 0, size);
        if (address)
            counted.mn_held += size;
        return address;
    }

    static void Give(ISzAllocPtr self, void* address)
    {
        if (!address)
            return;
        Of(self).mn_held -= HeapSize(GetProcessHeap(), 0, address);
        HeapFree(GetProcessHeap(), 0, address);
    }

    size_t mn_held = 0;
    size_t mn_limit = static_cast<size_t>(-1);
};

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
        ISzAlloc_Free(&m_alloc, mp_block);
        SzArEx_Free(&m_db, &m_alloc);
        ISzAlloc_Free(&m_alloc, m_look.buf);
        File_Close(&m_stream.file);
    }
    Archive(const Archive&) = delete;
    Archive& operator=(const Archive&) = delete;

    // 0, or the error that kept the archive from opening.
    SRes Open(const WideText& path)
    {
        if (InFile_OpenW(&m_stream.file, path.Get()) != 0)
            return SZ_ERROR_READ;
        m_alloc.SetLimit(kMostHeaderBytes);
        m_look.buf = static_cast<Byte*>(ISzAlloc_Alloc(&m_alloc, kInputBufferSize));
        if (!m_look.buf)
            return SZ_ERROR_MEM;
        m_look.bufSize = kInputBufferSize;
        m_look.realStream = &m_stream.vt;
        LookToRead2_INIT(&m_look)
        const SRes opened = SzArEx_Open(&m_db, &m_look.vt, &m_alloc, &m_alloc);
        // Decoding asks for the solid block and the decoder's models and
        // buffers, which the rules below bound; the limit stays, in case
        // the decoder asks for more than they foresee.
        m_alloc.SetLimit(kMostDecodingBytes);
        return opened;
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

    // The memory the decoder of the largest block takes besides the block
    // itself, as the archive declares it: the PPMd model, and BCJ2's side
    // streams, which 7zDec.c allocates before it checks them; the LZMA
    // probabilities are a few MiB at most. The largest UInt64 for a block
    // whose coders cannot be read.
    UInt64 LargestDecoderMemory() const
    {
        UInt64 largest = 0;
        for (UInt32 block = 0; block < m_db.db.NumFolders; ++block) {
            const UInt64 memory = DecoderMemory(block);
            largest = memory > largest ? memory : largest;
        }
        return largest;
    }

    // The entry's name; false when there was no memory for it.
    bool Name(UInt32 index, WideText& name) const
    {
        static_assert(sizeof(UInt16) == sizeof(wchar_t), "names are UTF-16");
        const size_t length = SzArEx_GetFileNameUtf16(&m_db, index, nullptr);
        wchar_t* text = name.Resize(length > 0 ? length - 1 : 0);
        if (!text)
            return false;
        if (length > 0)
            SzArEx_GetFileNameUtf16(&m_db, index, reinterpret_cast<UInt16*>(text));
        return true;
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
                                           &mn_block_size, &offset, &size, &m_alloc, &m_alloc);
        data = mp_block ? mp_block + offset : nullptr;
        return result;
    }

private:
    UInt64 DecoderMemory(UInt32 block) const
    {
        const CSzAr& db = m_db.db;
        const Byte* data = db.CodersData + db.FoCodersOffsets[block];
        CSzData coders = {data, db.FoCodersOffsets[block + 1] - db.FoCodersOffsets[block]};
        CSzFolder folder;
        if (SzGetNextFolderItem(&folder, &coders) != SZ_OK)
            return ~UInt64(0);
        const UInt64* unpack_sizes = db.CoderUnpackSizes + db.FoToCoderUnpackSizes[block];
        const UInt64* pack_positions = db.PackPositions + db.FoStartPackStreamIndex[block];
        UInt64 memory = 0;
        for (UInt32 index = 0; index < folder.NumCoders; ++index) {
            const CSzCoderInfo& coder = folder.Coders[index];
            if (coder.MethodID == kMethodPpmd && coder.PropsSize >= 5)
                memory = disk_space::SaturatingAdd(memory, GetUi32(data + coder.PropsOffset + 1));
        }
        // BCJ2's two streams decoded beside the block, and its third, copied.
        // Only the decoder's one BCJ2 layout has the four packed streams
        // counted here; any other the decoder refuses.
        if (folder.NumCoders == 4 && folder.Coders[3].MethodID == kMethodBcj2 && folder.Coders[3].NumStreams == 4
            && folder.NumPackStreams == 4) {
            memory = disk_space::SaturatingAdd(memory, unpack_sizes[0]);
            memory = disk_space::SaturatingAdd(memory, unpack_sizes[1]);
            memory = disk_space::SaturatingAdd(memory, pack_positions[2] - pack_positions[1]);
        }
        return memory;
    }

    CountedAlloc m_alloc;
    CFileInStream m_stream;
    CLookToRead2 m_look;
    CSzArEx m_db;
    UInt32 mn_block_index = 0xFFFFFFFF;
    Byte* mp_block = nullptr;
    size_t mn_block_size = 0;
};

bool IsDirectory(const wchar_t* path)
{
    const DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The cluster size of the volume of the existing folder `path`; 0 when the
// system cannot tell (the free space is then judged by the bytes alone).
UInt64 ClusterBytes(const WideText& path)
{
    WideText root;
    wchar_t* text = root.Resize(path.Length() + 2);
    if (!text || !GetVolumePathNameW(path.Get(), text, static_cast<DWORD>(path.Length() + 2)))
        return 0;
    DWORD sectors_per_cluster = 0, bytes_per_sector = 0, free_clusters = 0, clusters = 0;
    if (!GetDiskFreeSpaceW(text, &sectors_per_cluster, &bytes_per_sector, &free_clusters, &clusters))
        return 0;
    return static_cast<UInt64>(sectors_per_cluster) * bytes_per_sector;
}

// Free bytes for the caller on the disk of `path`, and its cluster size,
// asked of the nearest folder that exists: the destination may not have
// been created yet.
bool FreeSpace(std::wstring_view destination, UInt64& free_bytes, UInt64& cluster_bytes)
{
    WideText path;
    path.Append(destination);
    while (!path.Failed()) {
        ULARGE_INTEGER available;
        if (GetDiskFreeSpaceExW(path.Get(), &available, nullptr, nullptr)) {
            free_bytes = available.QuadPart;
            cluster_bytes = ClusterBytes(path);
            return true;
        }
        const size_t separator = path.View().find_last_of(L'\\');
        if (separator == std::wstring_view::npos || separator == 0)
            return false;
        path.Truncate(separator);
    }
    return false;
}

// Creates the folder of the first `length` characters of `path` and every
// missing parent; `path` is cut short only for the calls. 0 when the folder
// exists afterwards, else the error of its CreateDirectoryW (taken before
// the check that the folder is there overwrites it).
DWORD CreateFolderChain(WideText& path, size_t length)
{
    wchar_t* text = path.Data();
    if (!text)
        return ERROR_NOT_ENOUGH_MEMORY;
    const wchar_t kept = text[length];
    text[length] = L'\0';
    for (size_t separator = 1; separator < length; ++separator) {
        if (text[separator] != L'\\')
            continue;
        text[separator] = L'\0';
        CreateDirectoryW(text, nullptr);
        text[separator] = L'\\';
    }
    const DWORD error = CreateDirectoryW(text, nullptr) ? 0 : GetLastError();
    const bool created = IsDirectory(text);
    text[length] = kept;
    if (created)
        return 0;
    return error != 0 ? error : ERROR_PATH_NOT_FOUND;
}

// True when the name converts to the system's ANSI code page character for
// character. The installer and the uninstaller meet these names through the
// ANSI functions, which best-fit what the code page lacks: U+FF3C would come
// back as a backslash, and U+00A5 under code page 932 too, so a piece "..",
// U+FF3C, ".." would climb out of the folder. An exact name reads the same
// in both forms, so the rules below judge it as converted.
bool IsExactInCodePage(std::wstring_view name)
{
    if (GetACP() == CP_UTF8)
        return WideCharToMultiByte(CP_UTF8, kInvalidCharsFail, name.data(), static_cast<int>(name.size()), nullptr,
                                   0, nullptr, nullptr)
            > 0;
    BOOL used_default = FALSE;
    const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, name.data(), static_cast<int>(name.size()),
                                           nullptr, 0, nullptr, &used_default);
    return length > 0 && !used_default;
}

// Turns an entry name into a relative path that stays below the destination
// and names no device, with "\" separators; false when the entry must be
// refused. The destination is the install folder, whose uninstaller and
// record only the installer writes.
bool MakeSafeRelativePath(WideText& name)
{
    path_rules::UseBackslashes(name.Data(), name.Length());
    const std::wstring_view path = name.View();
    return !path.empty() && IsExactInCodePage(path) && path_rules::IsContainedPath(path)
        && !staging::IsTemporaryName(path) && !uninstall_names::IsUninstallFileName(path)
        && !uninstall_names::MayBeShortName(uninstall_names::FirstPiece(path));
}

class Extraction {
public:
    explicit Extraction(const char* destination)
    {
        ms_destination.AssignNarrow(destination);
        wchar_t* text = ms_destination.Data();
        size_t length = ms_destination.Length();
        while (length > 1 && (text[length - 1] == L'\\' || text[length - 1] == L'/'))
            --length;
        ms_destination.Truncate(length);
        path_rules::UseBackslashes(text, length);
    }

    bool Run(const char* archive_name)
    {
        WideText archive_path;
        archive_path.AssignNarrow(archive_name);
        if (archive_path.Failed() || ms_destination.Failed())
            return OutOfMemory();
        Archive archive;
        const SRes opened = archive.Open(archive_path);
        if (opened != SZ_OK) {
            m_error << "cannot open " << archive_path.View() << ": " << DescribeResult(opened);
            return false;
        }
        if (!Admissible(archive))
            return false;
        if (const DWORD error = CreateFolderChain(ms_destination, ms_destination.Length()))
            return Fail("cannot create ", ms_destination.View(), error);
        for (UInt32 index = 0; index < archive.Count(); ++index) {
            if (!ExtractEntry(archive, index))
                return false;
        }
        return true;
    }

    const ErrorMessage& Error() const { return m_error; }

private:
    // Reads what the archive declares, before anything is written.
    bool Admissible(const Archive& archive)
    {
        if (archive.Count() > kMostEntries)
            return Fail("refused: more than 100000 entries");
        if (archive.LargestBlock() > kLargestBlock)
            return Fail("refused: a solid block larger than 512 MiB");
        if (archive.LargestDecoderMemory() > kMostDecoderBytes)
            return Fail("refused: a block whose decoder needs more than 128 MiB");
        UInt64 free_bytes = 0, cluster_bytes = 0;
        if (!FreeSpace(ms_destination.View(), free_bytes, cluster_bytes))
            return Fail("cannot tell the free space of ", ms_destination.View(), GetLastError());
        UInt64 on_disk = 0;
        WideText name;
        for (UInt32 index = 0; index < archive.Count(); ++index) {
            if (!archive.Name(index, name))
                return OutOfMemory();
            if (!MakeSafeRelativePath(name)) {
                // The message shows the name as the archive has it.
                archive.Name(index, name);
                return Fail("refused entry outside the destination, on a device, not exact in the code page, with a short, a temporary or the uninstaller's name: ",
                            name.View());
            }
            on_disk = disk_space::SaturatingAdd(on_disk, disk_space::OnDisk(archive.Size(index), cluster_bytes));
        }
        // Each file takes whole clusters, and the disk keeps its margin.
        const UInt64 needed = disk_space::Needed(on_disk);
        if (needed > free_bytes) {
            m_error << "refused: " << needed << " bytes needed on disk, " << free_bytes << " free";
            return false;
        }
        return true;
    }

    bool ExtractEntry(Archive& archive, UInt32 index)
    {
        WideText relative;
        if (!archive.Name(index, relative))
            return OutOfMemory();
        MakeSafeRelativePath(relative);
        WideText target;
        target.Append(ms_destination.View());
        target.Append(L"\\");
        target.Append(relative.View());
        if (target.Failed())
            return OutOfMemory();
        if (archive.IsDirectory(index)) {
            if (const DWORD error = CreateFolderChain(target, target.Length()))
                return Fail("cannot create ", relative.View(), error);
            return true;
        }
        if (const DWORD error = CreateFolderChain(target, target.View().find_last_of(L'\\')))
            return Fail("cannot create the folder of ", relative.View(), error);

        const Byte* data = nullptr;
        size_t size = 0;
        const SRes decoded = archive.Decode(index, data, size);
        if (decoded != SZ_OK) {
            m_error << relative.View() << ": " << DescribeResult(decoded);
            return false;
        }
        return WriteEntry(target, relative.View(), data, size, archive.ModificationTime(index),
                          archive.Attributes(index));
    }

    // Writes under a temporary name and renames only a complete file.
    bool WriteEntry(const WideText& target, std::wstring_view relative, const Byte* data, size_t size,
                    const FILETIME* modified, DWORD attributes)
    {
        WideText partial;
        partial.Append(target.View());
        partial.Append(staging::kWidePartSuffix);
        if (partial.Failed())
            return OutOfMemory();
        // A copy in place is replaced only by bytes that are on the disk
        // (after a power cut the rename may survive without the data), and
        // keeps its attributes when it stays.
        const DWORD replaced = GetFileAttributesW(target.Get());
        if (!WriteWhole(partial.Get(), data, size, modified, replaced != INVALID_FILE_ATTRIBUTES)) {
            const DWORD error = GetLastError();
            DeleteFileW(partial.Get());
            return Fail("cannot write ", relative, error);
        }
        if (replaced != INVALID_FILE_ATTRIBUTES)
            SetFileAttributesW(target.Get(), FILE_ATTRIBUTE_NORMAL);
        if (!MoveFileExW(partial.Get(), target.Get(), MOVEFILE_REPLACE_EXISTING)) {
            const DWORD error = GetLastError();
            DeleteFileW(partial.Get());
            if (replaced != INVALID_FILE_ATTRIBUTES)
                SetFileAttributesW(target.Get(), replaced);
            return Fail("cannot replace ", relative, error);
        }
        if (attributes)
            SetFileAttributesW(target.Get(), attributes);
        return true;
    }

    static bool WriteWhole(const wchar_t* path, const Byte* data, size_t size, const FILETIME* modified,
                           bool flush)
    {
        FileHandle file(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
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
        if (flush && !FlushFileBuffers(file.Get()))
            return false;
        // Closing flushes: its failure is a failed write too.
        return CloseHandle(file.Release()) != FALSE;
    }

    bool Fail(const char* message, std::wstring_view name = std::wstring_view(), DWORD error = 0)
    {
        m_error << message << name;
        m_error.AddErrorCode(error);
        return false;
    }

    bool OutOfMemory() { return Fail(DescribeResult(SZ_ERROR_MEM)); }

    WideText ms_destination;
    ErrorMessage m_error;
};

} // namespace

// The checksum table the decoder reads is made once, before any call.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(instance);
        CrcGenerateTable();
    }
    return TRUE;
}

extern "C" __declspec(dllexport) int __stdcall ExtractArchive(const char* archive,
                                                             const char* destination, char* error)
{
    if (!archive || !destination) {
        ErrorMessage message;
        message << "no archive or destination given";
        message.CopyTo(error);
        return 1;
    }
    Extraction extraction(destination);
    if (extraction.Run(archive))
        return 0;
    extraction.Error().CopyTo(error);
    return 1;
}
