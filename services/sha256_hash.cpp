#include "services/sha256_hash.h"

#include "base/failure_log.h"

#include <algorithm>
#include <utility>

namespace {

// Reads of a file already in place; large enough that the calls cost little.
const DWORD kFileReadSize = 64 * 1024;

std::string LowerHex(const std::string& bytes)
{
    static const char kDigits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(bytes.size() * 2);
    for (unsigned char byte : bytes) {
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 0x0F];
    }
    return hex;
}

} // namespace

// One provider for the whole process: opening one costs more than hashing a
// small file or checking a signature, and a re-run hashes hundreds of files;
// once its last context is released the system may unload it, which the next
// hash would pay again (measured under Wine: some 23 ms for a process's first
// opening, 3 ms for each after an unloading).
HCRYPTPROV SharedCryptProvider()
{
    static const CryptProviderHandle provider = [] {
        HCRYPTPROV handle = 0;
        if (!CryptAcquireContextA(&handle, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT)) {
            LogFailure("CryptAcquireContextA", "PROV_RSA_AES", GetLastError());
            handle = 0;
        }
        return CryptProviderHandle(handle);
    }();
    return provider.Get();
}

Sha256Hash::Sha256Hash()
{
    HCRYPTHASH hash = 0;
    if (SharedCryptProvider()) {
        if (CryptCreateHash(SharedCryptProvider(), kSha256Algorithm, 0, 0, &hash))
            mh_hash.Reset(hash);
        else
            LogFailure("CryptCreateHash", "CALG_SHA_256", GetLastError());
    }
    mb_failed = !mh_hash;
}

Sha256Hash::Sha256Hash(CryptHashHandle state) : mh_hash(std::move(state)), mb_failed(!mh_hash) {}

bool Sha256Hash::Add(const void* data, size_t size)
{
    const BYTE* bytes = static_cast<const BYTE*>(data);
    while (!mb_failed && size > 0) {
        const DWORD piece = static_cast<DWORD>(std::min<size_t>(size, kFileReadSize));
        mb_failed = !CryptHashData(mh_hash.Get(), bytes, piece, 0);
        if (mb_failed)
            LogFailure("CryptHashData", "CALG_SHA_256", GetLastError());
        bytes += piece;
        size -= piece;
    }
    return !mb_failed;
}

std::string Sha256Hash::Finish()
{
    DWORD size = 0;
    if (mb_failed || !CryptGetHashParam(mh_hash.Get(), HP_HASHVAL, nullptr, &size, 0))
        return std::string();
    std::string digest(size, '\0');
    if (!CryptGetHashParam(mh_hash.Get(), HP_HASHVAL, reinterpret_cast<BYTE*>(&digest[0]), &size, 0))
        return std::string();
    mb_failed = true;
    digest.resize(size);
    return LowerHex(digest);
}

CryptHashHandle Sha256Hash::Suspend()
{
    CryptHashHandle state;
    if (!mb_failed)
        state = std::move(mh_hash);
    mb_failed = true;
    return state;
}

bool HashFile(const std::string& path, std::string& sha256)
{
    sha256.clear();
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) {
        // A file that is not there yet is what a first run finds.
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
            LogFailure("CreateFileA", path, error);
        return false;
    }
    return HashOpenFile(file.Get(), path, sha256);
}

bool HashOpenFile(HANDLE file, const std::string& path, std::string& sha256)
{
    sha256.clear();
    Sha256Hash hash;
    std::string buffer(kFileReadSize, '\0');
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(file, &buffer[0], kFileReadSize, &read, nullptr)) {
            LogFailure("ReadFile", path, GetLastError());
            return false;
        }
        if (read == 0)
            break;
        if (!hash.Add(buffer.data(), read))
            return false;
    }
    sha256 = hash.Finish();
    return !sha256.empty();
}

bool ReadFileBytes(HANDLE file, const std::string& path, long long length,
                   const std::function<void(const char* data, size_t size)>& consume)
{
    std::string buffer(kFileReadSize, '\0');
    while (length > 0) {
        const DWORD wanted = static_cast<DWORD>(std::min<long long>(length, kFileReadSize));
        DWORD read = 0;
        if (!ReadFile(file, &buffer[0], wanted, &read, nullptr)) {
            LogFailure("ReadFile", path, GetLastError());
            return false;
        }
        if (read == 0) {
            LogFailure("ReadFile", path, ERROR_HANDLE_EOF);
            return false;
        }
        consume(buffer.data(), read);
        length -= read;
    }
    return true;
}
