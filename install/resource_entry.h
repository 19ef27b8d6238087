// One file of the manifest's URLS section: "URL_<n>[#display name]" =
// "request path[,sub-folder]". Portable, so the grammar is tested natively.
#pragma once

#include <string>

struct ResourceEntry {
    std::string path;         // request path on SERVER_ADDR
    std::string sub_folder;   // "\"-separated, below the install folder
    std::string display_name; // shown while the file is fetched
};

// True for keys that begin with "URL_" (case-sensitive).
bool IsResourceKey(const std::string& key);

// Splits a URLS entry; false for an entry without a value, which is skipped.
bool ParseResourceEntry(const std::string& key, const std::string& value, ResourceEntry& entry);

// The file name on disk: the last "/"-separated piece of the request path.
std::string ResourceFileName(const std::string& path);

// True when the entry's file lies inside the install folder: no ".." piece and
// no device name in the file name or sub-folder (split on "\" and "/"), no
// rooted sub-folder, and no ":" in either.
bool IsContainedResource(const ResourceEntry& entry);

// True when the brand name is one safe folder name: not empty, not "." or
// "..", no device name, no "\", "/", ":" or other character Windows forbids
// in file names.
bool IsSafeFolderName(const std::string& name);
