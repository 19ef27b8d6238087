// The hash state of the bytes a failed attempt left in a staged file, kept
// for the rest of the process so that the next attempt at the file goes on
// hashing where the last one stopped instead of reading those bytes back.
// A state is handed out only while the file is exactly as it was left: the
// same file (volume and index), the same length and the same time of last
// write; otherwise the caller reads the bytes again.
#pragma once

#include "base/crypt_handles.h"

#include <cstdint>
#include <string>

// Keeps `state`, the unfinished hash of the first `length` bytes of the
// closed file at `path`, in place of any state kept for it before. Nothing
// is kept when the file does not hold exactly `length` bytes.
void KeepStagedHash(const std::string& path, std::int64_t length, CryptHashHandle state);
// The state kept for `path`, when the open `file` is still the one it was
// kept for, with its `length` bytes; none otherwise. Either way the keeping
// lets go of it: whoever writes the file next owns its state.
CryptHashHandle TakeStagedHash(const std::string& path, HANDLE file, std::int64_t length);
// Lets go of the state kept for `path`: its file was dropped or placed.
void ForgetStagedHash(const std::string& path);
