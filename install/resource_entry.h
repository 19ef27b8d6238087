// One file of the manifest's URLS section: "URL_<n>[#display name]" =
// "request path[,sub-folder[,sha256:<64 hex digits>[,size:<bytes>]]]".
// Portable, so the grammar is tested natively.
#pragma once

#include "base/narrow_names.h"

#include <cstdint>
#include <string>

// What the third piece of a URLS value says about the file's hash.
enum class HashPiece {
    kAbsent,    // no third piece, or one that does not start with "sha256:"
    kSha256,    // "sha256:" and 64 hexadecimal digits
    kMalformed, // starts with "sha256:" but is no hash: the run is refused
};

// What the fourth piece says about the file's length.
enum class SizePiece {
    kAbsent,    // no fourth piece, or one that does not start with "size:"
    kBytes,     // "size:" and a decimal number from 0 to 2^63 - 1
    kMalformed, // starts with "size:" but is no such number: the run is refused
};

struct ResourceEntry {
    std::string path;         // request path on SERVER_ADDR
    std::string sub_folder;   // "\"-separated, below the install folder
    std::string display_name; // shown while the file is fetched
    HashPiece hash = HashPiece::kAbsent;
    std::string sha256;       // lower-case hex digits when hash is kSha256
    SizePiece size_piece = SizePiece::kAbsent;
    std::int64_t size = -1;   // the declared length when size_piece is kBytes
};

// Reads a third piece: "sha256:" followed by exactly 64 hexadecimal digits
// in either case gives kSha256 and the digits in lower case; any other piece
// that starts with "sha256:" is kMalformed; everything else is kAbsent, and
// ignored as older installers ignore it.
HashPiece ReadHashPiece(const std::string& piece, std::string& sha256);

// Reads a fourth piece: "size:" followed by 1 to 19 decimal digits, no sign,
// up to 2^63 - 1, gives kBytes and the number; any other piece that starts
// with "size:" is kMalformed; everything else is kAbsent.
SizePiece ReadSizePiece(const std::string& piece, std::int64_t& size);

// True for keys that begin with "URL_" (case-sensitive).
bool IsResourceKey(const std::string& key);

// Splits a URLS entry; false for an entry without a value, which is skipped.
bool ParseResourceEntry(const std::string& key, const std::string& value, ResourceEntry& entry);

// "Missing checksum in manifest: " and the value when the entry has no hash
// piece at all, as a strict or keyed build refuses it; the empty text
// otherwise (a malformed piece is refused by its own rule).
std::string MissingChecksumRefusal(const ResourceEntry& entry, const std::string& value);

// The file name on disk: the last "/"-separated piece of the request path.
std::string ResourceFileName(const std::string& path);

// Where the entry's file lands: the install folder, the sub-folder when there
// is one, and the file name, joined with "\".
std::string ResourceFilePath(const std::string& install_dir, const ResourceEntry& entry);

// True when the entry's file lies inside the install folder: no ".." piece and
// no device name in the file name or sub-folder (split on "\" and "/" as
// `names` converts them whole), no rooted sub-folder, no ":" and no control
// byte in either nor in the request path, and a file name that is not empty
// nor one of the temporary names files are staged under.
bool IsContainedResource(const ResourceEntry& entry, const NarrowNames& names = NarrowNames());

// True when the brand name is one safe folder name: not empty, not "." or
// "..", no device name, no "\", "/", ":" or other character Windows forbids
// in file names.
bool IsSafeFolderName(const std::string& name, const NarrowNames& names = NarrowNames());
