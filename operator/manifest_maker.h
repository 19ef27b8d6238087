// A manifest made from the files of a release folder: one URL_ entry per
// file, in the order the installer needs, put into a template's [URLS].
#pragma once

#include "base/narrow_names.h"
#include "operator/manifest_check.h"

#include <functional>
#include <string>
#include <vector>

struct ReleaseFile {
    std::string path;      // below the release folder, "/"-separated, in the manifest's code page
    std::string disk_path; // where the operator's machine reads it
    std::string shown;     // the path as the operator's machine names it, for messages
};

// The hash and length of a file on the operator's machine; false when it
// cannot be read.
using ReadFileHash = std::function<bool(const std::string& disk_path, ServedFile& file)>;

struct MakeOptions {
    std::string template_text; // [GENERAL] and the rest; empty: [URLS] alone
    std::string host;          // SERVER_ADDR
    std::string prefix;        // put before every request path, with "/"
    NarrowNames names;         // the player's code page, for the device names
};

// Top-level Extract.dll first, so that it is in place before any archive;
// top-level casino.exe last, so that the client starts only complete; the
// rest by path, byte for byte.
void OrderForInstaller(std::vector<ReleaseFile>& files);

// The text of one entry's key: "URL_" and its number, zero-padded to the
// width of `count` so that the installer's byte order of keys is the number
// order, then "#" and the display name.
std::string EntryKey(size_t number, size_t count, const std::string& file_name);

// The template with SERVER_ADDR set to the host and an entry per file at the
// end of [URLS]; every other byte of the template stays, its signature line
// aside (the files it signed are no longer the ones listed). False, with
// every refusal and nothing made, for a file the installer refuses (the
// checker's own rule and text), one a manifest cannot name, a template that
// lists files already, or a made manifest the checker finds errors in.
bool MakeManifest(std::vector<ReleaseFile> files, const MakeOptions& options, const ReadFileHash& hash,
                  std::string& output, std::vector<std::string>& refusals);
