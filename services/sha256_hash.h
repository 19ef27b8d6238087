// SHA-256 through the platform's CryptoAPI (advapi32), fed block by block, and
// the hash of a whole file already on disk.
#pragma once

#include "base/crypt_handles.h"

#include <cstddef>
#include <functional>
#include <string>

// The process's CryptoAPI provider (the AES type, which offers SHA-256 from
// Windows XP SP3 on), opened once and kept; 0 when it cannot be opened
// (logged).
HCRYPTPROV SharedCryptProvider();

class Sha256Hash {
public:
    // Opens a hash on the process's provider; a failure shows as an empty
    // Finish().
    Sha256Hash();
    // Goes on from `state`, the unfinished hash of earlier bytes; a null
    // state shows as an empty Finish().
    explicit Sha256Hash(CryptHashHandle state);
    Sha256Hash(const Sha256Hash&) = delete;
    Sha256Hash& operator=(const Sha256Hash&) = delete;

    // Adds the next bytes; false once anything has failed.
    bool Add(const void* data, size_t size);
    // The hash of everything added, as 64 lower-case hexadecimal digits, or
    // the empty text when the platform could not compute it. Ends the hash.
    std::string Finish();
    // The unfinished hash of everything added, for another Sha256Hash to go
    // on from; null once anything has failed. Ends this hash.
    CryptHashHandle Suspend();
    // The platform's handle, for a signature check of what was added.
    HCRYPTHASH Handle() const { return mh_hash.Get(); }

private:
    CryptHashHandle mh_hash;
    bool mb_failed = false;
};

// The SHA-256 of the file at `path` in `sha256`; false when it cannot be read
// whole (missing, a folder, locked) or hashed.
bool HashFile(const std::string& path, std::string& sha256);

// The SHA-256 of the open `file` (read from its current position to its
// end); false, with its failure line naming `path`, when it cannot be read.
bool HashOpenFile(HANDLE file, const std::string& path, std::string& sha256);

// Hands `consume` the next `length` bytes of the open `file` in pieces;
// false, with its failure line naming `path`, when they cannot be read, or
// when the file ends before them.
bool ReadFileBytes(HANDLE file, const std::string& path, long long length,
                   const std::function<void(const char* data, size_t size)>& consume);
