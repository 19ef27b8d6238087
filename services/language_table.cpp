#include "services/language_table.h"

#include <cstring>

// The codes are this product's own ("SP", "CH", "JP", "DK" differ from ISO 639)
// and the server knows the ids by position; entry 10 is a placeholder.
const LanguageEntry LanguageTable[16] = {
    {0, "EN", "English"},   {1, "DE", "German"},     {2, "IT", "Italian"},
    {3, "SP", "Spanish"},   {4, "PT", "Portuguese"}, {5, "FR", "French"},
    {6, "CH", "Chinese"},   {7, "JP", "Japanese"},   {8, "HE", "Hebrew"},
    {9, "NL", "Dutch"},     {10, "??", "???"},       {11, "EL", "Greek"},
    {12, "TR", "Turkish"},  {13, "RU", "Russian"},   {14, "SV", "Swedish"},
    {15, "DK", "Danish"},
};

bool IsEqual(const std::string& text, const char* other)
{
    const std::size_t other_length = std::strlen(other);
    return text.size() == other_length
        && std::memcmp(text.data(), other, other_length) == 0;
}

int LanguageIdFromCode(const std::string& code)
{
    for (const LanguageEntry& entry : LanguageTable) {
        if (IsEqual(code, entry.code))
            return entry.id;
    }
    return -1;
}
