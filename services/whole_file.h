// Small files read and written whole: the resume information beside a
// staged file, the uninstall record; and the size of a file by its name.
#pragma once

#include <cstdint>
#include <string>

// The size of a file, or -1 when it is not there or cannot be read (logged
// unless it is missing).
std::int64_t FileSize(const std::string& path);

// The whole of the file; false when it is missing or longer than `limit`
// bytes (a file that is there but cannot be read is logged).
bool ReadWholeFile(const std::string& path, size_t limit, std::string& text);

// Creates or replaces the file with `text`; false when it could not
// (logged).
bool WriteWholeFile(const std::string& path, const std::string& text);
