// A folder and everything below it, walked without following links: a
// symbolic link or junction (a reparse point) is an entry of its own, never
// the folder it leads to.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The bytes of every file below `folder`.
std::uint64_t FolderTreeBytes(const std::string& folder);

// Deletes one file, clearing a read-only attribute that would refuse it; a
// file that is not there is no failure. False when it remains (logged).
bool RemoveFile(const std::string& path);

// Removes everything inside `folder` but the file `kept` (a full path,
// compared without letter case): files, then each sub-folder once empty;
// links are removed themselves. What remains, but `kept`, is appended to
// `left`, each failure logged. The folder itself stays.
void EmptyFolder(const std::string& folder, const std::string& kept, std::vector<std::string>& left);

// Removes an empty folder, clearing a read-only attribute that would refuse
// it. False when it remains (logged).
bool RemoveEmptyFolder(const std::string& path);
