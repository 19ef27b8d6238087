// The platform's conversion of narrow names, for the rules that judge them
// as Windows will open them.
#pragma once

#include "base/narrow_names.h"

// MultiByteToWideChar with MB_ERR_INVALID_CHARS.
bool CodePageToWide(unsigned code_page, std::string_view narrow, WideText& wide);

// The system's ANSI code page (GetACP) and its conversion.
NarrowNames SystemNarrowNames();
