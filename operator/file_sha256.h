// SHA-256 of a file on the operator's machine (Linux, through nettle).
#pragma once

#include <string>

// The file's hash as 64 lower-case hexadecimal digits; false when it cannot
// be read (missing, a folder, no permission).
bool FileSha256(const std::string& path, std::string& sha256);
