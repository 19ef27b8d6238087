// What a manifest may not do, checked once before the run sends or writes
// anything: its brand, then its REG entries, then its URL_ entries in the
// order they are fetched. Plain functions over the parsed document, without
// windows.h, so that every tool that judges a manifest applies the same rules.
#pragma once

#include "base/narrow_names.h"
#include "base/player_texts.h"

#include <cstddef>
#include <string>
#include <vector>

class IniFile;
struct RegistryEntry;

// A manifest is a short INI text: a longer body is a failed manifest rather
// than a way to exhaust the memory of a 32-bit process.
const size_t kLargestManifest = size_t(1) << 20;

// What a build requires of every URL_ entry beyond the rules for all: the
// strict build a hash for each file.
struct EntryDemands {
    bool hash = false;
};

// The brand of the folder, caption and running-client check: BRAND_NAME, or
// "Karvelo Casino" when it is empty.
std::string InstallBrandName(const IniFile& manifest);

// True for a key under HKCU\Software that the system, other vendors or the
// installer itself own, compared case-insensitively as the registry does.
bool IsReservedRegistryKey(const std::string& name);

// A brand becomes one folder under Program Files and one key under
// HKCU\Software: a safe folder name (its device names judged as `names`
// converts them) that names no reserved key, no folder of the system or of
// another product (any name beginning with "Microsoft" among them) and no
// 8.3 short name ("~" and a digit).
bool IsSafeBrand(const std::string& brand, const NarrowNames& names = NarrowNames());

// True when the entry stays inside the brand's key. Under the empty brand the
// entries land in HKCU\Software itself, so the first piece of the sub-key
// must not be a reserved key; deeper pieces cannot leave a safe key.
bool IsSafeRegistryEntry(const std::string& manifest_brand, const RegistryEntry& entry);

// The refusal text for the brand, or the empty text when it is safe.
std::string BrandRefusal(const IniFile& manifest, const NarrowNames& names = NarrowNames());

// The refusal text for one REG entry, or the empty text when the entry is
// safe or is skipped by the run (it then writes nothing). A NUL anywhere, or
// another control byte in a key or value name, is unsafe.
std::string RegistryEntryRefusal(const std::string& manifest_brand, const std::string& key,
                                 const std::string& value);

// The refusal text for one URLS entry, or the empty text when it is fine or
// not a file entry: an unsafe path (one that leaves the install folder or
// places uninstall.exe or uninstall.ini in the folder itself, a NUL
// anywhere in the value among them), a malformed hash or size piece, and an
// entry without what `demands` requires.
std::string ResourceEntryRefusal(const std::string& key, const std::string& value, const EntryDemands& demands,
                                 const NarrowNames& names = NarrowNames());

// A host the installer may connect to: a DNS name or an IPv4 address, made
// of letters, digits, "-" and ".", at most 253 bytes; no scheme, port, path
// or user can be written with these.
bool IsSafeHost(const std::string& host);

// The hosts of [URLS] SERVER_MIRRORS, which serve the same paths as
// SERVER_ADDR: its comma-separated pieces, in order; empty without the key.
std::vector<std::string> MirrorHosts(const IniFile& manifest);

// [URLS] PARALLEL_DOWNLOADS: how many files may be fetched at once.
const int kDefaultParallelDownloads = 6;
const int kMostParallelDownloads = 16;
// True, with `count`, for a whole number from 1 to kMostParallelDownloads
// in decimal digits only (no sign, no space).
bool ReadParallelDownloads(const std::string& value, int& count);

// The refusal text for one of the [URLS] keys that name the server, or the
// empty text for any other key and for a value that is fine.
std::string HostValueRefusal(const std::string& key, const std::string& value);

// The refusal text for the hosts, or the empty text when they are fine: a
// control byte in SERVER_ADDR or SERVER_SCHEME, or a piece of
// SERVER_MIRRORS that is not a safe host.
std::string HostRefusal(const IniFile& manifest);

// The text of the refusal box for the first rule the manifest breaks, or the
// empty text when it breaks none: the brand, the REG entries, the hosts,
// then the URL_ entries in the order they are fetched. `names` judges device
// names as the system will convert them.
// Which refusal of these rules or of the signature's `text` is, and its
// detail (the entry, the value); false for any other text.
bool ReadManifestRefusal(const std::string& text, TextId& id, std::string& detail);

std::string ManifestRefusal(const IniFile& manifest, const EntryDemands& demands = EntryDemands(),
                            const NarrowNames& names = NarrowNames());
