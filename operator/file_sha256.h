// SHA-256 and length of a file on the operator's machine (Linux, through
// nettle).
#pragma once

#include <cstdint>
#include <string>

// The file's hash as 64 lower-case hexadecimal digits and its length in
// bytes; false when it cannot be read (missing, a folder, no permission).
bool FileSha256(const std::string& path, std::string& sha256, std::int64_t& size);
