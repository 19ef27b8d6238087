// Unpacks a downloaded ".7z" resource through the extraction library that an
// earlier resource placed in the install folder, then deletes the archive.
#pragma once

#include <string>

// Does nothing unless `archive_path` ends with ".7z". The library is loaded
// by its full path; with `library_sha256` (the hash its manifest entry
// gives), only when the file matches it, held open against writes from the
// check to the load. Failures are shown in a message box; the archive then
// stays and the installation goes on.
void UnpackArchive(const std::string& archive_path, const std::string& destination,
                   const std::string& library_folder, const std::string& library_sha256 = std::string());
