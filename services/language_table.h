// The fixed table of the installer's languages: the two-letter codes the flag
// buttons stand for, and the ids sent to the server as langId.
#pragma once

#include <string>

struct LanguageEntry {
    int id;
    char code[3];
    char name[21];
};

extern const LanguageEntry LanguageTable[16];

// The id of the first entry whose code equals `code` exactly, or -1.
int LanguageIdFromCode(const std::string& code);

// True when both texts have the same length and the same bytes
// (case-sensitive, no trimming).
bool IsEqual(const std::string& text, const char* other);
