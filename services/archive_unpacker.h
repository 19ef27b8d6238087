// Unpacks a downloaded ".7z" resource through the extraction library that an
// earlier resource placed in the install folder, then deletes the archive.
#pragma once

#include <string>

// Does nothing unless `archive_path` ends with ".7z". Failures are shown in a
// message box; the archive then stays and the installation goes on.
void UnpackArchive(const std::string& archive_path, const std::string& destination,
                   const std::string& library_folder);
