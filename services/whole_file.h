// Small files read and written whole: the resume information beside a
// staged file, the uninstall record.
#pragma once

#include <string>

// The whole of the file; false when it is missing or longer than `limit`
// bytes (a file that is there but cannot be read is logged).
bool ReadWholeFile(const std::string& path, size_t limit, std::string& text);

// Creates or replaces the file with `text`; false when it could not
// (logged).
bool WriteWholeFile(const std::string& path, const std::string& text);
