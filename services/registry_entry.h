// One entry of the manifest's REG section: "[sub-key/]name" = "D:number" or
// "S:text". Portable, so the grammar is tested natively.
#pragma once

#include <cstdint>
#include <string>

struct RegistryEntry {
    enum Type { kNumber, kText };

    Type type;
    std::string sub_key;    // empty: the brand's key itself
    std::string value_name; // empty: the key's default value
    std::uint32_t number;   // kNumber
    std::string text;       // kText
};

// False for entries that are skipped: no ":" (or more than one), or a type
// other than exactly "D" or "S".
bool ParseRegistryEntry(const std::string& key, const std::string& value, RegistryEntry& entry);

// The C library's atoi (leading white space, optional sign, digits up to the
// first non-digit, 0 without digits), keeping the low 32 bits of the number
// instead of overflowing.
std::uint32_t DecimalLow32(const std::string& text);
