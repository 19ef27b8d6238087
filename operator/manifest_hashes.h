// Fills in the hash and size pieces of every file entry the installer would
// fetch, and leaves every other byte of the manifest as it was.
#pragma once

#include "operator/manifest_check.h"

#include <string>
#include <vector>

// The manifest with each URL_ entry's third piece set to "sha256:" and the
// hash of its file, and its fourth to "size:" and the file's length. False,
// with a finding per file, when a file is missing.
bool FillHashes(const std::string& text, const ServedFiles& files, std::string& output,
                std::vector<Finding>& missing);
