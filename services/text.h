// Text operations shared by the manifest grammar, the URLS and REG entries and
// the command-line handling. Includes nothing of ours, so every layer may use it.
#pragma once

#include <string>
#include <vector>

// Cuts `text` at each whole occurrence of `delimiter`, at most `max_splits`
// times (0 = no limit, negative = no cut). Empty pieces are kept; an empty text
// or an empty delimiter gives no pieces at all.
void Split(std::vector<std::string>& pieces, const std::string& text,
           const std::string& delimiter, int max_splits);

// True when `text` ends with `suffix` (case-sensitive).
bool EndsWith(const std::string& text, const std::string& suffix);

// `text` with the ASCII letters a-z in upper case and every other byte kept,
// whatever the locale: names the installer compares without case.
std::string AsciiUpper(std::string text);

// The number at the start of `text` read by the C library's atoi rules
// (leading white space, an optional sign, then digits: "12345abc" gives
// 12345, no digits give 0), but 64 bits wide and held at the limits of
// long long instead of overflowing.
long long LeadingNumber(const std::string& text);

// True when `text` holds a byte below 0x20: a NUL, which the system's
// narrow functions take for the text's end, or another control byte.
bool HasControlByte(const std::string& text);

// `value` held within the range of int: progress bars count in 32 bits.
int ClampToInt(long long value);

// The C locale's white space, spelled out so that the result never depends on
// the current locale or on the signedness of char; what Trim removes.
bool IsWhiteSpace(char c);

// Copies `text` without its leading and trailing C-locale white space into
// `trimmed` and returns it. Bytes of 0x80 and above are never white space.
std::string& Trim(const std::string& text, std::string& trimmed);
