// The files of an operator's release folder, named as the player's Windows
// will hold them.
#pragma once

#include "operator/manifest_maker.h"

#include <string>
#include <vector>

// Every file below `folder`, links to files included, its path converted
// from UTF-8 to `code_page`; the file at `skipped` (the manifest being made,
// when it is written into the folder) left out. False, with a refusal for
// each, for a name the code page cannot hold, a link to a folder (a server
// may or may not follow it), anything that is neither file nor folder, and
// a folder that cannot be read.
bool ListReleaseFolder(const std::string& folder, unsigned code_page, const std::string& skipped,
                       std::vector<ReleaseFile>& files, std::vector<std::string>& refusals);
