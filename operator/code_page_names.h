// Names on the operator's machine (UTF-8) as the player's Windows holds
// them: bytes of one ANSI code page, converted through the C library's iconv.
#pragma once

#include "base/narrow_names.h"

#include <string>
#include <string_view>

// True for a code page iconv can convert (1250 to 1258, 932, 936, 949, 950).
bool IsKnownCodePage(unsigned code_page);

// `utf8` in `code_page`; false for a text that is not UTF-8 or holds a
// character the code page lacks.
bool Utf8ToCodePage(unsigned code_page, const std::string& utf8, std::string& narrow);

// The wide text Windows makes of `narrow`, for the manifest rules to judge
// device names as the player's system converts them; false for bytes that
// are no text in the code page.
bool CodePageToWide(unsigned code_page, std::string_view narrow, WideText& wide);

// The rules' view of names in `code_page`.
NarrowNames CodePageNames(unsigned code_page);
