// A folder and everything below it, walked without following links: a
// symbolic link or junction (a reparse point) is an entry of its own, never
// the folder it leads to. Names are read with the wide functions, which
// hand them back exactly (the ANSI ones best-fit what the code page lacks:
// U+FF3C, a full-width backslash, would come back as a backslash), and no
// path is ever made of ".", ".." or a name that holds a separator. One
// walker measures and deletes.
#pragma once

#include <cstdint>
#include <functional>
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

// True when `accept` takes the path of every entry directly in `folder` (an
// empty or missing folder holds nothing else); a name that holds a
// separator, or that the code page cannot spell exactly, is never accepted.
bool FolderHoldsOnly(const std::string& folder, const std::function<bool(const std::string& path)>& accept);
